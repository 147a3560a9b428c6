#include "reporting/MailDist.h"

#include "base/AkUnit.h"
#include "base/Log.h"
#include "reporting/MailRoute.h"
#include "reporting/SendmailRoute.h"

TMailResult DeliverMail(const TMailSettings& settings, const std::string& subject, const std::string& body)
{
    if (settings.Relay)
        return RelaySendMail(settings.RelayRoute, subject, settings.SenderAddress, settings.Recipients, body);
    const TMailContent mail{subject, body, settings.SenderName, settings.SenderAddress, settings.Recipients,
                            settings.Utf8};
    if (settings.OutlookExpress)
        return OutlookExpressSendMail(mail);
    return SmtpSendMail(settings.Smtp, mail);
}

void SendTestMail(const TMailSettings& settings, bool localSave, const std::string& localSaveCaption)
{
    if (localSave) {
        ShowUserMessage("「" + localSaveCaption + "」にチェックを入れている場合\r\nテストメールの送信は出来ません");
        return;
    }
    AddLog("メール送信開始");
    TakeRouteFailure();
    if (DeliverMail(settings, "テストメールです", "これはPellagoによる\r\nテストメールです") == TMailResult::Sent) {
        AddLog("メール送信成功");
        ShowUserMessage("テストメールを送信しました。\r\n受信者メールアドレスに届いたことを確認してください", "テストメール");
        return;
    }
    const std::string reason = TakeRouteFailure();
    AddLog(reason.empty() ? "メール送信失敗" : "メール送信失敗: " + reason);
    ShowUserMessage("テストメールを送信できませんでした。\r\n" + reason, "テストメール");
}
