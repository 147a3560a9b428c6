#include "app/ProcessLaunch.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Only the processes started here are collected, never children that other
// code (QProcess) waits for itself.
std::vector<pid_t>& StartedChildren()
{
    static std::vector<pid_t> children;
    return children;
}

bool IsOurChild(pid_t pid)
{
    for (pid_t child : StartedChildren())
        if (child == pid)
            return true;
    return false;
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> arguments;
    std::string current;
    bool inQuotes = false;
    bool haveArgument = false;
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        char c = commandLine[i];
        if (c == '"') {
            if (inQuotes && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
                current += '"';
                ++i;
            } else {
                inQuotes = !inQuotes;
            }
            haveArgument = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (haveArgument)
                arguments.push_back(current);
            current.clear();
            haveArgument = false;
        } else {
            current += c;
            haveArgument = true;
        }
    }
    if (haveArgument)
        arguments.push_back(current);
    return arguments;
}

std::string JoinCommandLine(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty())
            line += ' ';
        if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
            line += argument;
            continue;
        }
        line += '"';
        for (char c : argument)
            line += c == '"' ? std::string("\"\"") : std::string(1, c);
        line += '"';
    }
    return line;
}

pid_t LaunchArguments(const std::vector<std::string>& arguments)
{
    ReapEndedChildren();
    if (arguments.empty() || arguments[0].empty())
        return 0;
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGHUP);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGCHLD);
    sigset_t noneBlocked;
    sigemptyset(&noneBlocked);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &noneBlocked);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = 0;
    int error = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return 0;
    StartedChildren().push_back(pid);
    return pid;
}

int RunToEnd(const std::vector<std::string>& arguments)
{
    const pid_t pid = LaunchArguments(arguments);
    if (pid == 0)
        return -1;
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    auto& children = StartedChildren();
    children.erase(std::remove(children.begin(), children.end(), pid), children.end());
    return done == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

pid_t LaunchProcess(const std::string& commandLine)
{
    return LaunchArguments(SplitCommandLine(commandLine));
}

bool TerminateProcess(pid_t pid)
{
    if (pid <= 0 || kill(pid, SIGTERM) != 0)
        return false;
    // Give it a moment to end so that it can be collected at once.
    for (int i = 0; i < 50 && IsOurChild(pid); ++i) {
        ReapEndedChildren();
        usleep(2000);
    }
    return true;
}

void ReapEndedChildren()
{
    auto& children = StartedChildren();
    for (auto it = children.begin(); it != children.end();) {
        pid_t done = waitpid(*it, nullptr, WNOHANG);
        if (done == *it || (done < 0 && errno == ECHILD))
            it = children.erase(it);
        else
            ++it;
    }
}
