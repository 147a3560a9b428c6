#pragma once
// Readers of the signal document: HoldPositionSummary holds one element per
// pair (named by the pair code), each holding one element per trading system
// with the attributes UseSystemCount and PositionCount.

#include <pugixml.hpp>

#include <cstdint>
#include <string>
#include <vector>

bool LoadSignalDocument(const std::string& path, pugi::xml_document& doc);

// Why a stored signal must not be traded. A document without
// HoldPositionSummary is a failed signal of the service, not "hold nothing"
// (that is an empty HoldPositionSummary): trading it would close every
// position of every account.
enum class SignalDefect { None, Unreadable, NoHoldPositionSummary };
SignalDefect InspectSignalFile(const std::string& path);

// The root's HoldPositionSummary, looked up (created empty when missing).
pugi::xml_node HoldPositionSummaryOf(pugi::xml_document& signal);
// The root's FileName text; "" when missing.
std::string SignalFileName(const pugi::xml_document& signal);

// Pair elements, and the system elements of a pair, in document order.
std::vector<pugi::xml_node> SignalPairs(pugi::xml_node summary);
std::vector<pugi::xml_node> SignalSystems(pugi::xml_node pair);
// Pair code or system name: the element's name.
std::string SignalName(pugi::xml_node node);

// First pair or system element of that name, without regard to case; null when none.
pugi::xml_node FindSignalPair(pugi::xml_node summary, const std::string& pairCode);
pugi::xml_node FindSignalSystem(pugi::xml_node pair, const std::string& systemName);

// Throw DocumentValueError when the attribute is not an integer.
std::int32_t PositionCountOf(pugi::xml_node system);
std::int32_t UseSystemCountOf(pugi::xml_node system);
// PositionCount / UseSystemCount, -1 to 1; throws when UseSystemCount is not positive.
double SignalStrength(pugi::xml_node system);
