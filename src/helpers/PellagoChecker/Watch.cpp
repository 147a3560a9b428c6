#include "helpers/PellagoChecker/Watch.h"

#include "app/ProcessLaunch.h"
#include "helpers/common/ProcessLookup.h"

WatchTarget MakeWatchTarget(const std::string& commandLine, const std::string& countdownName)
{
    WatchTarget target;
    target.command = SplitCommandLine(commandLine);
    if (!target.command.empty())
        target.program = CanonicalProgramPath(target.command[0]);
    target.countdownName = countdownName;
    return target;
}

bool ProgramRunning(const WatchTarget& target)
{
    return !ProcessesOfProgram(target.program).empty();
}

bool CountdownRunning(const WatchTarget& target)
{
    for (pid_t pid : ProcessesNamed(target.countdownName)) {
        auto arguments = ProcessArguments(pid);
        if (arguments.size() < 2)
            continue;
        auto command = SplitCommandLine(arguments[1]);
        if (!command.empty() && CanonicalProgramPath(command[0]) == target.program)
            return true;
    }
    return false;
}

int CheckPeriodSeconds(const std::string& text)
{
    try {
        int seconds = std::stoi(text);
        return seconds >= 1 ? seconds : 1;
    } catch (...) {
        return 10;
    }
}
