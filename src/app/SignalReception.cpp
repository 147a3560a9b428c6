#include "app/SignalReception.h"

#include "app/Download.h"
#include "app/MailMessage.h"
#include "app/Pop3Mailbox.h"
#include "app/ProcessState.h"
#include "app/RetryPolicy.h"
#include "app/SelfUpdate.h"
#include "app/ServiceEndpoints.h"
#include "app/SignalFiles.h"
#include "app/TemplateFetch.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "reporting/jconvert.h"
#include "documents/DocumentNodes.h"
#include "documents/SignalDocument.h"
#include "documents/XmlFile.h"

#include <filesystem>

namespace {

const std::string kCheckFailed = std::string("シグナルチェック時に異常が発生しました。") + "\r\n" +
                                 "時間を置いて再実行しますが、何度も異常が発生する時はネットワーク設定やHDD空き容量などをチェックし" +
                                 "\r\n" + "それでも繋がらなければ、OSの再起動をしてみてください";
const std::string kLoginOk = "ログインに成功しました";
const std::string kMailboxUnreachable = std::string("Error! シグナルサーバーに繋がりません。") + "\r\n" +
                                        "ユーザーネーム、パスワードを再確認の上" + "\r\n" +
                                        "何度お試し頂いても繋がらない場合は" + "\r\n" +
                                        "「シグナルを迂回して受信」にチェックを入れお試し下さい";
const std::string kWebUnreachable = std::string("Error! シグナルサーバーに繋がりません。") + "\r\n" +
                                    "ユーザーネーム、パスワードを再確認してください";

std::string ReferenceUrl(const ServiceEndpoints& endpoints, const ServiceSettings& settings)
{
    // ID and password go in as typed: the service expects them unescaped.
    return ServiceUrl(endpoints, "/real/" + settings.loginId + "/" + settings.password + "/ref.xml");
}

SignalFetch FetchFromConfiguredSource(const ServiceSettings& settings, const std::string& folder)
{
    ServiceEndpoints endpoints = CurrentServiceEndpoints();
    if (settings.demoMode)
        return FetchSignalDocument(folder, ServiceUrl(endpoints, "/demo_signal.xml"), false);
    if (settings.webRoute)
        return FetchSignalDocument(folder, ReferenceUrl(endpoints, settings), true);
    return FetchSignalMail(endpoints.mailHost, endpoints.mailPort,
                           SignalMailboxUser(endpoints, settings.loginId), settings.passwordConfirm, folder);
}

void SetStatusText(const std::string& text)
{
    if (CurrentServiceHooks().setStatusText)
        CurrentServiceHooks().setStatusText(text);
}

bool ParsedDocument(const std::string& bytes, pugi::xml_document& doc, const std::string& url)
{
    std::string error;
    if (ParseXmlBytes(bytes, doc, &error) && doc.document_element())
        return true;
    AddDetailLog("シグナル " + url + " はXMLではありません: " + error);
    return false;
}

// Mail text to the Shift-JIS the signal files keep; UTF-8 mail stays UTF-8,
// which the document reader recognises by itself.
std::string SignalBodyBytes(const ReceivedMail& mail)
{
    if (mail.charset == "utf-8" || mail.charset == "utf8")
        return mail.body;
    return ConvertJapaneseCode(mail.body, kCodeShiftJis);
}

} // namespace

std::string MissingSignalSetting(const ServiceSettings& settings)
{
    if (settings.demoMode)
        return {};
    if (Trim(settings.loginId).empty())
        return "ログインID";
    // The mailbox logs in with the confirmation box, the web route with the password box.
    if (settings.webRoute ? settings.password.empty() : settings.passwordConfirm.empty())
        return settings.webRoute ? "パスワード" : "パスワード(確認)";
    return {};
}

bool CheckSignal(const ServiceSettings& settings)
{
    return CheckSignalNow(settings) == SignalCheck::NewSignal;
}

SignalCheck CheckSignalNow(const ServiceSettings& settings)
{
    if (SignalCheckBusy)
        return SignalCheck::NothingNew;
    ScopedFlag busy(SignalCheckBusy);
    try {
        if (const std::string missing = MissingSignalSetting(settings); !missing.empty()) {
            CollapseRepeatedLog("シグナルを受信できません。ユーザタブの「" + missing +
                                "」が未設定です。Pellagoサービスのログイン情報を設定してください");
            return SignalCheck::Failed;
        }
        std::string folder = SignalFolderFor(Now());
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        SignalFetch fetch = FetchFromConfiguredSource(settings, folder);
        if (!fetch.ok) {
            AddLog(kCheckFailed);
            return SignalCheck::Failed;
        }
        std::string text = fetch.isNew ? "■ 新しいシグナルを受信しました" : "新しいシグナルはありません";
        if (settings.demoMode)
            text += " // DemoSignal";
        SetStatusText(FormatTimeStamp(Now()) + " // " + text);
        if (!fetch.isNew) {
            CollapseRepeatedLog("シグナルチェックを正常に終えました。" + text);
            return SignalCheck::NothingNew;
        }
        AddLog(text + "\r\n" + "シグナルチェックを正常に終えました");
        FetchAccountTemplate();
        CheckForUpdate(settings, true, false);
        return SignalCheck::NewSignal;
    } catch (...) {
        AddLog("[例外] " + kCheckFailed);
        return SignalCheck::Failed;
    }
}

SignalFetch FetchSignalDocument(const std::string& folder, const std::string& url, bool followReference)
{
    SignalFetch result;
    std::string text;
    if (!FetchText(url, text))
        return result;
    std::string documentUrl = url;
    if (followReference) {
        pugi::xml_document reference;
        if (!ParsedDocument(text, reference, url))
            return result;
        documentUrl = Trim(NodeText(reference.document_element().child("URL")));
        if (documentUrl.empty() || !FetchText(documentUrl, text))
            return result;
    }
    pugi::xml_document signal;
    if (!ParsedDocument(text, signal, documentUrl))
        return result;
    std::string name = Trim(SignalFileName(signal));
    bool existed = std::filesystem::exists(folder + name);
    if (StoreSignalFile(folder, name, text) != StoreResult::Stored)
        return result;
    result.ok = true;
    result.isNew = !existed;
    return result;
}

SignalFetch FetchSignalMail(const std::string& host, int port, const std::string& user,
                            const std::string& password, const std::string& folder)
{
    SignalFetch result;
    Pop3Mailbox mailbox(host, port, user, password);
    if (!mailbox.Open()) {
        AddDetailLog("POP3 " + host + ": " + mailbox.LastError());
        return result;
    }
    result.ok = true;
    for (int k = mailbox.MessageCount(); k >= 1; --k) {
        std::string raw;
        if (!mailbox.Retrieve(k, raw)) {
            // The rest stays on the server for the next check.
            AddDetailLog("POP3 RETR " + std::to_string(k) + ": " + mailbox.LastError());
            break;
        }
        ReceivedMail mail = ParseReceivedMail(raw);
        StoreResult stored = StoreSignalFile(folder, Trim(mail.subject), SignalBodyBytes(mail));
        if (stored == StoreResult::RefusedName)
            continue; // left on the server; the others still arrive
        if (stored == StoreResult::WriteFailed)
            break;
        result.isNew = true;
        if (!mailbox.Delete(k)) {
            AddDetailLog("POP3 DELE " + std::to_string(k) + ": " + mailbox.LastError());
            break;
        }
    }
    return result;
}

std::string TestSignalMailbox(const std::string& host, int port, const std::string& user,
                              const std::string& password)
{
    Pop3Mailbox mailbox(host, port, user, password);
    return mailbox.Open() ? kLoginOk : kMailboxUnreachable;
}

std::string SignalLoginTest(const ServiceSettings& settings)
{
    if (settings.password != settings.passwordConfirm) {
        ShowUserMessage(std::string("パスワード欄と、パスワード(確認)欄との値が一致しません。") + "\r\n" +
                        "再入力してください");
        return {};
    }
    AddLog("シグナルサーバーにログイン中...");
    ServiceEndpoints endpoints = CurrentServiceEndpoints();
    std::string text;
    if (settings.webRoute) {
        std::string folder = SignalFolderFor(Now());
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        text = FetchSignalDocument(folder, ReferenceUrl(endpoints, settings), true).ok ? kLoginOk : kWebUnreachable;
    } else {
        text = TestSignalMailbox(endpoints.mailHost, endpoints.mailPort,
                                 SignalMailboxUser(endpoints, settings.loginId), settings.passwordConfirm);
    }
    AddLog(text);
    ShowUserMessage(text);
    return text;
}

bool ReceiveSignalByHand(const ServiceSettings& settings, const std::function<void()>& forceRun)
{
    AddLog("シグナル受信中...");
    if (!CheckSignal(settings))
        return false;
    const auto& ask = CurrentServiceHooks().askOkCancel;
    if (ask && ask("確認", std::string("■ 新しいシグナルを受信しました。") + "\r\n" + "引き続き自動売買を行いますか?")) {
        if (forceRun)
            forceRun();
    } else {
        ShowUserMessage(std::string("後ほど、「強制的に自動売買を実行」を行ってください。") + "\r\n" +
                        "行わない場合、次回シグナルを受信した時にまとめて自動売買を行います");
    }
    return true;
}

DemoModeDecision DemoModeRule(bool checked, bool anyLoginText, bool windowVisible, std::int64_t currentInterval)
{
    DemoModeDecision decision;
    if (anyLoginText && checked && windowVisible) {
        const auto& ask = CurrentServiceHooks().askOkCancel;
        std::string text = std::string("このままDemoモードにしますか？") + "\r\n\r\n" +
                           "もし、すでに正規版としてご使用中の場合" + "\r\n" +
                           "一度Demoモードにすると、次回シグナル受信まで正規版のポートフォリオは使用できなくなります。" +
                           "\r\n\r\n" + "よろしいですか？";
        if (!ask || !ask("ご注意！", text)) {
            decision.uncheck = true;
            return decision;
        }
    }
    decision.loginControlsEnabled = !checked;
    // A timer still waiting for its first tick keeps that interval either way.
    if (currentInterval != retry::kFirstTickInterval)
        decision.interval = retry::PeriodFor(checked);
    return decision;
}
