#include "app/SelfUpdate.h"

#include "app/HelperFiles.h"
#include "app/IniFile.h"
#include "app/NoticeMail.h"
#include "app/ProcessLaunch.h"
#include "app/SignedDownload.h"
#include "app/TemplateFetch.h"
#include "app/UpdateKey.h"
#include "app/UpdateMarkers.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "base/SystemdSupervision.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/XmlFile.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

const char* const kSection = "AutoUpdate";
int gReplaceWaitInterval = 60000;

// A file of UpdateMarkers.h, in Bin/ beside replace.exe.
std::string MarkerPath(const char* name) { return ProgramPath(std::string("Bin/") + name); }

struct VersionRecord {
    std::string version; // as written in the template
    std::string url;
};

// The template's Pellago record; false when the file does not load.
bool ReadVersionRecord(VersionRecord& record)
{
    pugi::xml_document doc;
    if (!LoadXmlFile(AccountTemplatePath(), doc))
        return false;
    pugi::xml_node pellago = doc.document_element().child("Pellago");
    record.version = Trim(NodeText(pellago.child("Version")));
    record.url = Trim(NodeText(pellago.child("URL")));
    return true;
}

void QueueOrLog(bool mailReports, const std::string& subject, const std::string& body)
{
    if (mailReports)
        QueueNoticeMail(subject, body);
    else
        AddLog(body);
}

void AnnounceNewerVersion(const ServiceSettings& settings, const std::string& v)
{
    const std::string current = FormatDecimal(ProgramVersion);
    if (settings.mailReports) {
        QueueNoticeMail("新しいver. " + v + " が公開されました",
                        "お使いのver. " + current + " より新しい\r\n" + "ver. " + v + " が公開されました。\r\n" +
                            "====================\r\n" + "ユーザータブの「手動でアップデート」ボタンより\r\n" +
                            "いつでも、最新のver. " + v + " にアップデートできます\r\n" + "ぜひアップデートください");
        return;
    }
    AddLog("[AutoUpdate] ■Error！ ユーザー・タブの自動アップデート欄で「メール報告する」が選択されていますが");
    AddLog("[AutoUpdate] メール・タブでメール報告を使用しない設定になっているため、メールを送信できません");
    AddLog("[AutoUpdate] メールを使用する設定に変更するか、自動アップデートの設定で「メール報告なし」を選択してください");
}

void AnnounceInstall(const ServiceSettings& settings, const std::string& v)
{
    if (!settings.mailReports) {
        AddLog("新しいver. " + v + " にアップデートします");
        return;
    }
    QueueNoticeMail("新しいver. " + v + " にアップデートします",
                    "お使いのver. " + FormatDecimal(ProgramVersion) + " より新しい\r\n" + "ver. " + v +
                        " が公開されました。\r\n" + "これよりダウンロードし、自動的に本体を再起動します。\r\n" +
                        "====================\r\n" +
                        "もし再起動報告メールが届かない場合は、起動に失敗した可能性があります\r\n" +
                        "数分経っても次のメールが来ない場合、本体が正常に起動しているかご確認ください");
}

double IniDecimal(const char* key)
{
    double value = 0;
    if (auto text = ReadIniString(SettingsIniPath(), kSection, key); !text || !TryParseDecimal(Trim(*text), value))
        return 0;
    return value;
}

void LogNoUpdateKey()
{
    AddLog("[AutoUpdate] このPellagoには更新用の署名鍵が組み込まれていないため、アップデートは行いません");
}

// The signature must name this very version, so an older signed file served
// as the newer one is refused.
bool SignedForVersion(const SignedComment& comment, const std::string& versionText, std::string& reason)
{
    double announced = 0;
    double signedVersion = 0;
    if (comment.kind == "pellago" && comment.name == "Pellago.bin" && TryParseDecimal(versionText, announced) &&
        TryParseDecimal(comment.value, signedVersion) && signedVersion == announced)
        return true;
    reason = SignedForOtherText(comment, "公開中の ver. " + versionText + " のプログラムファイル");
    return false;
}

// Bin/Pellago.bin, kept only when it is the signed program of this version.
SignedDownload DownloadSignedProgram(const std::string& url, const std::string& versionText,
                                     const std::string& newFile)
{
    const auto key = TrustedUpdateKey();
    if (!key) {
        LogNoUpdateKey();
        return SignedDownload::Refused;
    }
    SignedComment comment;
    std::string reason;
    SignedDownload result = DownloadSigned(*key, url, newFile, comment, reason);
    if (result == SignedDownload::Failed) {
        AddLog("[AutoUpdate] 最新version " + versionText + " のダウンロードに失敗");
    } else if (result == SignedDownload::Done && !SignedForVersion(comment, versionText, reason)) {
        std::filesystem::remove(newFile);
        result = SignedDownload::Refused;
    }
    if (result == SignedDownload::Refused)
        ReportRefusedUpdate("[AutoUpdate] ", "ver. " + versionText + " のプログラムファイル", reason);
    return result;
}

// replace.exe put the old program back: log it, and keep that version from
// being offered again until a newer one is announced. The version, or "".
std::string TakeRollback()
{
    const std::string marker = MarkerPath(kRolledBackFile);
    if (!std::filesystem::exists(marker))
        return {};
    std::filesystem::remove(marker);
    const std::string failed = FormatDecimal(IniDecimal("PendingVersion"));
    WriteIniString(SettingsIniPath(), kSection, "FailedVersion", failed);
    AddLog("[AutoUpdate] 新しいver. " + failed + " が起動しなかったため、replace.exe が元のプログラムに戻しました");
    return failed;
}

// systemd ends what is left of the unit together with the program, so under
// systemd the new file goes in place before the exit and systemd's next start
// runs it; that start's ExecStartPre puts the old one back if it never came up.
bool SwapInForSystemd(const std::string& newFile)
{
    Replacing = true;
    const int code = RunToEnd({ProgramPath("Bin/replace.exe"), "--swap", newFile, ExecutablePath()});
    if (code != 0) {
        AddLog("[AutoUpdate] replace.exe が新しいプログラムを置けませんでした(終了コード " + std::to_string(code) +
               ")。詳しくは Bin/Replace.log をご覧ください");
        OnReplaceWaitTimeout();
        return false;
    }
    AddLog("[systemd] 新しいプログラムを置きました。Pellagoを終了し、systemdが新しいプログラムで起動します");
    if (const auto& restart = CurrentServiceHooks().restartBySupervisor)
        restart();
    return true;
}

} // namespace

bool DownloadAndHandOver(const std::string& url, const std::string& versionText, const std::string& mode,
                         const std::string& stopLine)
{
    const std::string newFile = ProgramPath("Bin/Pellago.bin");
    const SignedDownload download = DownloadSignedProgram(url, versionText, newFile);
    if (download != SignedDownload::Done) {
        // A refusal was reported already; the next start has no outcome to report.
        if (download == SignedDownload::Refused)
            WriteIniString(SettingsIniPath(), kSection, "CheckVersion", "0");
        AddLog(stopLine);
        return false;
    }
    WriteIniString(SettingsIniPath(), kSection, "PendingVersion", versionText);
    AddLog("[AutoUpdate] 最新version " + versionText + " のダウンロードに成功。再起動します");
    if (SupervisedBySystemd())
        return SwapInForSystemd(newFile);
    // The watchdog must not revive the old program meanwhile.
    if (WatchdogProcess) {
        TerminateProcess(WatchdogProcess);
        WatchdogProcess = 0;
    }
    const auto& hooks = CurrentServiceHooks();
    if (hooks.leaveTray)
        hooks.leaveTray();
    Replacing = true;
    StartReplace(ProgramPath("Bin/replace.exe"), MainWindowHandleText(), newFile, ExecutablePath(), mode);
    AddLog("Update成功まで60秒待機...");
    if (hooks.startReplaceWait)
        hooks.startReplaceWait(ReplaceWaitInterval());
    return true;
}

bool CheckForUpdate(const ServiceSettings& settings, bool automatic, bool manual)
{
    if (TradeRunning)
        return false;
    if (automatic && settings.updateMode == 2) {
        AddLog("[AutoUpdate] 自動アップデートのチェックは行いません");
        return false;
    }
    if (!std::filesystem::exists(AccountTemplatePath())) {
        const std::string text = "まだシグナルを一度も取得していないため,アップデートの確認は行えません";
        if (!settings.autoTradeTimerEnabled)
            ShowUserMessage(text);
        AddLog("[AutoUpdate] " + text);
        return false;
    }
    VersionRecord record;
    double v = 0;
    if (!ReadVersionRecord(record) || record.version.empty() || record.url.empty() ||
        !TryParseDecimal(record.version, v)) {
        AddLog("[AutoUpdate] " + std::string("AccountTemplate.xml") +
               " には、version情報かURLが記載されていないため、versionの確認が出来ません");
        return false;
    }
    const std::string vText = FormatDecimal(v);
    if (!(v > ProgramVersion)) {
        AddLog("[AutoUpdate] お使いのPellago ver. " + FormatDecimal(ProgramVersion) + " は最新のversionです");
        return false;
    }
    if (v <= IniDecimal("FailedVersion")) {
        AddLog("[AutoUpdate] ver. " + vText + " は以前のアップデートで起動できなかったため、アップデートしません");
        return false;
    }
    AddLog("[AutoUpdate] お使いのPellagoより新しい" + vText + " が公開されています");
    if (settings.updateMode == 1 && !manual)
        AnnounceNewerVersion(settings, vText);
    if (!(settings.updateMode == 0 || manual))
        return false;
    if (!TrustedUpdateKey()) {
        LogNoUpdateKey();
        return false;
    }
    AnnounceInstall(settings, vText);
    MarkUpdatePending();
    return DownloadAndHandOver(record.url, vText, AutoMode ? "auto" : "",
                               "[AutoUpdate] 今回は処理を中止し、次回実行時に再度アップデートを行います");
}

void MarkUpdatePending()
{
    WriteIniString(SettingsIniPath(), kSection, "CheckVersion", "1");
    WriteIniString(SettingsIniPath(), kSection, "BeforeVersion", FormatDecimal(ProgramVersion));
}

void StartReplace(const std::string& replaceProgram, const std::string& handle, const std::string& newFile,
                  const std::string& executable, const std::string& mode)
{
    AddLog(replaceProgram + handle + newFile + executable + mode);
    if (!std::filesystem::exists(newFile)) {
        AddLog("[ReplaceExe] " + newFile + " が見つかりません");
        return;
    }
    // The options follow, so the program comes back as the same kind of program.
    std::string command = QuoteArg(replaceProgram) + " " + QuoteArg(handle) + " " + QuoteArg(newFile) + " " +
                          QuoteArg(executable) + " " + QuoteArg(mode);
    for (const auto& option : RestartOptions())
        command += " " + QuoteArg(option);
    LaunchProcess(command);
}

int ReplaceWaitInterval() { return gReplaceWaitInterval; }
void SetReplaceWaitInterval(int milliseconds) { gReplaceWaitInterval = milliseconds; }

void OnReplaceWaitTimeout()
{
    AddLog(std::string("Updateはダウンロードまで成功しましたが、置き換えに失敗しました。") + "\r\n" +
           "次回シグナル受信時にまたリトライし、今回は通常の処理に戻ります");
    Replacing = false;
    VersionChecked = true;
    // The hand-over stopped the watchdog; an unattended program needs it back.
    if (AutoMode && !WatchdogProcess)
        WatchdogToggle();
}

void StartupVersionCheck(const ServiceSettings& settings)
{
    if (!TermsAccepted || !std::filesystem::exists(AccountTemplatePath()))
        return;
    AddLog("起動時versionチェックを行います");
    if (!CheckForUpdate(settings, true, false))
        VersionChecked = true;
}

bool CompleteStartupVersionCheck(const ServiceSettings& settings)
{
    if (VersionChecked || Replacing)
        return VersionChecked;
    if (!std::filesystem::exists(AccountTemplatePath()) && !FetchAccountTemplate())
        return false;
    StartupVersionCheck(settings);
    return VersionChecked;
}

void ShowProgramIsUp()
{
    std::ofstream(MarkerPath(kProgramUpFile), std::ios::trunc) << getpid() << "\n";
    std::error_code ec;
    std::filesystem::remove(MarkerPath(kSwappedFile), ec);
}

bool ReportUpdateOutcome(bool mailReports, double runningVersion)
{
    const std::string rolledBack = TakeRollback();
    const std::string ini = SettingsIniPath();
    auto pending = ReadIniString(ini, kSection, "CheckVersion");
    if (!pending || !(Trim(*pending) == "1" || EqualsNoCase(Trim(*pending), "true")))
        return false;
    WriteIniString(ini, kSection, "CheckVersion", "0");
    const double before = IniDecimal("BeforeVersion");
    const std::string beforeText = FormatDecimal(before);
    const std::string nowText = FormatDecimal(runningVersion);
    if (runningVersion > before)
        QueueOrLog(mailReports, "ver. " + nowText + "へのアップデートに成功",
                   "Pellagoは、正常にver. " + beforeText + " から ver." + nowText + "にアップデートしました\r\n" +
                       "引き続き、通常の処理を続行します");
    else if (rolledBack.empty())
        QueueOrLog(mailReports, "アップデートに失敗",
                   "Pellagoはアップデートに失敗し、現在 ver." + beforeText + "のままです\r\n" +
                       "アップデート処理は、改めて次回シグナル受信時に試み\r\n" + "今回は、通常の処理に戻ります");
    else
        QueueOrLog(mailReports, "アップデートに失敗",
                   "Pellagoは新しいver. " + rolledBack + " を起動できなかったため、ver." + beforeText +
                       "に戻しました\r\n" + "ver. " + rolledBack +
                       " へのアップデートは、より新しいversionが公開されるまで行いません\r\n" +
                       "今回は、通常の処理に戻ります");
    VersionChecked = true;
    AddLog("今回はアップデート直後のため、起動時versionチェックをスルーします");
    return true;
}

void ManualUpdate(const ServiceSettings& settings)
{
    FetchAccountTemplate();
    CheckForUpdate(settings, false, true);
}
