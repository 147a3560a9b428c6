// The problem report sent through pellago-sim's contact form in a hidden
// browser: five parts that the simulator records, the limit of the page
// waits when the form answers with an error page every time, and no
// password in anything that leaves the machine.

#include "ServiceKit.h"

#include "app/ProblemReport.h"
#include "app/ReportScramble.h"
#include "base/Angou.h"
#include "base/TextCodec.h"
#include "broker/web/BrowserHost.h"
#include "broker/web/QtBrowserFactory.h"
#include "support/SimServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWidget>

using servicekit::LogDump;
using servicekit::LoggedLine;

class ProblemReportToSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.Running());
        folder.PointServiceAt(sim.Url(""));
        folder.Write("Log/" + ZeroPad(Now().year, 4) + "-" + ZeroPad(Now().month, 2) + ".log",
                     "[2024/03/10 11:00:00]　■ 自動売買を実行します\r\n");
        folder.Write("Log/hd", "[2024/03/10 11:00:01] WaitIE IN\r\n");
        folder.Write("Setting/Account.xml",
                     "<Account>\n  <UserName Visible=\"False\">c2VjcmV0</UserName>\n  <Name>LionFX</Name>\n</Account>\n");
        report.askDescription = [] { return true; };
        report.texts = [] { return ReportTexts{"user7", "me@example.jp", "report@example.jp", "起動しません\n二行目"}; };
        report.clearDescription = [this] { ++cleared; };
        report.browsers = &browsers;
        report.placement = BrowserPlacement{&host, "問題点送信フォーム"};
        report.onReloading = [this](bool on) { switches.push_back(on); };
    }

    QJsonArray Posts() const
    {
        return QJsonDocument::fromJson(QByteArray::fromStdString(sim.Get("/_control/service/posts").body)).array();
    }
    static QString Field(const QJsonArray& posts, int index, const char* name)
    {
        return posts[index].toObject()["fields"].toObject()[name].toString();
    }

    testsupport::SimServer sim;
    servicekit::ProgramFolder folder;
    QWidget window;
    BrowserHost host{&window};
    QtBrowserFactory browsers;
    ProblemReportHost report;
    int cleared = 0;
    std::vector<bool> switches;
};

TEST_F(ProblemReportToSim, SentInFivePartsThatTheFormReceives)
{
    ASSERT_TRUE(SendProblemReport(true, report)) << LogDump();
    const QJsonArray posts = Posts();
    ASSERT_EQ(posts.size(), 5);
    const char* titles[] = {"お問い合わせ内容 : ID(user7) ", "通常のログ : ID(user7) ", "その他のログ : ID(user7) ",
                            "設定状態 : ID(user7) ", "OS情報&Replaceログ : ID(user7) "};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(posts[i].toObject()["path"].toString(), "/contact2.php");
        EXPECT_EQ(Field(posts, i, "email"), "support@pellago.example");
        EXPECT_TRUE(Field(posts, i, "message").startsWith(QString("\r\n") + titles[i])) << i;
    }
    const QString inquiry = Field(posts, 0, "message");
    EXPECT_TRUE(inquiry.contains("連絡先メールアドレス : me@example.jp\r\n受信者メールアドレス : report@example.jp\r\n\r\n"
                                 "起動しません\r\n二行目"));
    EXPECT_FALSE(Field(posts, 3, "message").contains("c2VjcmV0"));
    EXPECT_TRUE(LoggedLine("■ 問題点の送信は全て正常に終了しました"));
    EXPECT_EQ(cleared, 1);
    EXPECT_TRUE(switches.empty());
}

TEST_F(ProblemReportToSim, AnErrorPageSixTimesEndsTheReportWithTheLimitMessage)
{
    ASSERT_TRUE(sim.Post("/_control/service/faults", R"({"path":"/contact2.php","status":500})").ok());
    EXPECT_FALSE(SendProblemReport(true, report));
    for (const char* line : {"サーバー障害です.リトライします (Retry=1/5)", "再読込みに成功",
                             "サーバー障害です.リトライします (Retry=6/5)",
                             "Error! サーバー障害でretry Limit を超えました。処理を抜けます(RetryCount=6)", "送信失敗",
                             "問題点の送信(書き出し)1において、エラーが生じました",
                             "■ 問題点の送信は正常に終了できませんでした", "OSやルーターを再起動し再度お試しください。"})
        EXPECT_EQ(LoggedLine(line), std::string(line) != "再読込みに成功") << line << "\n" << LogDump();
    EXPECT_EQ(Posts().size(), 0);
    EXPECT_EQ(cleared, 0);
    // The watchdog was on for each of the five reloads and off again after it.
    EXPECT_EQ(switches, (std::vector<bool>{true, true, true, true, true, false, false, false, false, false}));
}

TEST_F(ProblemReportToSim, NoPasswordLeavesInAnyFormWhenSentOrExported)
{
    // Service, SMTP and mailbox passwords as the window stores them, the
    // service password quoted by the detail log, and a new one typed but not
    // yet stored.
    const std::vector<std::string> plain = {"svc-Pw7", "smtp-Pw8", "mbox-Pw9", "typed-Pw0"};
    std::vector<std::string> forms = plain;
    std::string ini = "[Main]\r\nEdit1=user7\r\n";
    for (const auto& [key, value] : {std::pair{"Edit2", plain[0]}, {"Edit5", plain[1]}, {"Edit6", plain[2]}}) {
        forms.push_back(AngouEncodeText(value));
        ini += std::string(key) + "=" + forms.back() + "\r\n";
    }
    folder.Write("pellago.ini", ini);
    folder.Write("Log/hd", "GET " + sim.Url("/real/user7/" + plain[0] + "/ref.xml") + ": error\r\n" + plain[3] + "\r\n");
    report.texts = [&] { return ReportTexts{"user7", "me@example.jp", "", "落ちます", {plain[0], "", plain[3]}}; };

    ASSERT_TRUE(SendProblemReport(true, report)) << LogDump();
    QString posted;
    for (const QJsonValue& post : Posts())
        posted += post.toObject()["fields"].toObject()["message"].toString();
    EXPECT_TRUE(posted.contains("pellago.ini\r\n[Main]\r\nEdit1=user7"));
    for (const std::string& form : forms)
        EXPECT_FALSE(posted.contains(QString::fromStdString(form))) << form;

    ASSERT_TRUE(SendProblemReport(false, report)) << LogDump();
    const std::string file = folder.Read("BugReport.atf");
    const std::string text = UnscrambleBytes(file);
    ASSERT_NE(text.find("Edit1=user7"), std::string::npos);
    for (const std::string& form : forms)
        for (const std::string& bytes : {form, ScrambleBytes(Utf8ToCp932(form))})
            EXPECT_EQ((file + text).find(bytes), std::string::npos) << form;
}
