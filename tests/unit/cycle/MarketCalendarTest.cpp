#include "app/MarketCalendar.h"
#include "CycleFixture.h"

namespace cycletest {
namespace {

struct MarketCase {
    const char* name;
    TimePoint utc;
    bool open;
};

TEST_F(CycleTest, MarketOpensSundayEveningAndClosesFridayEveningUtc)
{
    const MarketCase cases[] = {
        {"Saturday noon", Utc(2024, 1, 6, 12, 0), false},
        {"Sunday 21:59", Utc(2024, 1, 7, 21, 59), false},
        {"Sunday 22:00", Utc(2024, 1, 7, 22, 0), true},
        {"Monday 00:00", Utc(2024, 1, 8, 0, 0), true},
        {"Thursday 23:59", Utc(2024, 1, 11, 23, 59), true},
        {"Friday 19:59", Utc(2024, 1, 12, 19, 59), true},
        {"Friday 20:00", Utc(2024, 1, 12, 20, 0), false},
    };
    for (const auto& c : cases) {
        now = c.utc;
        EXPECT_EQ(IsMarketOpen(), c.open) << c.name;
    }
}

struct SignalDayCase {
    const char* name;
    TimePoint local;
    const char* file;
    bool today;
};

TEST_F(CycleTest, TradingDayTurnsAt0655LocalTime)
{
    const SignalDayCase cases[] = {
        {"06:50 still yesterday's day", Local(2024, 1, 5, 6, 50), "/p/AutoTrade/SignalLog/2024/0104.xml", true},
        {"06:56 is the new day", Local(2024, 1, 5, 6, 56), "/p/AutoTrade/SignalLog/2024/0104.xml", false},
        {"06:56 today's file", Local(2024, 1, 5, 6, 56), "/p/AutoTrade/SignalLog/2024/0105.xml", true},
        {"new year's morning", Local(2024, 1, 1, 6, 54), "/p/AutoTrade/SignalLog/2023/1231.xml", true},
        {"unpadded name never matches", Local(2024, 1, 5, 12, 0), "/p/AutoTrade/SignalLog/2024/15.xml", false},
        {"no signal file", Local(2024, 1, 5, 12, 0), "", false},
    };
    for (const auto& c : cases) {
        now = c.local;
        EXPECT_EQ(IsTodaysSignal(c.file), c.today) << c.name;
    }
}

} // namespace
} // namespace cycletest
