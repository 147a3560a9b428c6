#pragma once
// pellago [auto] [--home DIR] [--headless] [--once] [--accept-terms] [--status [--json]] [--rehearse] [--help] [--version]
// Positional arguments keep their order: the first one decides automatic
// mode, the helpers pass the retry number after it.

#include <string>
#include <vector>

struct StartOptions {
    std::vector<std::string> arguments; // positional, in order
    std::string home;                   // --home DIR; empty when not given
    bool headless = false;              // no window, log lines also on stdout
    bool once = false;                  // end after the first completed tick
    bool acceptTerms = false;           // show the terms on the terminal and ask
    bool status = false;                // print the folder's state and end
    bool json = false;                  // --status as one JSON object
    bool rehearse = false;              // a paper trade in a rehearsal folder
    bool help = false;                  // print the usage and end
    bool version = false;               // print the version and end

    std::string firstArgument() const { return arguments.empty() ? std::string() : arguments.front(); }
};

// args without the program name. False, with a message, on a malformed line.
bool ParseCommandLine(const std::vector<std::string>& args, StartOptions& options, std::string& error);

// What --help prints.
std::string UsageText();

// "auto" in any letter case.
bool IsAutoArgument(const std::string& argument);
