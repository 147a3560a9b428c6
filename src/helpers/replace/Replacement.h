#pragma once
// The steps of replace.exe, each logged to Bin/Replace.log.

#include "helpers/common/HelperLog.h"

#include <string>
#include <sys/types.h>

struct ReplaceRequest {
    pid_t program = 0;       // the running program (the "window handle")
    std::string newFile;     // Bin/Pellago.bin
    std::string executable;  // the program's file
    std::string mode;        // "auto" or ""
};

// Parses the four arguments; false when they are unusable.
bool ParseReplaceRequest(int argc, char** argv, ReplaceRequest& request);

// The downloaded file is there and not empty.
bool NewFileUsable(const ReplaceRequest& request, const HelperLog& log);

// Asks the program to end and waits for it (ended by force after the
// grace time). False when that process is some other program.
bool EndProgram(const ReplaceRequest& request, const HelperLog& log, int graceSeconds);

// Keeps "<executable>.bak", then puts the new file in place atomically with
// the run bit. False (old executable untouched) on any failure.
bool SwapExecutable(const ReplaceRequest& request, const HelperLog& log);

// Starts the executable with the mode, detached.
bool StartProgram(const ReplaceRequest& request, const HelperLog& log);
