#include "app/HelperFiles.h"

#include "app/Download.h"
#include "app/ProcessLaunch.h"
#include "app/ProcessState.h"
#include "app/SignalFiles.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "base/SystemdSupervision.h"
#include "documents/DocumentNodes.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr fs::perms kProgramPerms = fs::perms::owner_all;

// Copies through a temporary file beside the target and renames it over, so
// the helper is never seen half-written (a running one keeps its old file).
bool CopyIntoPlace(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    fs::path temp = to;
    temp += ".copying";
    fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec);
    if (!ec) {
        fs::permissions(temp, kProgramPerms, ec);
        if (!ec)
            fs::rename(temp, to, ec);
    }
    if (ec)
        fs::remove(temp);
    return !ec;
}

void PauseForWatchdogExit()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    PumpMessages(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
}

} // namespace

const std::vector<std::string>& HelperProgramNames()
{
    static const std::vector<std::string> names = {"ReExe.exe", "replace.exe", "PellagoChecker.exe"};
    return names;
}

void InstallHelperPrograms(const std::string& fromFolder)
{
    EnsureDir(ProgramPath("Bin"));
    for (const auto& name : HelperProgramNames()) {
        const fs::path target = ProgramPath("Bin/" + name);
        if (fs::exists(target))
            continue;
        for (const fs::path& source : {fs::path(fromFolder) / "Bin" / name, fs::path(fromFolder) / name})
            if (fs::exists(source)) {
                CopyIntoPlace(source, target);
                break;
            }
    }
}

std::string ProgramFileFromService(const std::string& relative)
{
    std::string path = ReplaceAll(Trim(relative), "\\", "/");
    if (path.empty() || path.front() == '/')
        return {};
    for (const auto& part : SplitTrimmed(path, "/"))
        if (!IsSafeFileName(part))
            return {};
    return ProgramPath(path);
}

void UpdateHelperFiles(pugi::xml_node bin)
{
    const bool watchdogWasRunning = WatchdogProcess != 0;
    for (pugi::xml_node entry : ChildElements(bin)) {
        const std::string relative = NodeText(entry.child("Path"));
        const std::string path = ProgramFileFromService(relative);
        if (path.empty()) {
            AddLog("[Bin] " + relative + " はプログラムフォルダ外を指しているため扱いません");
            return;
        }
        const std::string name = fs::path(path).filename().string();
        const std::string url = Trim(NodeText(entry.child("URL")));
        if (!fs::exists(path)) {
            AddLog("[Bin] " + name + " がローカルに存在しないためダウンロードします");
            DownloadHelperFile(name, url, path, watchdogWasRunning);
            continue;
        }
        long long size = 0;
        if (!TryParseInteger(NodeText(entry.child("Size")), size))
            return; // an unusable list ends the walk
        if (size >= 0 && size == FileSizeOf(path)) {
            AddLog("[Bin] お使いの " + name + " は最新のファイルです");
            continue;
        }
        AddLog("[Bin] 新しい" + name + " が公開されているため更新します");
        DownloadHelperFile(name, url, path, watchdogWasRunning);
    }
}

void DownloadHelperFile(const std::string& name, const std::string& url, const std::string& path,
                        bool watchdogWasRunning)
{
    const std::string temp = fs::path(path).replace_extension(".bin").string();
    AddLog("[Bin] " + name + " をダウンロードします");
    if (!DownloadToFile(url, temp)) {
        AddLog("[Bin] " + name + " のダウンロードに失敗");
        AddLog("[Bin] 次回実行時に再ダウンロードします");
        return;
    }
    AddLog("[Bin] " + name + " のダウンロードに成功");
    const bool pauseWatchdog = EqualsNoCase(name, "PellagoChecker.exe") && watchdogWasRunning;
    if (pauseWatchdog) {
        AddLog("[Bin] PellagoCheckerを一時停止します");
        TerminateProcess(WatchdogProcess);
        WatchdogProcess = 0;
        PauseForWatchdogExit();
    }
    if (CopyIntoPlace(temp, path)) {
        AddLog("[Bin] " + name + " の置換に成功");
    } else {
        AddLog("[Bin] " + name + " の置換に失敗");
        AddLog("[Bin] 次回再実行します");
    }
    if (pauseWatchdog) {
        AddLog("[Bin] PellagoCheckerを再開します");
        WatchdogToggle();
    }
}

std::string WatchdogCommandLine()
{
    return QuoteArg(ProgramPath("Bin/PellagoChecker.exe")) + QuoteArg("TPellagoForm") + QuoteArg("TReExeForm") +
           QuoteArg(RestartCommandLine({"auto"})) + QuoteArg("10");
}

void WatchdogToggle()
{
    if (WatchdogProcess) {
        TerminateProcess(WatchdogProcess);
        WatchdogProcess = 0;
        return;
    }
    // systemd's own watchdog revives a supervised program.
    if (SupervisedBySystemd())
        return;
    WatchdogProcess = LaunchProcess(WatchdogCommandLine());
}
