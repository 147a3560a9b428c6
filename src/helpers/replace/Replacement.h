#pragma once
// The steps of replace.exe, each logged to Bin/Replace.log.

#include "helpers/common/HelperLog.h"

#include <string>
#include <vector>
#include <sys/types.h>

struct ReplaceRequest {
    pid_t program = 0;       // the running program (the "window handle")
    std::string newFile;     // Bin/Pellago.bin
    std::string executable;  // the program's file
    std::string mode;        // "auto" or ""
    std::vector<std::string> options; // the program's own (--home DIR, --headless)
};

// Parses the four arguments and the options after them; false when they
// are unusable.
bool ParseReplaceRequest(int argc, char** argv, ReplaceRequest& request);

// The downloaded file is there and not empty.
bool NewFileUsable(const ReplaceRequest& request, const HelperLog& log);

// Asks the program to end and waits for it (ended by force after the
// grace time). False when that process is some other program.
bool EndProgram(const ReplaceRequest& request, const HelperLog& log, int graceSeconds);

// Keeps "<executable>.bak", then puts the new file in place atomically with
// the run bit. False (old executable untouched) on any failure.
bool SwapExecutable(const ReplaceRequest& request, const HelperLog& log);

// Starts the executable with the mode and the options, detached; its
// process id, or 0.
pid_t StartProgram(const ReplaceRequest& request, const HelperLog& log);

// The started program wrote its process id into `upFile` within `seconds`.
// False at once when it has ended.
bool WaitUntilUp(pid_t pid, const std::string& upFile, int seconds);

// Ends the new program that did not come up and puts "<executable>.bak"
// back in its place.
bool RollBack(const ReplaceRequest& request, pid_t started, const HelperLog& log);
