// Mail that cannot go out: every route gives its reason in the activity log
// instead of throwing, and a pass that broke off never stops later passes.

#include "reporting/MailDist.h"
#include "reporting/MailQueue.h"
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
