#pragma once
// The terms of use: the shipped text "license.txt", the marker
// "AutoTrade/Licensed" that records the user's consent, and the consent on a
// terminal for a machine without a display.

#include <iosfwd>
#include <string>

std::string TermsMarkerPath();
bool TermsAcceptedBefore();
// Creates the marker (and its folder). False when it could not be written.
bool RecordTermsAccepted();

// "license.txt" of the program folder, else the one shipped beside the
// executable (a build tree, or a program started with --home).
std::string TermsTextPath();
// False, with `error` set to a Japanese message, when no text can be read.
bool LoadTermsText(std::string& text, std::string& error);

// The line a headless start without consent logs: how to give it.
std::string HeadlessTermsHint();

// pellago --accept-terms: prints the text, asks yes/no and records a yes.
// Returns the process exit code (0: accepted now or before).
int AcceptTermsOnTerminal(std::istream& in, std::ostream& out);
