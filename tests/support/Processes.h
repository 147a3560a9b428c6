#pragma once
// Processes of this machine as /proc shows them, for tests that must end
// what the program under test left running (watchdogs, revived programs).

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

struct ProcessInfo {
    pid_t pid = 0;
    std::string executable;             // the file it runs, "" when unreadable
    std::vector<std::string> arguments; // argv, argv[0] included
};

// The command line of `pid` ("self" for this process).
std::vector<std::string> ProcessArguments(const std::string& pid);

// Kills (SIGKILL) every process but this one for which `chosen` holds, and
// reaps those that were our children. Returns how many it killed.
int EndProcessesWhere(const std::function<bool(const ProcessInfo&)>& chosen);

} // namespace testsupport
