#pragma once
// The boxes of the main status page that read the signal and the positions
// (the arithmetic is the one the report mail shares, reporting/SignalPositions.h):
// a pair's signal strengths, an account's signal target against its held
// position per pair, and an account's every held position.

#include <pugixml.hpp>

#include <string>

// The pair's systems with their direction and strength; the pair's sum stands
// hidden in a comment of the title.
std::string SignalStrengthBox(pugi::xml_node signalPair);

// Per pair of the signal: the lots the signal asks of the account (upper
// line) and what the last position check found (lower line). A size that
// cannot be computed shows a failure text on that line only.
std::string SignalPositionBox(pugi::xml_node account, pugi::xml_node portfolio, pugi::xml_node holdPositionSummary,
                              bool demoMode);

std::string HeldPositionsBox(pugi::xml_node account);
