#include "helpers/PellagoChecker/Watch.h"

#include "app/ProcessLaunch.h"
#include "helpers/common/ProcessLookup.h"

#include <cstdlib>
#include <filesystem>
#include <sys/types.h>

namespace fs = std::filesystem;

namespace {

std::string HomeArgument(const std::vector<std::string>& arguments)
{
    const std::string joined = "--home=";
    std::string home;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--home" && i + 1 < arguments.size())
            home = arguments[++i];
        else if (arguments[i].compare(0, joined.size(), joined) == 0)
            home = arguments[i].substr(joined.size());
    }
    return home;
}

std::string CanonicalFolder(const std::string& folder, const std::string& workingFolder)
{
    std::error_code ec;
    fs::path path(folder);
    if (path.is_relative())
        path = fs::path(workingFolder) / path;
    std::string canonical = fs::weakly_canonical(path, ec).lexically_normal().string();
    while (canonical.size() > 1 && canonical.back() == '/')
        canonical.pop_back();
    return canonical;
}

std::string CurrentFolder()
{
    std::error_code ec;
    return fs::current_path(ec).string();
}

// The folder a running start of the program works in, read from /proc.
std::string FolderOfProcess(pid_t pid, const std::vector<std::string>& command, const std::string& executable)
{
    return ProgramFolderOf(command, ProcessEnvironmentValue(pid, "PELLAGO_HOME"), ProcessWorkingFolder(pid),
                           executable);
}

} // namespace

std::string ProgramFolderOf(const std::vector<std::string>& arguments, const std::string& homeVariable,
                            const std::string& workingFolder, const std::string& executable)
{
    std::string home = HomeArgument(arguments);
    if (home.empty())
        home = homeVariable;
    if (home.empty())
        home = fs::path(executable).parent_path().string();
    return CanonicalFolder(home, workingFolder);
}

WatchTarget MakeWatchTarget(const std::string& commandLine, const std::string& countdownName)
{
    WatchTarget target;
    target.command = SplitCommandLine(commandLine);
    if (!target.command.empty()) {
        target.program = CanonicalProgramPath(target.command[0]);
        const char* home = std::getenv("PELLAGO_HOME");
        target.folder = ProgramFolderOf(target.command, home ? home : "", CurrentFolder(), target.program);
    }
    target.countdownName = countdownName;
    return target;
}

bool ProgramRunning(const WatchTarget& target)
{
    for (pid_t pid : ProcessesOfProgram(target.program))
        if (FolderOfProcess(pid, ProcessArguments(pid), target.program) == target.folder)
            return true;
    return false;
}

bool CountdownRunning(const WatchTarget& target)
{
    for (pid_t pid : ProcessesNamed(target.countdownName)) {
        auto arguments = ProcessArguments(pid);
        if (arguments.size() < 2)
            continue;
        auto command = SplitCommandLine(arguments[1]);
        if (!command.empty() && CanonicalProgramPath(command[0]) == target.program &&
            FolderOfProcess(pid, command, target.program) == target.folder)
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
