// Mail that cannot go out: every route gives its reason in the activity log
// instead of throwing, and a pass that broke off never stops later passes.

#include "reporting/MailDist.h"
#include "reporting/MailQueue.h"
#include "reporting/SmtpFailure.h"
#include "support/ScratchProgram.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

struct BrokenBrowsers : BrowserFactory {
    std::unique_ptr<Browser> CreateBrowser(const BrowserPlacement&) override
    {
        throw std::runtime_error("no display");
    }
};

TEST(MailRoutes, GiveTheReasonOfAFailureInTheActivityLog)
{
    BrokenBrowsers brokenBrowsers;
    struct Case {
        const char* route;
        std::function<void(TMailSettings&)> choose;
        std::string logged;
    };
    const Case cases[] = {
        {"SMTP", [](TMailSettings& s) { s.Smtp.Port = "25a"; },
         "[SMTP] メールを送信できませんでした: ホスト、ポートまたは受信者メールアドレスが正しくありません"},
        {"sendmail",
         [](TMailSettings& s) {
             s.OutlookExpress = true;
             s.Recipients = " ; ";
         },
         "[sendmail] メールを送信できませんでした: 受信者メールアドレスがありません"},
        {"relay",
         [&](TMailSettings& s) {
             s.Relay = true;
             s.RelayRoute.Browsers = &brokenBrowsers;
         },
         "[Relay] メールを送信できませんでした: 処理中に例外が発生しました (no display)"},
    };
    for (const Case& c : cases) {
        testsupport::ScratchProgramFolder program;
        TMailSettings settings;
        settings.Smtp = {"127.0.0.1", "25", "", "", false, ""};
        settings.Recipients = "a@example.test";
        c.choose(settings);
        EXPECT_EQ(DeliverMail(settings, "subject", "body"), TMailResult::Failed) << c.route;
        EXPECT_TRUE(testsupport::LoggedLine(c.logged)) << c.route << "\n" << testsupport::LogDump();
    }
}

TEST(MailQueuePass, ThatBrokeOffLeavesTheQueueToTheNextPass)
{
    testsupport::ScratchProgramFolder program;
    for (const char* subject : {"件名1", "件名2"})
        ASSERT_TRUE(SaveMailFile(MailTempFolder() + NewMailFileName(MailTempFolder()), subject, "本文"));
    TMailQueue queue;
    const bool busy = false;
    const TMailQueueOptions options{true, false, 60000};
    EXPECT_THROW(queue.ProcessQueue(options, busy,
                                    [](const std::string&, const std::string&) -> TMailResult {
                                        throw std::runtime_error("disk gone");
                                    }),
                 std::runtime_error);
    int sent = 0;
    queue.ProcessQueue(options, busy, [&](const std::string&, const std::string&) {
        ++sent;
        return TMailResult::Sent;
    });
    EXPECT_EQ(sent, 2);
    EXPECT_TRUE(program.QueuedMails().empty());
}

} // namespace

namespace {

// The refusals the loopback server never gives: libcurl reports the
// server's reply to MAIL FROM or RCPT TO in its error text.
TEST(SmtpFailureReason, NamesTheRefusedAddressWithTheServersReply)
{
    struct Case {
        CURLcode code;
        const char* curlError;
        std::string reason;
    };
    const Case cases[] = {
        {CURLE_SEND_ERROR, "RCPT failed: 550",
         "メールサーバーが受信者メールアドレスを受け付けませんでした (応答 550)"},
        {CURLE_RECV_ERROR, "MAIL failed: 553",
         "メールサーバーが送信者メールアドレスを受け付けませんでした (応答 553)"},
        {CURLE_COULDNT_RESOLVE_HOST, "Could not resolve host: smtp.invalid",
         "メールサーバー smtp.invalid:587 が見つかりません (ホスト名を確認してください)"},
        {CURLE_USE_SSL_FAILED, "", "メールサーバー smtp.invalid:587 は暗号化 (STARTTLS) に対応していません"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SmtpFailureReason(c.code, c.curlError, "smtp.invalid:587"), c.reason) << c.curlError;
}

} // namespace
