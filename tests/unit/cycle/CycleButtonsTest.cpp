#include "CycleFixture.h"

namespace cycletest {
namespace {

TEST_F(CycleTest, StartLocksTheTabsAndTicksAtOnce)
{
    timer.enabled = false;
    cycle.Button7Click();
    EXPECT_FALSE(host.tabsEnabled);
    EXPECT_TRUE(host.stopEnabled);
    EXPECT_EQ(signalChecks, 1);
    EXPECT_TRUE(timer.enabled);
    EXPECT_TRUE(AutoMode);
}

TEST_F(CycleTest, StopRestoresTheManualWindow)
{
    cycle.Button7Click();
    cycle.Button8Click();
    EXPECT_TRUE(host.tabsEnabled);
    EXPECT_FALSE(timer.enabled);
    EXPECT_FALSE(AutoMode);
    EXPECT_FALSE(host.stopShown);
    EXPECT_EQ(host.caption, "Pellago ver. 1.0271");
    EXPECT_EQ(watchdogTerminations, 1);
    EXPECT_TRUE(host.idleWatcher);
    EXPECT_EQ(MemoLinesContaining("自動売買を停止しました"), 1);
}

TEST_F(CycleTest, StopBeforeTheFirstTickKeepsTheCaption)
{
    host.caption = "Pellago ver. 1.0271";
    cycle.Button8Click();
    EXPECT_EQ(host.caption, "Pellago ver. 1.0271");
    EXPECT_EQ(watchdogToggles, 0); // stopping never starts a watchdog
}

TEST_F(CycleTest, ForcedRunOnTheWeekendShowsTheMessageAndRunsNothing)
{
    now = Utc(2024, 1, 6, 12, 0);
    cycle.Button5Click();
    EXPECT_EQ(host.boxes, std::vector<std::string>{"週末のため、実行できません|"
                                                   "土曜朝5時～月曜朝7時の週末時刻は\r\n"
                                                   "メンテナンスを行う業者が多いため\r\n"
                                                   "誤作動防止のため実行できません。\r\n"});
    EXPECT_TRUE(runs.empty());
}

TEST_F(CycleTest, ForcedRunReportsItsResultAndLeavesTheRetryStateAlone)
{
    struct Case {
        std::function<bool()> run;
        const char* line;
    } cases[] = {
        {[] { return true; }, "自動売買は正常に終了しました"},
        {[] { return false; }, "自動売買は不完全な形で終了しました。時間を置いて再実行してみてください"},
        {[]() -> bool { throw std::runtime_error("x"); }, "自動売買は不完全な形で終了しました。"},
    };
    for (const auto& c : cases) {
        host.cancelPlaces.clear();
        ActivityMemo().clear();
        onRun = c.run;
        cycle.Button5Click();
        EXPECT_EQ(runs.back(), true);
        EXPECT_EQ(MemoLinesContaining(c.line), 1) << c.line;
        EXPECT_EQ(host.cancelPlaces,
                  (std::vector<CancelButtonPlace>{CancelButtonPlace::ForceButton, CancelButtonPlace::StartButton}));
    }
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_EQ(AutoRetryCount, 0);
}

TEST_F(CycleTest, CancelDuringAnAutomaticRunMakesTheNextTickRunAgain)
{
    newSignal = true;
    onRun = [&] {
        cycle.CancelButtonClick();
        return false;
    };
    cycle.AutoTradeTimerTimer();
    EXPECT_TRUE(CancelRequested);
    EXPECT_FALSE(host.cancelEnabled);
    EXPECT_EQ(MemoLinesContaining("■Cancel■ キリの良い所で中断します..."), 1);
    EXPECT_EQ(settings.values["LatestTrade"], "0");

    newSignal = false;
    onRun = nullptr;
    EXPECT_EQ(cycle.AutoTradeTimerTimer(), TickOutcome::Succeeded);
    EXPECT_EQ(runs.size(), 2u);
}

} // namespace
} // namespace cycletest
