// The auto-trade cycle on the main window: the timer adapter beyond what a
// QTimer holds, a tick on the window's controls and its settings file, the
// trade run by hand putting the window back, the weekend box of Button5.

#include "GuiTest.h"

#include "app/IniFile.h"
#include "app/ProcessLaunch.h"
#include "app/ServiceContext.h"
#include "app/ui/AutoTradeWiring.h"
#include "app/ui/QtCycleTimer.h"
#include "app/ui/RadioGroup.h"
#include "fakes/RecordingPower.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>

#include <chrono>
#include <climits>
#include <csignal>

using namespace guitest;
using namespace std::chrono;

namespace {

// Fires the QTimer's timeout as its expiry would.
void Expire(QTimer& timer)
{
    QVERIFY(QMetaObject::invokeMethod(&timer, "timeout"));
}

void PinClock(sys_days day, hours hour)
{
    SetClockSource([point = system_clock::time_point(day + hour)] { return point; });
}

} // namespace

class AutoTradeWiringTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramHome> home_;
    RecordingPower power_;

    std::unique_ptr<TPellagoForm> Start(std::vector<std::string> arguments = {})
    {
        SetPowerControlForNextWindow(&power_);
        auto window = StartWindow(std::move(arguments));
        SetPowerControlForNextWindow(nullptr);
        return window;
    }

private slots:
    void init()
    {
        home_ = std::make_unique<ProgramHome>();
        ResetProcessState();
        power_.requests.clear();
    }

    void cleanup()
    {
        SetClockSource({});
        home_.reset();
    }

    void longIntervalsElapseOnlyAfterTheirLastSegment()
    {
        QTimer timer;
        QtCycleTimer cycleTimer(&timer);
        QSignalSpy elapsed(&cycleTimer, &QtCycleTimer::Elapsed);
        cycleTimer.SetInterval(4294967295LL);
        cycleTimer.SetEnabled(true);
        QCOMPARE(cycleTimer.Interval(), 4294967295LL);
        QCOMPARE(timer.interval(), INT_MAX);
        // INT_MAX + INT_MAX + 1 ms: three segments, one Elapsed.
        Expire(timer);
        Expire(timer);
        QCOMPARE(elapsed.count(), 0);
        QCOMPARE(timer.interval(), 1);
        Expire(timer);
        QCOMPARE(elapsed.count(), 1);
        QCOMPARE(timer.interval(), INT_MAX);
        QCOMPARE(cycleTimer.Interval(), 4294967295LL);
    }

    void shortIntervalsElapseAtEveryTimeoutAndDirectSetsAreTakenOver()
    {
        QTimer timer;
        timer.setInterval(5000);
        QtCycleTimer cycleTimer(&timer);
        QSignalSpy elapsed(&cycleTimer, &QtCycleTimer::Elapsed);
        cycleTimer.SetInterval(180000);
        QVERIFY2(!timer.isActive(), "setting the interval does not start the timer");
        cycleTimer.SetEnabled(true);
        Expire(timer);
        Expire(timer);
        QCOMPARE(elapsed.count(), 2);
        timer.setInterval(5000);
        QCOMPARE(cycleTimer.Interval(), 5000LL);
    }

    void firstAutomaticTickSetsThePeriodCaptionAndStopButton_data()
    {
        QTest::addColumn<bool>("demo");
        QTest::addColumn<int>("period");
        QTest::newRow("normal") << false << 180000;
        QTest::newRow("demo") << true << 600000;
    }

    void firstAutomaticTickSetsThePeriodCaptionAndStopButton()
    {
        QFETCH(bool, demo);
        QFETCH(int, period);
        home_->writeSettings(std::string("[Main]\r\nCheckBox10=") + (demo ? "1" : "0") + "\r\n");
        PinClock(sys_days{2025y / January / 11}, 12h); // Saturday: no network needed
        auto window = Start({"auto"});
        VersionChecked = true;
        QCOMPARE(window->AutoTradeTimer->interval(), 5000);
        Expire(*window->AutoTradeTimer);

        QCOMPARE(window->AutoTrade().LastOutcome(), std::optional<TickOutcome>(TickOutcome::MarketClosed));
        QCOMPARE(window->AutoTradeTimer->interval(), period);
        QVERIFY(window->AutoTradeTimer->isActive());
        QVERIFY(window->windowTitle().endsWith(QStringLiteral(" (自動売買実行中...)")));
        QVERIFY(!window->Button8->isHidden());
        QVERIFY(window->Button7->isHidden());
        QVERIFY(MemoTexts().contains(QStringLiteral("Market Close.")));
    }

    void gatedTickWaitsForTheServiceWithTheStopButtonAtHand()
    {
        auto window = Start({"auto"});
        VersionChecked = false;
        Expire(*window->AutoTradeTimer);
        QCOMPARE(window->AutoTrade().LastOutcome(), std::optional<TickOutcome>(TickOutcome::Gated));
        QCOMPARE(window->AutoTradeTimer->interval(), 180000);
        QVERIFY(window->AutoTradeTimer->isActive());
        QVERIFY(!window->windowTitle().contains(QStringLiteral("自動売買実行中")));
        QVERIFY(!window->Button8->isHidden());
        QVERIFY(window->Button8->isEnabled());
    }

    void stopButtonRestoresTheCaptionAndUnlocksTheTabs()
    {
        PinClock(sys_days{2025y / January / 11}, 12h);
        auto window = Start({"auto"});
        VersionChecked = true;
        const QString caption = window->windowTitle();
        Expire(*window->AutoTradeTimer);
        QVERIFY(!window->CheckBox17->isEnabled());
        window->Button8->click();
        QCOMPARE(window->windowTitle(), caption);
        QVERIFY(!window->AutoTradeTimer->isActive());
        QVERIFY(!AutoMode);
        QVERIFY(window->CheckBox17->isEnabled());
        QVERIFY(!window->Button7->isHidden());
        QVERIFY(window->Button8->isHidden());
    }

    void cancelWritesLatestTradeToTheSettingsFileAtOnce()
    {
        auto window = Start();
        window->CancelButton->setEnabled(true);
        window->CancelButton->click();
        QVERIFY(CancelRequested);
        QCOMPARE(ReadIniString(home_->settingsFile(), "AutoTrade", "LatestTrade").value_or(""), std::string("0"));
        QVERIFY(!window->CancelButton->isEnabled());
    }

    void runByHandWithoutSignalSucceedsAndPutsTheWindowBack()
    {
        auto window = Start();
        window->RadioGroup1->setItemIndex(2);
        QVERIFY(window->RunAutoTrade(true));
        QVERIFY(MemoTexts().contains(QStringLiteral("まだシグナルを一度も受信していませんので、自動売買はできません")));
        QCOMPARE(window->RadioGroup1->itemIndex(), 2);
        QVERIFY(!TradeRunning);
        QVERIFY(window->CheckBox17->isEnabled());
    }

    void weekendForceShowsTheBoxAndRunsNothing()
    {
        PinClock(sys_days{2025y / January / 11}, 12h);
        auto window = Start();
        window->show();
        QString caption;
        QTimer::singleShot(0, [&caption] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                caption = box->windowTitle();
                box->button(QMessageBox::Ok)->click();
            }
        });
        window->Button5->click();
        QCOMPARE(caption, QStringLiteral("週末のため、実行できません"));
        QVERIFY(!MemoTexts().contains(QStringLiteral("■ 自動売買を実行します")));
        QVERIFY(!MemoTexts().contains(QStringLiteral("まだシグナルを一度も受信していませんので、自動売買はできません")));
    }

    // Closing the window ends the watchdog, except when the revival test
    // closes it: then the watchdog is what must bring the program back.
    void watchdogOutlivesOnlyTheRevivalTest_data()
    {
        QTest::addColumn<bool>("revivalTest");
        QTest::newRow("revival test") << true;
        QTest::newRow("plain close") << false;
    }

    void watchdogOutlivesOnlyTheRevivalTest()
    {
        QFETCH(bool, revivalTest);
        auto window = Start();
        ServiceHooks hooks = CurrentServiceHooks();
        hooks.terminateProgram = [&window] { window->close(); };
        SetServiceHooks(hooks);
        // A stand-in watchdog: the real one would revive this test program.
        WatchdogProcess = LaunchProcess("/bin/sleep 30");
        const pid_t watchdog = WatchdogProcess;
        QVERIFY(watchdog > 0); // else Button20 would start the real watchdog
        if (revivalTest)
            window->Button20->click();
        else
            window->close();
        ReapEndedChildren();
        QCOMPARE(kill(watchdog, 0) == 0, revivalTest);
        TerminateProcess(watchdog);
    }
};

PELLAGO_GUI_TEST_MAIN(AutoTradeWiringTest)
#include "AutoTradeWiringTest.moc"
