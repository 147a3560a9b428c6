#include "helpers/replace/Replacement.h"

#include "app/ProcessLaunch.h"
#include "helpers/common/ProcessLookup.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool WaitForEnd(pid_t pid, int seconds)
{
    for (int i = 0; i < seconds * 10; ++i) {
        if (!ProcessAlive(pid))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return !ProcessAlive(pid);
}

bool CopyFlushed(const std::string& from, const std::string& to)
{
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    if (!in || !out)
        return false;
    out << in.rdbuf();
    out.flush();
    if (!out)
        return false;
    out.close();
    // The bytes must be on disk before the rename makes them the program.
    int fd = open(to.c_str(), O_RDONLY);
    bool synced = fd >= 0 && fsync(fd) == 0;
    if (fd >= 0)
        close(fd);
    return synced;
}

} // namespace

bool ParseReplaceRequest(int argc, char** argv, ReplaceRequest& request)
{
    if (argc < 4)
        return false;
    try {
        request.program = static_cast<pid_t>(std::stol(argv[1]));
    } catch (...) {
        request.program = 0;
    }
    request.newFile = argv[2];
    request.executable = argv[3];
    request.mode = argc > 4 ? argv[4] : "";
    request.options.assign(argv + std::min(argc, 5), argv + argc);
    return !request.newFile.empty() && !request.executable.empty();
}

bool EndProgram(const ReplaceRequest& request, const HelperLog& log, int graceSeconds)
{
    pid_t pid = request.program;
    if (!ProcessAlive(pid)) {
        log.Line("program " + std::to_string(pid) + " is not running");
        return true;
    }
    // A reused process id must never make us end an unrelated program.
    if (ProcessExecutable(pid) != CanonicalProgramPath(request.executable)) {
        log.Line("process " + std::to_string(pid) + " is " + ProcessExecutable(pid) + ", not " +
                 request.executable + "; nothing replaced");
        return false;
    }
    log.Line("ending program " + std::to_string(pid));
    kill(pid, SIGTERM);
    if (WaitForEnd(pid, graceSeconds))
        return true;
    log.Line("program " + std::to_string(pid) + " did not end; ending it by force");
    kill(pid, SIGKILL);
    return WaitForEnd(pid, 5);
}

bool NewFileUsable(const ReplaceRequest& request, const HelperLog& log)
{
    std::error_code ec;
    if (fs::is_regular_file(request.newFile, ec) && fs::file_size(request.newFile, ec) > 0)
        return true;
    log.Line("new file " + request.newFile + " is missing or empty; nothing replaced");
    return false;
}

namespace {

// Puts `from` in place of the executable atomically, with the run bit.
bool PutInPlace(const std::string& from, const ReplaceRequest& request, const HelperLog& log)
{
    std::error_code ec;
    const std::string staged = request.executable + ".new";
    bool ok = CopyFlushed(from, staged);
    if (ok) {
        fs::permissions(staged, fs::perms::owner_all, ec);
        ok = !ec;
    }
    if (ok) {
        fs::rename(staged, request.executable, ec);
        ok = !ec;
    }
    if (!ok) {
        fs::remove(staged, ec);
        log.Line("cannot put " + from + " in place of " + request.executable);
    }
    return ok;
}

} // namespace

bool SwapExecutable(const ReplaceRequest& request, const HelperLog& log)
{
    std::error_code ec;
    const std::string backup = request.executable + ".bak";
    if (fs::exists(request.executable, ec) && !CopyFlushed(request.executable, backup)) {
        log.Line("cannot keep the backup " + backup);
        return false;
    }
    if (!PutInPlace(request.newFile, request, log))
        return false;
    log.Line("replaced " + request.executable + " (backup " + backup + ")");
    return true;
}

pid_t StartProgram(const ReplaceRequest& request, const HelperLog& log)
{
    std::vector<std::string> arguments{request.executable};
    if (!request.mode.empty())
        arguments.push_back(request.mode);
    arguments.insert(arguments.end(), request.options.begin(), request.options.end());
    pid_t pid = LaunchArguments(arguments);
    log.Line(pid ? "started " + JoinCommandLine(arguments) + " as " + std::to_string(pid)
                 : "cannot start " + request.executable);
    return pid;
}

bool WaitUntilUp(pid_t pid, const std::string& upFile, int seconds)
{
    const std::string expected = std::to_string(pid);
    for (int i = 0; i < seconds * 10; ++i) {
        std::string written;
        std::ifstream(upFile) >> written;
        if (written == expected)
            return true;
        if (!ProcessAlive(pid))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

bool RollBack(const ReplaceRequest& request, pid_t started, const HelperLog& log)
{
    if (ProcessAlive(started)) {
        kill(started, SIGKILL);
        WaitForEnd(started, 5);
    }
    if (!PutInPlace(request.executable + ".bak", request, log))
        return false;
    log.Line("put " + request.executable + ".bak back");
    return true;
}
