#include "app/HelperFiles.h"

#include "app/Download.h"
#include "app/ProcessLaunch.h"
#include "app/ProcessState.h"
#include "app/SignalFiles.h"
#include "app/SignedDownload.h"
#include "app/UpdateKey.h"
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

// A helper's signature names it and its SHA-256.
bool SignedForHelper(const SignedComment& comment, const std::string& name, std::string& reason)
{
    if (comment.kind == "pellago-helper" && comment.name == name)
        return true;
    reason = SignedForOtherText(comment, name);
    return false;
}

// The helper's signed SHA-256, from the signature beside its download.
bool SignedHelperHash(const MinisignKey& key, const std::string& name, const std::string& url, std::string& hash)
{
    SignedComment comment;
    std::string reason;
    if (!FetchSignedComment(key, url, comment, reason) || !SignedForHelper(comment, name, reason)) {
        ReportRefusedUpdate("[Bin] ", name, reason);
        return false;
    }
    hash = comment.value;
    return true;
}

// The downloaded helper is the signed one, else it is gone.
bool DownloadSignedHelper(const std::string& name, const std::string& url, const std::string& temp)
{
    const auto key = TrustedUpdateKey();
    SignedComment comment;
    std::string reason;
    const SignedDownload result = key ? DownloadSigned(*key, url, temp, comment, reason) : SignedDownload::Failed;
    if (result == SignedDownload::Failed) {
        AddLog("[Bin] " + name + " のダウンロードに失敗");
        AddLog("[Bin] 次回実行時に再ダウンロードします");
        return false;
    }
    if (result == SignedDownload::Done && SignedForHelper(comment, name, reason)) {
        if (comment.value == Sha256OfFile(temp))
            return true;
        reason = "署名の SHA-256 がファイルと一致しません";
    }
    fs::remove(temp);
    ReportRefusedUpdate("[Bin] ", name, reason);
    return false;
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
    const auto key = TrustedUpdateKey();
    if (!key) {
        AddLog("[Bin] このPellagoには更新用の署名鍵が組み込まれていないため、補助プログラムの更新は行いません");
        return;
    }
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
        std::string hash;
        if (!SignedHelperHash(*key, name, url, hash))
            continue;
        if (!fs::exists(path)) {
            AddLog("[Bin] " + name + " がローカルに存在しないためダウンロードします");
        } else if (Sha256OfFile(path) == hash) {
            AddLog("[Bin] お使いの " + name + " は最新のファイルです");
            continue;
        } else {
            AddLog("[Bin] 新しい" + name + " が公開されているため更新します");
        }
        DownloadHelperFile(name, url, path, watchdogWasRunning);
    }
}

void DownloadHelperFile(const std::string& name, const std::string& url, const std::string& path,
                        bool watchdogWasRunning)
{
    const std::string temp = fs::path(path).replace_extension(".bin").string();
    AddLog("[Bin] " + name + " をダウンロードします");
    if (!DownloadSignedHelper(name, url, temp))
        return;
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
