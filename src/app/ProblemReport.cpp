#include "app/ProblemReport.h"

#include "app/ProcessState.h"
#include "app/ProxySetting.h"
#include "app/ReportScramble.h"
#include "app/ServiceEndpoints.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "broker/PageChecks.h"

#include <chrono>
#include <exception>
#include <memory>

namespace {

constexpr int kSettleMs = 1500;
constexpr std::chrono::seconds kPageDeadline{30};
constexpr int kPollMs = 300;
constexpr int kReloadPauseMs = 1000;
constexpr int kShownRetryLimit = 5;
constexpr int kFailingRetry = 6; // the sixth error page in a row ends the wait
const char* const kSuccessText = "正常に終了しました";
const char* const kReportFile = "BugReport.atf";

std::string TrueFalse(bool value) { return value ? "True" : "False"; }

// One report from its start to its end: the hidden browser of a send, the
// text an export accumulates and the retry count of the page waits.
class ReportRun {
public:
    ReportRun(bool send, const ProblemReportHost& host) : send_(send), host_(host) {}

    bool Run();

private:
    void OpenHiddenBrowser();
    void NavigateAndWait(const std::string& url);
    bool PostAllParts();
    bool PostReportPart(int number, const std::string& text);
    bool PostToForm(int number, const std::string& text);
    void SetField(const std::string& name, const std::string& value, const char* failure);
    bool WaitReportPage();
    bool ReloadErrorPage();
    void ReportOutcome(bool ok);

    const bool send_;
    const ProblemReportHost& host_;
    const ServiceEndpoints endpoints_ = CurrentServiceEndpoints();
    ReportTexts texts_;
    std::unique_ptr<Browser> browser_;
    std::string report_;
    int retryCount_ = 0;
};

bool ReportRun::Run()
{
    if (send_ && !host_.askDescription()) {
        AddLog("問題点の送信はキャンセルされました");
        return false;
    }
    texts_ = host_.texts();
    if (send_)
        OpenHiddenBrowser();
    AddLog(send_ ? "■ 問題点の送信を開始します" : "■ 問題点をファイルに書き出します");
    AddLog("■ UserNameやPasswordなど、重要な情報は含まれません");
    bool ok = PostAllParts();
    if (ok && !send_) {
        AddLog("問題点をファイルに書き出します(時間がかかる事があります)");
        ok = ScrambleReport(report_, ProgramPath(kReportFile));
    }
    browser_.reset();
    ReportOutcome(ok);
    return ok;
}

void ReportRun::OpenHiddenBrowser()
{
    const TProxySetting proxy = GetProxySetting();
    AddLog("問題点の送信準備1...");
    browser_ = host_.browsers->CreateBrowser(host_.placement);
    AddLog("問題点の送信準備2...");
    // The report keeps the engine's own user agent; only the proxy is chosen.
    if (proxy.UseProxy) {
        AddLog("Proxyを設定");
        AddLog(proxy.Address.empty() ? "[IEのProxy設定を使用]" : "[Proxy " + proxy.Address + " を使用]");
        const bool applied = browser_->SetProxy(BrowserProxy{true, proxy.Address});
        AddLog(std::string("[Proxyのセットに") + (applied ? "成功" : "失敗"));
    }
    NavigateAndWait("about:blank");
    NavigateAndWait(ServiceUrl(endpoints_, "/"));
}

void ReportRun::NavigateAndWait(const std::string& url)
{
    AddDetailLog("[IE.Navigate] = " + url + " ...");
    browser_->Navigate(url);
    WaitReportPage();
}

bool ReportRun::PostAllParts()
{
    for (int number = 1; number <= kReportPartCount; ++number) {
        const std::optional<std::string> part = BuildReportPart(number, texts_, send_);
        if (part && !PostReportPart(number, *part)) {
            AddLog("問題点の送信(書き出し)" + std::to_string(number) + "において、エラーが生じました");
            return false;
        }
    }
    return true;
}

bool ReportRun::PostReportPart(int number, const std::string& text)
{
    if (!send_) {
        report_ += text + "\r\n";
        return true;
    }
    try {
        return PostToForm(number, text);
    } catch (...) {
        return false;
    }
}

bool ReportRun::PostToForm(int number, const std::string& text)
{
    const std::string step = "問題点の送信" + std::to_string(number);
    AddLog(step + "...準備1");
    PumpMessages(100);
    const std::string form = ServiceUrl(endpoints_, "/contact2.php");
    AddDetailLog("[IE.Navigate] = " + form + " ...");
    AddDetailLog("[IE.DeleteCache] = " + TrueFalse(browser_->DeleteCacheEntry(form)));
    browser_->Navigate(form);
    WaitReportPage();
    AddLog(step + "...準備2 (時間がかかる場合があります)");
    SetField("email", endpoints_.supportAddress, "Error = 送信先をセットできません");
    SetField("message", text, "Error = 送信内容をセットできません");
    try {
        browser_->SubmitForm(browser_->Forms().at(0));
    } catch (...) {
        AddLog("Error = 送信実行時エラー");
    }
    PumpMessages(100);
    AddLog(step + "...送信開始");
    PumpMessages(300);
    WaitReportPage();
    const bool ok = ContainsNoCase(browser_->BodyInnerHtml(), kSuccessText);
    AddLog(ok ? "送信成功" : "送信失敗");
    return ok;
}

void ReportRun::SetField(const std::string& name, const std::string& value, const char* failure)
{
    try {
        browser_->SetValue(browser_->ElementByNameOrId(name), value);
    } catch (...) {
        AddLog(failure);
    }
    PumpMessages(100);
}

bool ReportRun::WaitReportPage()
{
    try {
        AddDetailLog("start wait");
        PumpFor(kSettleMs);
        AddDetailLog("start wait ok");
        const auto deadline = std::chrono::steady_clock::now() + kPageDeadline;
        const auto inTime = [&] { return std::chrono::steady_clock::now() <= deadline; };
        AddDetailLog("readState wait...");
        while (browser_->ReadyState() != "complete" && inTime()) {
            PumpMessages(kPollMs);
            AddDetailLog("IE.Document.ReadyState = " + browser_->ReadyState());
        }
        AddDetailLog("busy wait...");
        while (browser_->Busy() && inTime()) {
            PumpMessages(kPollMs);
            AddDetailLog("IE.Busy (LocationURL): " + browser_->LocationUrl());
        }
        AddDetailLog(PageDump(browser_->DocumentInnerHtml()));
        if (!IsServerErrorPage(browser_->BodyInnerHtml(), browser_->LocationUrl())) {
            retryCount_ = 0;
            return true;
        }
        return ReloadErrorPage();
    } catch (...) {
        return false;
    }
}

bool ReportRun::ReloadErrorPage()
{
    const int retry = ++retryCount_;
    AddLog("サーバー障害です.リトライします (Retry=" + std::to_string(retry) + "/" +
           std::to_string(kShownRetryLimit) + ")");
    if (retry >= kFailingRetry) {
        AddLog("Error! サーバー障害でretry Limit を超えました。処理を抜けます(RetryCount=" + std::to_string(retry) +
               ")");
        return false;
    }
    bool reloaded = false;
    {
        ReloadingScope reloading(host_.onReloading);
        browser_->Reload();
        PumpMessages(kReloadPauseMs);
        reloaded = WaitReportPage();
    }
    if (!reloaded)
        return false;
    retryCount_ = 0;
    if (retry == 1)
        AddLog("再読込みに成功");
    return true;
}

void ReportRun::ReportOutcome(bool ok)
{
    if (ok) {
        if (host_.clearDescription)
            host_.clearDescription();
        if (send_) {
            AddLog("■ 問題点の送信は全て正常に終了しました");
            return;
        }
        AddLog("■ 問題点の書き出しは全て正常に終了しました");
        ShowUserMessage("問題点をまとめたファイルは \"BugReport.atf\" です。\r\n"
                        "このメッセージの後、自動的にフォルダが開きますので\r\n"
                        "フォルダ内にある \"BugReport.atf\" をメールに添付して開発者までお送り下さい");
        if (host_.showFile)
            host_.showFile(ProgramPath(kReportFile));
        return;
    }
    if (send_) {
        AddLog("■ 問題点の送信は正常に終了できませんでした\r\nOSやルーターを再起動し再度お試しください。");
        AddLog("もし、数度お試し頂いても送信に失敗する場合は\r\n"
               "「問題点をファイルに書き出し」を行い、メール添付の形でファイルをお送り下さい。\r\n"
               "「問題点をファイルに書き出し」は、全般タブ内右クリックメニューよりご実行頂けます");
        return;
    }
    AddLog("■ 問題点の書き出しは正常に終了できませんでした。数度お試し頂いても解決出来ない場合は、"
           "お問い合わせフォームより開発者までご連絡ください");
}

} // namespace

bool SendProblemReport(bool send, const ProblemReportHost& host)
{
    if (AutoMode) {
        ShowUserMessage("自動売買モード中はご利用になれません");
        return false;
    }
    try {
        ReportRun run(send, host);
        return run.Run();
    } catch (const std::exception& error) {
        AddDetailLog(std::string("■■SendProblemReport Error! ") + error.what());
    }
    return false;
}
