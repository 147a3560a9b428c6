#include "reporting/MailDist.h"

#include "base/AkUnit.h"
#include "base/Log.h"
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
    const bool sent =
        DeliverMail(settings, "テストメールです", "これはPellagoによる\r\nテストメールです") == TMailResult::Sent;
    AddLog(sent ? "メール送信成功" : "メール送信失敗");
}
