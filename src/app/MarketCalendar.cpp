#include "app/MarketCalendar.h"

#include "base/AkUnit.h"
#include "base/Clock.h"

#include <chrono>

namespace {

constexpr int kSunday = 0;
constexpr int kFriday = 5;
constexpr int kSaturday = 6;
constexpr int kWeekOpensAtHour = 22; // Sunday, UTC
constexpr int kWeekClosesAtHour = 20; // Friday, UTC
constexpr std::chrono::minutes kTradingDayTurn{6 * 60 + 55};

std::string FileNameWithoutExtension(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace

bool IsMarketOpenAt(const DateTime& utc)
{
    switch (utc.dayOfWeek) {
    case kSunday:
        return utc.hour >= kWeekOpensAtHour;
    case kFriday:
        return utc.hour < kWeekClosesAtHour;
    case kSaturday:
        return false;
    default:
        return true;
    }
}

bool IsMarketOpen() { return IsMarketOpenAt(NowUtc()); }

std::chrono::minutes MarketTimeBetween(std::chrono::system_clock::time_point from,
                                       std::chrono::system_clock::time_point to, std::chrono::minutes enough)
{
    // The week opens and closes on the hour, so ten-minute steps are exact enough.
    constexpr std::chrono::minutes kStep{10};
    std::chrono::minutes open{0};
    for (auto at = from; at < to && open <= enough; at += kStep)
        if (IsMarketOpenAt(ToUtc(at)))
            open += kStep;
    return open;
}

bool IsTodaysSignal(const std::string& latestSignalFile)
{
    if (latestSignalFile.empty())
        return false;
    const DateTime tradingDay = ToLocal(NowPoint() - kTradingDayTurn);
    return FileNameWithoutExtension(latestSignalFile) == MonthDayString(true, tradingDay);
}
