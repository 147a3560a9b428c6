// The idle start on a pinned clock, with the recording power layer.

#include "app/IdleWatcher.h"
#include "app/ProcessState.h"
#include "fakes/RecordingPower.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class StillDesk : public IdleWatcherHost {
public:
    bool IdleStartChosen() const override { return true; }
    bool KeepAwakeChosen() const override { return true; }
    MousePoint MousePosition() const override { return mouse; }
    void SetTimerEnabled(bool enabled) override { timerEnabled = enabled; }
    void StartAutomaticTrading() override
    {
        ++starts;
        AutoMode = true;
    }

    MousePoint mouse{100, 100};
    bool timerEnabled = false;
    int starts = 0;
};

} // namespace

TEST(IdleWatcher, TwentyStillMinutesStartAutomaticModeAndAMoveRestartsThem)
{
    struct Case {
        std::vector<int> movesAt; // minutes after the option was ticked
        int startsAt;             // the first minute at which automatic mode began
    } cases[] = {{{}, 20}, {{10}, 30}, {{5, 19}, 39}};
    for (const Case& c : cases) {
        ResetProcessState();
        testsupport::PinnedClock clock(2024, 3, 4, 9, 0);
        StillDesk desk;
        RecordingPower power;
        IdleWatcher watcher(desk, power);
        watcher.CheckBox18Click();
        watcher.UserActiveCheckTimerTimer(); // the first look takes the position in
        int startedAt = -1;
        for (int minute = 1; minute <= 45 && startedAt < 0; ++minute) {
            clock.set(2024, 3, 4, 9, minute);
            if (std::find(c.movesAt.begin(), c.movesAt.end(), minute) != c.movesAt.end())
                desk.mouse.x += 1;
            watcher.UserActiveCheckTimerTimer();
            if (desk.starts > 0)
                startedAt = minute;
        }
        EXPECT_EQ(startedAt, c.startsAt);
        EXPECT_EQ(desk.starts, 1);
        EXPECT_FALSE(desk.timerEnabled); // automatic mode switched the watcher off
        EXPECT_EQ(power.requests.front(), "KeepAwake");
    }
}
