#include "app/ProcessState.h"

#include "app/ProcessLaunch.h"
#include "base/AkUnit.h"

#include <filesystem>
#include <unistd.h>
#include <utility>

bool VersionChecked = false;
bool AutoMode = false;
bool Replacing = false;
bool TermsAccepted = false;
bool TradeRunning = false;
bool SignalCheckBusy = false;
bool MailQueueBusy = false;
bool CancelRequested = false;
int AutoRetryCount = 0;
pid_t WatchdogProcess = 0;
bool KeepWatchdogAtExit = false;

void ResetProcessState()
{
    VersionChecked = AutoMode = Replacing = TermsAccepted = false;
    TradeRunning = SignalCheckBusy = MailQueueBusy = CancelRequested = false;
    AutoRetryCount = 0;
    WatchdogProcess = 0;
    KeepWatchdogAtExit = false;
}

namespace {

std::string& ExecutablePathStore()
{
    static std::string path = [] {
        std::error_code ec;
        auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
        return ec ? std::string() : self.string();
    }();
    return path;
}

std::vector<std::string>& RestartOptionsStore()
{
    static std::vector<std::string> options;
    return options;
}

std::string& WindowHandleStore()
{
    static std::string handle = std::to_string(getpid());
    return handle;
}

} // namespace

const std::string& ExecutablePath() { return ExecutablePathStore(); }
void SetExecutablePath(const std::string& path) { ExecutablePathStore() = path; }

const std::vector<std::string>& RestartOptions() { return RestartOptionsStore(); }
void SetRestartOptions(std::vector<std::string> options) { RestartOptionsStore() = std::move(options); }

std::string RestartCommandLine(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command{ExecutablePath()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    command.insert(command.end(), RestartOptions().begin(), RestartOptions().end());
    return JoinCommandLine(command);
}

std::string MainWindowHandleText() { return WindowHandleStore(); }
void SetMainWindowHandleText(const std::string& text) { WindowHandleStore() = text; }

std::string SettingsIniPath()
{
    std::filesystem::path exe(ExecutablePath());
    return ProgramFolder() + exe.stem().string() + ".ini";
}
