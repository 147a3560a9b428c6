#include "helpers/common/ProcessLookup.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/prctl.h>

namespace fs = std::filesystem;

namespace {

std::string ProcFile(pid_t pid, const char* name)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The entries of a /proc file that separates them by NUL bytes.
std::vector<std::string> NulSeparated(const std::string& raw)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start < raw.size()) {
        std::size_t end = raw.find('\0', start);
        if (end == std::string::npos)
            end = raw.size();
        entries.push_back(raw.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

template <typename Match>
std::vector<pid_t> ProcessesWhere(Match match)
{
    std::vector<pid_t> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        pid_t pid = static_cast<pid_t>(std::stol(name));
        if (ProcessAlive(pid) && match(pid))
            found.push_back(pid);
    }
    return found;
}

} // namespace

std::string CanonicalProgramPath(const std::string& path)
{
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return canonical.string();
}

std::string ProcessExecutable(pid_t pid)
{
    std::error_code ec;
    std::string target = fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec).string();
    const std::string deleted = " (deleted)";
    if (target.size() > deleted.size() && target.compare(target.size() - deleted.size(), deleted.size(), deleted) == 0)
        target.resize(target.size() - deleted.size());
    return ec ? std::string() : target;
}

std::string ProcessName(pid_t pid)
{
    std::string name = ProcFile(pid, "comm");
    while (!name.empty() && (name.back() == '\n' || name.back() == '\0'))
        name.pop_back();
    return name;
}

std::vector<std::string> ProcessArguments(pid_t pid)
{
    return NulSeparated(ProcFile(pid, "cmdline"));
}

std::string ProcessEnvironmentValue(pid_t pid, const std::string& name)
{
    const std::string prefix = name + "=";
    for (const std::string& entry : NulSeparated(ProcFile(pid, "environ")))
        if (entry.compare(0, prefix.size(), prefix) == 0)
            return entry.substr(prefix.size());
    return "";
}

std::string ProcessWorkingFolder(pid_t pid)
{
    std::error_code ec;
    const std::string folder = fs::read_symlink("/proc/" + std::to_string(pid) + "/cwd", ec).string();
    return ec ? std::string() : folder;
}

bool ProcessAlive(pid_t pid)
{
    if (pid <= 0 || kill(pid, 0) != 0)
        return false;
    // "pid (comm) S ...": the state follows the last ')'.
    std::string stat = ProcFile(pid, "stat");
    std::size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z' && stat[close + 2] != 'X';
}

std::vector<pid_t> ProcessesOfProgram(const std::string& program)
{
    return ProcessesWhere([&](pid_t pid) { return ProcessExecutable(pid) == program; });
}

std::vector<pid_t> ProcessesNamed(const std::string& name)
{
    const std::string kept = name.substr(0, 15);
    return ProcessesWhere([&](pid_t pid) { return ProcessName(pid) == kept; });
}

void SetOwnProcessName(const std::string& name)
{
    prctl(PR_SET_NAME, name.substr(0, 15).c_str(), 0, 0, 0);
}
