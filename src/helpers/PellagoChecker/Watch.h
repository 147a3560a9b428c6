#pragma once
// What the watchdog looks for: the program itself (by its executable and
// its program folder) and a ReExe count-down that is about to start it (by
// the count-down's process name and the command it will run). Several
// program folders may run the same executable; only the watched folder's
// program counts.

#include <string>
#include <vector>

struct WatchTarget {
    std::vector<std::string> command; // the program and its arguments ("auto", "--home DIR")
    std::string program;              // canonical path of command[0]
    std::string folder;               // canonical program folder the command runs in
    std::string countdownName;        // "TReExeForm"
};

// The command's program folder is chosen as the program chooses it, with
// the watchdog's own environment and working folder, which the revived
// program inherits.
WatchTarget MakeWatchTarget(const std::string& commandLine, const std::string& countdownName);

// The program folder of a start of the program: the last --home DIR (or
// --home=DIR) among its arguments, else the PELLAGO_HOME it was started
// with, else the executable's folder; relative folders count from the
// working folder. Canonical, so two spellings of one folder compare equal.
std::string ProgramFolderOf(const std::vector<std::string>& arguments, const std::string& homeVariable,
                            const std::string& workingFolder, const std::string& executable);

bool ProgramRunning(const WatchTarget& target);
// A count-down whose command starts the same program in the same folder.
bool CountdownRunning(const WatchTarget& target);
// The period between checks: the given number of seconds (at least 1; 10
// when the text is no number).
int CheckPeriodSeconds(const std::string& text);
