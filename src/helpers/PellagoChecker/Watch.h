#pragma once
// What the watchdog looks for: the program itself (by its executable) and a
// ReExe count-down that is about to start it (by the count-down's process
// name and the command it will run).

#include <string>
#include <vector>

struct WatchTarget {
    std::vector<std::string> command; // the program and its arguments ("auto")
    std::string program;              // canonical path of command[0]
    std::string countdownName;        // "TReExeForm"
};

WatchTarget MakeWatchTarget(const std::string& commandLine, const std::string& countdownName);

bool ProgramRunning(const WatchTarget& target);
// A count-down whose command starts the same program.
bool CountdownRunning(const WatchTarget& target);
// The period between checks: the given number of seconds (at least 1; 10
// when the text is no number).
int CheckPeriodSeconds(const std::string& text);
