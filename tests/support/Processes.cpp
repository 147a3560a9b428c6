#include "support/Processes.h"

#include "app/ProcessLaunch.h"
#include "support/ScratchFiles.h"

#include <csignal>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

std::vector<std::string> ProcessArguments(const std::string& pid)
{
    const std::string raw = ReadFileBytes("/proc/" + pid + "/cmdline");
    std::vector<std::string> arguments;
    std::size_t start = 0;
    while (start < raw.size()) {
        const std::size_t end = raw.find('\0', start);
        arguments.push_back(raw.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

int EndProcessesWhere(const std::function<bool(const ProcessInfo&)>& chosen)
{
    int ended = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos || std::stoi(pid) == getpid())
            continue;
        std::error_code unreadable;
        ProcessInfo process{std::stoi(pid), fs::read_symlink(entry.path() / "exe", unreadable).string(),
                            ProcessArguments(pid)};
        if (chosen(process) && kill(process.pid, SIGKILL) == 0)
            ++ended;
    }
    ReapEndedChildren();
    return ended;
}

} // namespace testsupport
