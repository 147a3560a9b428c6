#include "CycleFixture.h"

namespace cycletest {
namespace {

const char* const kMarketClose = "Market Close.";
const char* const kRerunLine = "■ 前回、自動売買を正常に終えられなかったので、自動売買を再実行します";

// Lets the timer fire as the window would: one interval after the previous
// tick ended. Returns the seconds from the start at which each tick came.
std::vector<long long> TickTimes(CycleTest& test, AutoTradeCycle& cycle, FakeTimer& timer, TimePoint& now, int ticks)
{
    const TimePoint start = now;
    std::vector<long long> seconds;
    for (int i = 0; i < ticks; ++i) {
        now += std::chrono::milliseconds(timer.interval);
        cycle.AutoTradeTimerTimer();
        seconds.push_back(std::chrono::duration_cast<std::chrono::seconds>(now - start).count());
    }
    return seconds;
}

TEST_F(CycleTest, FirstTickAfterFiveSecondsThenTheNormalPeriod)
{
    for (const bool demo : {false, true}) {
        host.options.demoMode = demo;
        timer.interval = 5000;
        const long long period = demo ? 600 : 180;
        EXPECT_EQ(TickTimes(*this, cycle, timer, now, 3), (std::vector<long long>{5, 5 + period, 5 + 2 * period}))
            << "demo " << demo;
        EXPECT_TRUE(timer.enabled);
    }
}

TEST_F(CycleTest, FirstTickEntersAutomaticModeOnce)
{
    host.options.wakeUp = true;
    cycle.AutoTradeTimerTimer();
    cycle.AutoTradeTimerTimer();
    EXPECT_TRUE(AutoMode);
    EXPECT_FALSE(host.idleWatcher);
    EXPECT_TRUE(host.stopShown);
    EXPECT_EQ(host.caption, "Pellago ver. 1.0271 (自動売買実行中...)");
    EXPECT_EQ(watchdogToggles, 1);
    EXPECT_EQ(power.requests, (std::vector<std::string>{"KeepAwake", "KeepAwake"}));
}

TEST_F(CycleTest, ReplacementGateChangesNothingButKeepsTheTimerRunning)
{
    Replacing = true;
    timer.enabled = false;
    EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::Gated);
    EXPECT_TRUE(timer.enabled);
    EXPECT_EQ(timer.interval, 5000);
    EXPECT_EQ(signalChecks + versionChecks, 0);
    EXPECT_EQ(host.caption, "Pellago ver. 1.0271");
    EXPECT_TRUE(AutoMode);
}

// A first start without the template (service down): the ticks try the
// version check again, say once what they wait for, and trade as soon as
// the service answers.
TEST_F(CycleTest, VersionCheckLeftOpenAtStartIsRetriedUntilTheServiceAnswers)
{
    VersionChecked = false;
    newSignal = true;
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::Gated);
        EXPECT_TRUE(timer.enabled);
        EXPECT_TRUE(host.stopShown);
    }
    EXPECT_EQ(versionChecks, 3);
    EXPECT_EQ(timer.interval, 180000);
    EXPECT_EQ(MemoLinesContaining("自動売買を待機します"), 1);
    EXPECT_TRUE(runs.empty());

    serviceAnswers = true;
    EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::Succeeded);
    EXPECT_EQ(runs.size(), 1u);
}

TEST_F(CycleTest, WeekendLogsMarketCloseOnceAndTradesNothing)
{
    now = Utc(2024, 1, 6, 9, 0); // Saturday
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::MarketClosed);
        now += std::chrono::minutes(3);
    }
    EXPECT_EQ(MemoLinesContaining(kMarketClose), 1);
    EXPECT_NE(ActivityMemo().lines().back().find(kMarketClose), std::string::npos);
    EXPECT_EQ(signalChecks, 0);
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_TRUE(power.requests.empty());
}

TEST_F(CycleTest, WeekendPowerActionOncePerLocalDay)
{
    struct Case {
        int comboIndex;
        std::vector<std::string> requests;
        int logLines;
    } cases[] = {
        {0, {}, 0},
        {1, {"Suspend(force)", "Suspend(force)"}, 2},
        {2, {"Hibernate(force)", "Hibernate(force)"}, 2},
    };
    for (const auto& c : cases) {
        power.requests.clear();
        settings.values.clear();
        ActivityMemo().clear();
        host.options.powerDownAfterRun = true;
        host.options.powerAction = c.comboIndex;
        for (const TimePoint t : {Local(2024, 1, 6, 10, 0), Local(2024, 1, 6, 23, 59), Local(2024, 1, 7, 0, 1)}) {
            now = t;
            cycle.AutoTradeTimerTimer();
        }
        EXPECT_EQ(power.requests, c.requests) << c.comboIndex;
        EXPECT_EQ(MemoLinesContaining("自動売買を正常に終えたので、"), c.logLines) << c.comboIndex;
        EXPECT_EQ(settings.values["LastSleep"], "2024/01/07");
    }
}

TEST_F(CycleTest, NothingNewWithFinishedLastRunTouchesNoSetting)
{
    for (const char* latest : {"", "1"}) {
        settings.values.clear();
        if (*latest)
            settings.values["LatestTrade"] = latest;
        EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::NothingNew);
        EXPECT_TRUE(runs.empty());
        EXPECT_TRUE(settings.writes.empty());
    }
    EXPECT_EQ(signalChecks, 2);
}

TEST_F(CycleTest, UnfinishedLastRunRunsAgainWithoutANewSignal)
{
    settings.values["LatestTrade"] = "0";
    EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::Succeeded);
    EXPECT_EQ(MemoLinesContaining(kRerunLine), 1);
    EXPECT_EQ(signalChecks, 1);
    EXPECT_EQ(runs, std::vector<bool>{false});
    EXPECT_EQ(settings.writes, (std::vector<std::string>{"LatestTrade=0", "LatestTrade=1", "URetryCount=0"}));
}

// Nothing tradable (a broken signal, no signal file while a re-run is owed)
// keeps the positions and the owed re-run, but climbs no retry ladder: a
// retry or a restart cannot mend the signal. A failed check is no success.
TEST_F(CycleTest, NothingTradableKeepsTheRerunOwedWithoutRetries)
{
    struct Case {
        const char* latestTrade;
        bool newSignal;
        bool checkFails;
        std::optional<TradeRunResult> run;
        TickOutcome outcome;
        const char* latestAfter;
    };
    const Case cases[] = {
        {"1", true, false, TradeRunResult::SignalRefused, TickOutcome::WaitingForSignal, "0"},
        {"0", false, false, TradeRunResult::SignalRefused, TickOutcome::WaitingForSignal, "0"},
        {"0", false, false, TradeRunResult::NoSignal, TickOutcome::WaitingForSignal, "0"},
        {"1", true, false, TradeRunResult::NoSignal, TickOutcome::Succeeded, "1"},
        {"1", false, true, std::nullopt, TickOutcome::CheckFailed, "1"},
        {"0", false, true, TradeRunResult::Done, TickOutcome::Succeeded, "1"},
    };
    for (const Case& c : cases) {
        settings.values["LatestTrade"] = c.latestTrade;
        newSignal = c.newSignal;
        checkFails = c.checkFails;
        runEnd = c.run;
        runs.clear();
        EXPECT_EQ(cycle.AutoTradeTimerTimer(), c.outcome) << c.latestTrade << " " << static_cast<int>(c.outcome);
        EXPECT_EQ(runs.size(), c.run ? 1u : 0u);
        EXPECT_EQ(settings.values["LatestTrade"], c.latestAfter);
        EXPECT_EQ(AutoRetryCount, 0);
        EXPECT_TRUE(launched.empty());
    }
    // While a refused signal is passed over, the owed re-run is not announced on every tick.
    EXPECT_EQ(MemoLinesContaining(kRerunLine), 1);
}

TEST_F(CycleTest, SelfUpdateStartedBySignalCheckLeavesTheRunToTheNextProcess)
{
    AutoTradeOperations ops = Operations();
    ops.checkSignal = [] {
        Replacing = true;
        return SignalCheck::NewSignal;
    };
    AutoTradeCycle updating(host, timer, settings, power, ops);
    EXPECT_EQ(updating.AutoTradeTimerTimer(), TickOutcome::HandedOver);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(settings.values["LatestTrade"], "0");
    EXPECT_TRUE(timer.enabled);
}

TEST_F(CycleTest, SuccessResetsRetriesAndPeriodAlsoInDemoMode)
{
    for (const bool demo : {false, true}) {
        host.options.demoMode = demo;
        AutoRetryCount = 2;
        timer.interval = 360000;
        newSignal = true;
        EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::Succeeded);
        EXPECT_EQ(timer.interval, 180000);
        EXPECT_EQ(AutoRetryCount, 0);
        EXPECT_EQ(settings.values["URetryCount"], "0");
        EXPECT_EQ(settings.values["LatestTrade"], "1");
    }
}

TEST_F(CycleTest, FailuresRetryInProcessThenRestartThroughReExe)
{
    newSignal = true;
    runResult = false;
    timer.interval = 180000;
    EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::RetryScheduled);
    EXPECT_EQ(timer.interval, 180000);
    newSignal = false; // the retries come from LatestTrade alone
    EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::RetryScheduled);
    EXPECT_EQ(timer.interval, 360000);
    EXPECT_EQ(MemoLinesContaining("■ 今回、自動売買が不完全な形で終了したため、3分後に再実行します"), 1);
    EXPECT_EQ(MemoLinesContaining("■ 今回、自動売買が不完全な形で終了したため、6分後に再実行します"), 1);
    EXPECT_EQ(terminations, 0);

    EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::Restarting);
    EXPECT_EQ(settings.values["URetryCount"], "3");
    EXPECT_EQ(settings.values["LatestTrade"], "0");
    EXPECT_EQ(watchdogTerminations, 1);
    EXPECT_EQ(launched, std::vector<std::string>{QuoteArg(ProgramFolder() + "Bin/ReExe.exe") + " " +
                                                 QuoteArg("/opt/pellago/pellago auto 3") + " " + QuoteArg("540")});
    EXPECT_EQ(launched[0], "\"" + ProgramFolder() + "Bin/ReExe.exe\"  \"/opt/pellago/pellago auto 3\"  \"540\" ");
    EXPECT_EQ(terminations, 1);
    EXPECT_EQ(MemoLinesContaining("分後に再実行します"), 2); // the restart is not announced
}

TEST_F(CycleTest, RestartedProcessFailsAgainWithALongerDelay)
{
    AutoRetryCount = 3; // read from URetryCount at start-up
    settings.values["LatestTrade"] = "0";
    runResult = false;
    EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::Restarting);
    EXPECT_EQ(launched.at(0), QuoteArg(ProgramFolder() + "Bin/ReExe.exe") + " " +
                                  QuoteArg("/opt/pellago/pellago auto 4") + " " + QuoteArg("720"));
}

TEST_F(CycleTest, UnderSystemdTheRestartIsLeftToItAfterTheSamePause)
{
    std::vector<std::int64_t> delays;
    AutoTradeOperations operations = Operations();
    operations.restartBySupervisor = [&](std::int64_t delay) { delays.push_back(delay); };
    AutoTradeCycle supervised{host, timer, settings, power, operations};
    AutoRetryCount = 3;
    settings.values["LatestTrade"] = "0";
    runResult = false;
    EXPECT_EQ(supervised.AutoTradeTimerTimer(), TickOutcome::Restarting);
    EXPECT_EQ(delays, std::vector<std::int64_t>{720000});
    EXPECT_TRUE(launched.empty());
    EXPECT_EQ(terminations, 0);
    EXPECT_EQ(settings.values["URetryCount"], "4");
}

TEST_F(CycleTest, EveryTenthFailureRebootsWhenAllowed)
{
    struct Case {
        bool option;
        int previousFailures;
        bool powerAccepts;
        std::vector<std::string> requests;
        TickOutcome outcome;
    } cases[] = {
        {true, 9, true, {"ExitWindows(6)"}, TickOutcome::Rebooting},
        {true, 19, true, {"ExitWindows(6)"}, TickOutcome::Rebooting},
        {false, 9, true, {}, TickOutcome::Restarting},
        {true, 10, true, {}, TickOutcome::Restarting},
        {true, 9, false, {"ExitWindows(6)"}, TickOutcome::Restarting}, // refused: restart instead
    };
    for (const auto& c : cases) {
        power.requests.clear();
        power.accept = c.powerAccepts;
        launched.clear();
        host.options.rebootEveryTenFailures = c.option;
        AutoRetryCount = c.previousFailures;
        newSignal = true;
        runResult = false;
        EXPECT_EQ(cycle.AutoTradeTimerTimer(), c.outcome) << c.previousFailures;
        EXPECT_EQ(power.requests, c.requests) << c.previousFailures;
        EXPECT_EQ(launched.size(), c.outcome == TickOutcome::Restarting ? 1u : 0u);
    }
}

TEST_F(CycleTest, IntervalCapsAtTheUnsigned32BitLimit)
{
    const std::pair<std::int64_t, std::int64_t> cases[] = {
        {2147483646, 180000 * 4}, {2147483647, 4294967295}, {4294967295, 4294967295}};
    for (const auto& [before, after] : cases) {
        AutoRetryCount = 3;
        timer.interval = before;
        newSignal = true;
        runResult = false;
        cycle.AutoTradeTimerTimer();
        EXPECT_EQ(timer.interval, after) << before;
    }
    EXPECT_EQ(launched.back().substr(launched.back().rfind("  ")), "  \"4294967\" ");
}

TEST_F(CycleTest, ReExeThatCannotStartKeepsTheProcessRetrying)
{
    AutoRetryCount = 2;
    newSignal = true;
    runResult = false;
    launchWorks = false;
    EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::RetryScheduled);
    EXPECT_EQ(terminations, 0);
    EXPECT_EQ(MemoLinesContaining("9分後に再実行します"), 1);
}

struct PowerDownCase {
    const char* name;
    bool option;
    int comboIndex;
    TimePoint local;
    const char* signal;
    std::vector<std::string> requests;
};

TEST_F(CycleTest, GoodRunOnTodaysSignalPowersDown)
{
    const PowerDownCase cases[] = {
        {"06:50, previous day's name", true, 0, Local(2024, 1, 5, 6, 50), "/s/2024/0104.xml", {"ExitWindows(5)"}},
        {"06:56, previous day's name", true, 0, Local(2024, 1, 5, 6, 56), "/s/2024/0104.xml", {}},
        {"suspend", true, 1, Local(2024, 1, 5, 6, 56), "/s/2024/0105.xml", {"Suspend(force)"}},
        {"hibernate", true, 2, Local(2024, 1, 5, 6, 56), "/s/2024/0105.xml", {"Hibernate(force)"}},
        {"option off", false, 0, Local(2024, 1, 5, 6, 56), "/s/2024/0105.xml", {}},
    };
    for (const auto& c : cases) {
        power.requests.clear();
        host.options.powerDownAfterRun = c.option;
        host.options.powerAction = c.comboIndex;
        now = c.local;
        signalFile = c.signal;
        newSignal = true;
        EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::Succeeded) << c.name;
        EXPECT_EQ(power.requests, c.requests) << c.name;
    }
    EXPECT_EQ(MemoLinesContaining("自動売買を正常に終えたので、"), 0); // no line precedes these
}

TEST_F(CycleTest, FailedRunNeverPowersDown)
{
    host.options.powerDownAfterRun = true;
    signalFile = "/s/2024/0110.xml";
    newSignal = true;
    runResult = false;
    cycle.AutoTradeTimerTimer();
    EXPECT_TRUE(power.requests.empty());
}

TEST_F(CycleTest, ErrorsInsideATickNeverStopTheTimer)
{
    newSignal = true;
    onRun = []() -> bool { throw std::runtime_error("browser gone"); };
    EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::RetryScheduled); // counts as a failed run
    EXPECT_TRUE(timer.enabled);
    EXPECT_EQ(AutoRetryCount, 1);

    AutoTradeOperations ops = Operations();
    ops.checkSignal = []() -> SignalCheck { throw std::runtime_error("mailbox"); };
    AutoTradeCycle failing(host, timer, settings, power, ops);
    EXPECT_EQ(failing.AutoTradeTimerTimer(), TickOutcome::Error);
    EXPECT_TRUE(timer.enabled);
}

TEST_F(CycleTest, TickReenteredDuringARunDoesNotStartASecondRun)
{
    newSignal = true;
    TickOutcome nested = TickOutcome::Error;
    onRun = [&] {
        nested = cycle.AutoTradeTimerTimer();
        return true;
    };
    EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::Succeeded);
    EXPECT_EQ(nested, TickOutcome::Busy);
    EXPECT_EQ(runs.size(), 1u);
}

} // namespace
} // namespace cycletest
