// A new user on the real main window, with clicks and key presses only:
// from an empty program folder whose service.conf names pellago-sim, the
// terms are accepted, a LionFX account is added and given its log-in data
// and a leverage of 2 on every portfolio, its log-in test passes against the
// simulator, and "自動売買を実行する" brings the simulator's book to the targets.
// With PELLAGO_SCREENSHOT_DIR set, the three screens are saved there.

#include "app/ProcessLaunch.h"
#include "app/ProcessState.h"
#include "app/RetryPolicy.h"
#include "app/ui/PellagoLicenseUnit.h"
#include "app/ui/PellagoUnit1.h"
#include "base/AkUnit.h"
#include "support/SimServer.h"
#include "support/TestSupport.h"
#include "support/WindowInput.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

using namespace windowinput;
using testsupport::SimServer;

namespace {

const std::string kAccount = "window-user";

// USDJPY: 2 of 2 slots long; EURJPY: 1 of 2 short.
std::string DemoSignal(const DateTime& day)
{
    const std::string name = ZeroPad(day.month, 2) + ZeroPad(day.day, 2) + ".xml";
    return "<PellagoSignal><FileName>" + name + "</FileName><HoldPositionSummary>"
           "<USDJPY><Breakout UseSystemCount=\"2\" PositionCount=\"2\"/></USDJPY>"
           "<EURJPY><Breakout UseSystemCount=\"2\" PositionCount=\"-1\"/></EURJPY>"
           "</HoldPositionSummary><HoldPosition/></PellagoSignal>";
}

void Snapshot(QWidget& window, const char* name)
{
    if (const char* folder = std::getenv("PELLAGO_SCREENSHOT_DIR")) {
        QTest::qWait(2000); // the status page beside the screen draws itself
        window.grab().save(QString::fromUtf8(folder) + "/" + name);
    }
}

// The terms window comes up modal; the user reads it and clicks 同意する.
void AcceptTermsWhenShown(TForm1& terms)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, &terms] {
        if (QApplication::activeModalWidget() != &terms)
            return;
        QTest::mouseClick(terms.Button1, Qt::LeftButton);
        poll->deleteLater();
    });
    poll->start(50);
}

// The watchdog that automatic mode starts would revive this test program.
struct WatchdogEnder {
    ~WatchdogEnder() { TerminateProcess(WatchdogProcess); }
};

// The simulator with still prices, the demo signal of the program's day (the
// clock moved to a market day) and the user's LionFX account; the program
// folder's service is the simulator.
void PrepareSimAndHome(SimServer& sim, testsupport::ScratchDir& home)
{
    ASSERT_TRUE(sim.Running());
    const long long offset = testsupport::MarketOpenOffset();
    SetClockSource([offset] { return std::chrono::system_clock::now() + std::chrono::seconds(offset); });
    ASSERT_TRUE(sim.Post("/_control/prices", R"({"moving":false})").ok());
    ASSERT_TRUE(sim.Post("/_control/service/demo_signal", DemoSignal(Now())).ok());
    ASSERT_TRUE(sim.CreateAccount(R"({"family":"lionfx","id":")" + kAccount +
                                  R"(","password":"pw","deposit":1000000})"));
    testsupport::WriteFileBytes(home.file("service.conf"),
                                "web_base = " + sim.Url("") + "\nmail_host = 127.0.0.1\nmail_port = 9\n");
}

} // namespace

TEST(AccountWindow, NewUserSetsUpAnAccountAndTradesFromTheWindow)
{
    SimServer sim;
    testsupport::ScratchDir home;
    ASSERT_NO_FATAL_FAILURE(PrepareSimAndHome(sim, home));
    SetProgramFolder(home.path());
    ResetProcessState();
    SetMessagePump([] { QCoreApplication::processEvents(); }); // as the program's main does
    WatchdogEnder watchdog;

    TPellagoForm window{StartOptions()};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TForm1 terms(&window);
    AcceptTermsWhenShown(terms);
    ASSERT_TRUE(SettleTermsAtStart(terms, window));
    EXPECT_TRUE(std::filesystem::exists(home.file("AutoTrade/Licensed")));

    ClickTab(window.PageControl1, window.TabSheet4);
    ClickBox(window.CheckBox10); // Demoモードで動作
    ClickTab(window.PageControl1, window.TabSheet3);
    ASSERT_EQ(window.ComboBox1->currentText(), QStringLiteral("LionFX"));
    Click(window.Button3);
    ClickNode(window.TreeView1, Node(window.TreeView1, 0, QStringLiteral("UserName")));
    QTest::keyClicks(window.EditXMLValue, QString::fromStdString(kAccount));
    ClickNode(window.TreeView1, Node(window.TreeView1, 0, QStringLiteral("Password")));
    QTest::keyClicks(window.EditXMLValue, QStringLiteral("pw"));
    ClickNode(window.TreeView1, Node(window.TreeView1, 0, QStringLiteral("Enabled")));
    QTest::keyClick(window.ComboXMLValue, Qt::Key_Up); // 有効

    // Leverage 2 on every row the demo mode offers.
    ClickTab(window.PageControl1, window.TabSheet2);
    int rows = 0;
    for (int group = 0; group < window.TreeView2->topLevelItemCount(); ++group)
        for (int item = 0; item < window.TreeView2->topLevelItem(group)->childCount(); ++item) {
            ClickNode(window.TreeView2, window.TreeView2->topLevelItem(group)->child(item));
            if (window.ValueListEditor1->item(0, 1)->flags() & Qt::ItemIsEditable) {
                TypeIntoCell(window.ValueListEditor1, 0, 1, QStringLiteral("2"));
                ++rows;
            }
        }
    EXPECT_EQ(rows, 3);

    ClickTab(window.PageControl1, window.TabSheet3);
    auto answers = std::make_shared<QStringList>();
    AnswerBoxes(QMessageBox::Ok, 2, answers);
    ChooseFromNodeMenu(window.TreeView1, Node(window.TreeView1, 0), window.AccountLoginTest);
    ASSERT_EQ(answers->size(), 2) << window.Memo1->toPlainText().toStdString();
    EXPECT_EQ(answers->at(1), QStringLiteral("[成功] ログインテストに成功しました"))
        << window.Memo1->toPlainText().toStdString();
    // The balance the test read is kept as a trade run's is, before any run.
    EXPECT_NE(testsupport::ReadFileBytes(home.file("AutoTrade/AccountLog/Balance.csv")).find(", 1000000"),
              std::string::npos);

    ClickTab(window.PageControl1, window.TabSheet1);
    ASSERT_TRUE(testsupport::WaitUntil([] { return VersionChecked; }, 20000));
    Click(window.Button7); // 自動売買を実行する
    const std::map<std::string, int> targets{{"EURJPY", -1}, {"USDJPY", 2}};
    EXPECT_EQ(sim.NetLots("lionfx", kAccount), targets) << window.Memo1->toPlainText().toStdString();

    Click(window.Button8);
    ClickTab(window.PageControl1, window.TabSheet3);
    ClickNode(window.TreeView1, Node(window.TreeView1, 0, QStringLiteral("Password")));
    Snapshot(window, "account-tab.png");
    ClickTab(window.PageControl1, window.TabSheet2);
    ClickNode(window.TreeView2, Node(window.TreeView2, 0, QStringLiteral("Breakout")));
    Snapshot(window, "portfolio-tab.png");
    ClickTab(window.PageControl1, window.TabSheet1);
    Click(window.Button14);
    ClickTab(window.PageControl2, window.TabSheet8);
    EXPECT_EQ(window.Label36->text(), QStringLiteral("1000000")); // the balance the run read
    ClickBox(window.CheckBox23);
    Snapshot(window, "model-case-tab.png");
    Click(window.Button15);
    window.close();
    SetClockSource({});
    SetMessagePump({});
}

// The first start of a set-up folder while the service is down (no
// template yet): 自動売買を実行する waits with the stop button at hand and a
// line saying why, and the same session trades once the service answers.
TEST(AccountWindow, StartWithoutTheServiceWaitsThenTradesWhenItAnswers)
{
    SimServer sim;
    testsupport::ScratchDir home;
    ASSERT_NO_FATAL_FAILURE(PrepareSimAndHome(sim, home));
    std::filesystem::create_directories(home.file("AutoTrade"));
    testsupport::WriteFileBytes(home.file("AutoTrade/Licensed"), "");
    QProcess tool;
    tool.start(QString::fromStdString(testsupport::BinDir() + "pellago-demo-account"),
               {"--home", QString::fromStdString(home.path()), "--broker", "LionFX", "--user",
                QString::fromStdString(kAccount), "--password", "pw", "--leverage", "2"});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    std::filesystem::remove(home.file("Setting/AccountTemplate.xml"));
    ASSERT_TRUE(sim.Post("/_control/service/faults", R"({"path":"/account_template.xml","status":503})").ok());

    SetProgramFolder(home.path());
    ResetProcessState();
    SetMessagePump([] { QCoreApplication::processEvents(); });
    retry::SetTestPeriod(500);
    WatchdogEnder watchdog;
    TPellagoForm window{StartOptions()};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TForm1 terms(&window);
    ASSERT_TRUE(SettleTermsAtStart(terms, window));
    QTest::qWait(1500); // the start-up version check has found no template
    ASSERT_FALSE(VersionChecked);
    ClickTab(window.PageControl1, window.TabSheet4);
    ClickBox(window.CheckBox10); // Demoモードで動作
    ClickTab(window.PageControl1, window.TabSheet1);

    Click(window.Button7); // 自動売買を実行する
    const auto memo = [&window] { return window.Memo1->toPlainText().toStdString(); };
    ASSERT_TRUE(testsupport::WaitUntil([&] { return memo().find("自動売買を待機します") != std::string::npos; }, 20000))
        << memo();
    EXPECT_TRUE(window.Button8->isVisible() && window.Button8->isEnabled());
    EXPECT_TRUE(sim.NetLots("lionfx", kAccount).empty());

    ASSERT_TRUE(sim.Delete("/_control/service/faults/account_template.xml").ok());
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] { return memo().find("■ 自動売買は正常に終了しました") != std::string::npos; }, 120000))
        << memo();
    const std::map<std::string, int> targets{{"EURJPY", -1}, {"USDJPY", 2}};
    EXPECT_EQ(sim.NetLots("lionfx", kAccount), targets) << memo();
    Click(window.Button8);
    window.close();
    retry::SetTestPeriod(0);
    SetClockSource({});
    SetMessagePump({});
}
