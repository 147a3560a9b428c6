// Mail delivery against real peers on loopback: the SMTP route and the
// queue against python3-aiosmtpd with STARTTLS and AUTH, the system-mailer
// route through msmtp to the same server, the relay route through a real
// browser against pellago-sim's form.

#include "MailKit.h"
#include "ServiceKit.h"

#include "app/MailMessage.h"
#include "app/ProcessState.h"
#include "broker/web/BrowserHost.h"
#include "broker/web/QtBrowserFactory.h"
#include "reporting/MailDist.h"
#include "reporting/MailQueue.h"
#include "reporting/MailRoute.h"
#include "support/SimServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWidget>

#include <filesystem>

using mailkit::SmtpServer;
using servicekit::Logged;
using testsupport::ScratchDir;

namespace fs = std::filesystem;

namespace {

const char* const kRecipients = "a@example.test;b@example.test";
const char* const kBothRecipients = R"("rcpt_tos": ["a@example.test", "b@example.test"])";

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// chattr +i / -i: a file that even root cannot delete.
bool Chattr(const char* flag, const std::string& path)
{
    QProcess chattr;
    chattr.start("chattr", {flag, QString::fromStdString(path)});
    return chattr.waitForFinished(10000) && chattr.exitStatus() == QProcess::NormalExit && chattr.exitCode() == 0;
}

std::string NameOf(const std::string& path) { return fs::path(path).filename().string(); }

class MailDelivery : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        certificates = new ScratchDir;
        ASSERT_TRUE(mailkit::MakeCertificate(certificates->path()));
    }
    static void TearDownTestSuite() { delete certificates; }

    TMailSettings Settings(int port) const
    {
        TMailSettings settings;
        settings.Smtp = {"127.0.0.1", std::to_string(port), mailkit::kUser, mailkit::kPassword, true,
                         certificates->file("cert.pem")};
        settings.SenderName = "Pellagoレポート";
        settings.SenderAddress = "bot@example.test";
        settings.Recipients = kRecipients;
        return settings;
    }

    std::string Queue(const std::string& subject, const std::string& body) const
    {
        const std::string path = MailTempFolder() + NewMailFileName(MailTempFolder());
        EXPECT_TRUE(SaveMailFile(path, subject, body));
        return path;
    }

    void Pass(TMailQueue& queue, int port, bool reportsOn = true, bool localSave = false) const
    {
        queue.ProcessQueue({reportsOn, localSave, 60000}, MailQueueBusy,
                           [&](const std::string& subject, const std::string& body) {
                               return DeliverMail(Settings(port), subject, body);
                           });
    }

    static int CountLogged(const std::string& prefix)
    {
        int count = 0;
        for (const std::string& line : Logged())
            count += line.rfind(prefix, 0) == 0;
        return count;
    }

    static inline ScratchDir* certificates = nullptr;
    servicekit::ProgramFolder program;
    ScratchDir spool;
};

TEST_F(MailDelivery, SmtpDeliversIso2022JpOrUtf8OverStartTlsWithAuth)
{
    SmtpServer server(spool.path(), certificates->path());
    ASSERT_GT(server.Port(), 0);
    TMailSettings settings = Settings(server.Port());
    ASSERT_EQ(DeliverMail(settings, "Pellago test report", "本日の取引\r\n[重要] 正常に終了\r\n"), TMailResult::Sent);
    settings.Utf8 = true;
    ASSERT_EQ(DeliverMail(settings, "11月5日の自動売買ログ", "本日の取引\r\n"), TMailResult::Sent);

    const auto mails = server.Messages();
    ASSERT_EQ(mails.size(), 2u);
    const std::string& jis = mails[0].raw;
    EXPECT_EQ(mailkit::HeaderValue(jis, "Subject"), "Pellago test report");
    EXPECT_EQ(DecodeHeaderText(mailkit::HeaderValue(jis, "From")), "Pellagoレポート <bot@example.test>");
    EXPECT_EQ(mailkit::HeaderValue(jis, "To"), "a@example.test, b@example.test");
    EXPECT_TRUE(Has(jis, "\x1b$B") && Has(jis, "\x1b(J")) << jis;
    EXPECT_EQ(mailkit::HeaderValue(jis, "Content-Type"), "text/plain; charset=ISO-2022-JP");
    EXPECT_EQ(JapaneseBytesToUtf8(ParseReceivedMail(jis).body), "本日の取引\r\n[重要] 正常に終了\r\n");
    for (const auto& mail : mails) {
        EXPECT_TRUE(Has(mail.envelope, kBothRecipients)) << mail.envelope;
        EXPECT_TRUE(Has(mail.envelope, R"("tls": true, "authenticated": true)")) << mail.envelope;
    }

    const ReceivedMail utf8 = ParseReceivedMail(mails[1].raw);
    EXPECT_EQ(mailkit::HeaderValue(mails[1].raw, "Content-Transfer-Encoding"), "base64");
    EXPECT_EQ(utf8.charset, "utf-8");
    EXPECT_EQ(utf8.body, "本日の取引\r\n");
    EXPECT_EQ(utf8.subject, "11月5日の自動売買ログ");
}

TEST_F(MailDelivery, AnUntrustedServerAWrongPasswordOrNoServerIsNoDeliveryAndSaysWhy)
{
    SmtpServer server(spool.path(), certificates->path());
    struct Case {
        const char* what;
        std::function<void(TMailSettings&)> change;
        TMailResult result;
        std::string reason;
    };
    const std::string at = "メールサーバー 127.0.0.1:";
    const int deadPort = testsupport::FreeLoopbackPort();
    const Case cases[] = {
        {"certificate not trusted", [](TMailSettings& s) { s.Smtp.CaFile.clear(); },
         TMailResult::Failed, at + std::to_string(server.Port()) + " の証明書を信頼できません"},
        {"wrong password", [](TMailSettings& s) { s.Smtp.Password = "wrong"; }, TMailResult::Failed,
         at + std::to_string(server.Port()) + " がログインを拒否しました (ユーザー名とパスワードを確認してください)"},
        {"port not a number", [](TMailSettings& s) { s.Smtp.Port = "25a"; }, TMailResult::Failed,
         "ホスト、ポートまたは受信者メールアドレスが正しくありません"},
        {"nobody listening", [&](TMailSettings& s) { s.Smtp.Port = std::to_string(deadPort); },
         TMailResult::Unreachable,
         at + std::to_string(deadPort) + " に接続できません (ホストとポートを確認してください)"},
    };
    for (const Case& c : cases) {
        TMailSettings settings = Settings(server.Port());
        c.change(settings);
        TakeRouteFailure();
        EXPECT_EQ(DeliverMail(settings, "subject", "body"), c.result) << c.what;
        EXPECT_EQ(TakeRouteFailure(), c.reason) << c.what;
    }
    EXPECT_TRUE(server.Messages().empty());
}

TEST_F(MailDelivery, QueuedMailsWaitOutADeadServerAndARestartThenGoOutOnceEach)
{
    const int port = testsupport::FreeLoopbackPort();
    Queue("件名1", "本文1");
    Queue("件名2", "本文2");
    {
        TMailQueue beforeRestart;
        Pass(beforeRestart, port);
    }
    EXPECT_EQ(program.QueuedMails().size(), 2u);
    // The pass ended at the first unreachable server instead of waiting once per mail.
    EXPECT_EQ(CountLogged("メール送信失敗.時間を置いて再送信します(次回実行:"), 1) << servicekit::LogDump();

    SmtpServer server(spool.path(), certificates->path(), port);
    ASSERT_EQ(server.Port(), port);
    TMailQueue afterRestart;
    Pass(afterRestart, port);
    Pass(afterRestart, port);
    const auto mails = server.Messages();
    ASSERT_EQ(mails.size(), 2u);
    EXPECT_EQ(ParseReceivedMail(mails[0].raw).subject, "件名1");
    EXPECT_EQ(ParseReceivedMail(mails[1].raw).subject, "件名2");
    EXPECT_TRUE(program.QueuedMails().empty());
    EXPECT_EQ(CountLogged("送信済みメール "), 2);
}

TEST_F(MailDelivery, AMailThatCannotBeDeletedAfterSendingIsNeverSentTwice)
{
    SmtpServer server(spool.path(), certificates->path());
    const std::string path = Queue("件名", "本文");
    if (!Chattr("+i", path))
        GTEST_SKIP() << "chattr +i is not available here";
    TMailQueue queue;
    Pass(queue, server.Port());
    Pass(queue, server.Port());
    TMailQueue restarted;
    Pass(restarted, server.Port());
    EXPECT_EQ(server.Messages().size(), 1u);
    EXPECT_TRUE(fs::exists(path));

    ASSERT_TRUE(Chattr("-i", path));
    Pass(restarted, server.Port());
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(program.Exists("MailTempSent.txt"));
    EXPECT_EQ(server.Messages().size(), 1u);
}

TEST_F(MailDelivery, ReportsOffKeepTheQueueAndLocalSaveKeepsEveryMailInTheMailLog)
{
    SmtpServer server(spool.path(), certificates->path());
    const std::string notice = NameOf(Queue("お知らせ", "本文"));
    const std::string report = NameOf(Queue("11月5日の自動売買ログ", "報告"));
    program.Write("MailLog/" + report, program.Read("MailTemp/" + report));
    const std::string before = program.Read("MailTemp/" + notice);

    TMailQueue queue;
    Pass(queue, server.Port(), /*reportsOn=*/false);
    EXPECT_EQ(program.QueuedMails().size(), 2u);
    EXPECT_EQ(program.Read("MailTemp/" + notice), before);

    Pass(queue, server.Port(), true, /*localSave=*/true);
    EXPECT_TRUE(program.QueuedMails().empty());
    EXPECT_EQ(program.Read("MailLog/" + notice), before);
    EXPECT_TRUE(program.Exists("MailLog/" + report));
    EXPECT_TRUE(server.Messages().empty());
}

TEST_F(MailDelivery, TheSystemMailerRouteGoesThroughMsmtpToTheServer)
{
    SmtpServer server(spool.path(), certificates->path());
    ScratchDir config;
    fs::create_directories(config.file("msmtp"));
    const std::string file = config.file("msmtp/config");
    testsupport::WriteFileBytes(file, "defaults\ntls on\ntls_starttls on\ntls_trust_file " +
                                          certificates->file("cert.pem") + "\naccount default\nhost 127.0.0.1\nport " +
                                          std::to_string(server.Port()) + "\nauth on\nuser " + mailkit::kUser +
                                          "\npassword " + mailkit::kPassword + "\nfrom desktop@example.test\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
    const std::string savedHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", config.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);

    TMailSettings settings = Settings(testsupport::FreeLoopbackPort()); // the SMTP fields play no part
    settings.OutlookExpress = true;
    const TMailResult result = DeliverMail(settings, "11月5日の自動売買ログ", "本日の取引\r\n");
    setenv("HOME", savedHome.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");

    EXPECT_EQ(result, TMailResult::Sent);
    const auto mails = server.Messages();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_TRUE(Has(mails[0].envelope, kBothRecipients)) << mails[0].envelope;
    EXPECT_TRUE(Has(mails[0].envelope, R"("mail_from": "desktop@example.test")")) << mails[0].envelope;
    EXPECT_EQ(ParseReceivedMail(mails[0].raw).subject, "11月5日の自動売買ログ");
    EXPECT_EQ(JapaneseBytesToUtf8(ParseReceivedMail(mails[0].raw).body), "本日の取引\r\n");
}

TEST_F(MailDelivery, TheRelayRouteFillsInAndSubmitsTheServicesForm)
{
    testsupport::SimServer sim;
    ASSERT_TRUE(sim.Running());
    QWidget window;
    BrowserHost host{&window};
    QtBrowserFactory browsers;
    TMailSettings settings = Settings(testsupport::FreeLoopbackPort()); // the SMTP fields are ignored on this route
    settings.Relay = true;
    settings.RelayRoute = {&browsers, &host, sim.Url("/send/mail/contact.php"), {}};
    EXPECT_EQ(DeliverMail(settings, "11月5日の自動売買ログ", "本日の取引\r\n[重要] 正常に終了"), TMailResult::Sent);

    const QJsonArray posts = QJsonDocument::fromJson(QByteArray::fromStdString(sim.Get("/_control/service/posts").body)).array();
    ASSERT_EQ(posts.size(), 1);
    const QJsonObject post = posts[0].toObject();
    EXPECT_EQ(post["path"].toString().toStdString(), "/send/mail/contact.php");
    const QJsonObject fields = post["fields"].toObject();
    EXPECT_EQ(fields["sender"].toString().toStdString(), "bot@example.test");
    EXPECT_EQ(fields["email"].toString().toStdString(), kRecipients);
    EXPECT_EQ(fields["msubject"].toString().toStdString(), "11月5日の自動売買ログ");
    EXPECT_EQ(fields["message"].toString().remove('\r').toStdString(), "本日の取引\n[重要] 正常に終了");

    settings.RelayRoute.PageUrl = "http://127.0.0.1:" + std::to_string(testsupport::FreeLoopbackPort()) + "/send/mail/contact.php";
    EXPECT_EQ(DeliverMail(settings, "subject", "body"), TMailResult::Unreachable);
}

} // namespace
