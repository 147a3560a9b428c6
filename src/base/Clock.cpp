#include "base/Clock.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

using std::chrono::system_clock;

ClockSource& Source()
{
    static ClockSource source;
    return source;
}

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
long long DaysFromCivil(int year, int month, int day)
{
    const long long y = year - (month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long days, int& year, int& month, int& day)
{
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

int WeekdayFromDays(long long daysSince1970)
{
    // 1970-01-01 was a Thursday (4).
    return static_cast<int>(((daysSince1970 % 7) + 11) % 7);
}

constexpr long long kDaysFrom1899To1970 = 25569;
constexpr long long kMsPerDay = 86400000;

long long FloorDiv(long long a, long long b)
{
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// Splits a point into whole seconds and the millisecond remainder (0..999).
void SplitPoint(system_clock::time_point point, std::time_t& seconds, int& millis)
{
    const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(point.time_since_epoch()).count();
    seconds = static_cast<std::time_t>(FloorDiv(ms, 1000));
    millis = static_cast<int>(ms - FloorDiv(ms, 1000) * 1000);
}

DateTime FromTm(const std::tm& tm, int millis)
{
    DateTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.millisecond = millis;
    t.dayOfWeek = tm.tm_wday;
    return t;
}

// The calendar fields of a point; `toFields` is localtime_r or gmtime_r.
DateTime Fields(system_clock::time_point point, std::tm* (*toFields)(const std::time_t*, std::tm*))
{
    std::time_t seconds;
    int millis;
    SplitPoint(point, seconds, millis);
    std::tm tm{};
    toFields(&seconds, &tm);
    return FromTm(tm, millis);
}

} // namespace

void SetClockSource(ClockSource source)
{
    Source() = std::move(source);
}

system_clock::time_point NowPoint()
{
    return Source() ? Source()() : system_clock::now();
}

DateTime Now()
{
    return ToLocal(NowPoint());
}

DateTime NowUtc()
{
    return ToUtc(NowPoint());
}

DateTime ToLocal(system_clock::time_point point)
{
    return Fields(point, localtime_r);
}

DateTime ToUtc(system_clock::time_point point)
{
    return Fields(point, gmtime_r);
}

system_clock::time_point FromLocal(const DateTime& local)
{
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    const std::time_t seconds = mktime(&tm);
    return system_clock::from_time_t(seconds) + std::chrono::milliseconds(local.millisecond);
}

double ToDayCount(const DateTime& time)
{
    const long long days = DaysFromCivil(time.year, time.month, time.day) + kDaysFrom1899To1970;
    const long long ms = ((time.hour * 60LL + time.minute) * 60 + time.second) * 1000 + time.millisecond;
    return static_cast<double>(days) + static_cast<double>(ms) / kMsPerDay;
}

DateTime FromDayCount(double days)
{
    const long long totalMs = std::llround(days * kMsPerDay);
    const long long dayNumber = FloorDiv(totalMs, kMsPerDay);
    long long ms = totalMs - dayNumber * kMsPerDay;
    DateTime t;
    const long long since1970 = dayNumber - kDaysFrom1899To1970;
    CivilFromDays(since1970, t.year, t.month, t.day);
    t.dayOfWeek = WeekdayFromDays(since1970);
    t.millisecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    t.second = static_cast<int>(ms % 60);
    ms /= 60;
    t.minute = static_cast<int>(ms % 60);
    t.hour = static_cast<int>(ms / 60);
    return t;
}

DateTime AddDays(const DateTime& date, int days)
{
    DateTime moved = date;
    const long long since1970 = DaysFromCivil(date.year, date.month, date.day) + days;
    CivilFromDays(since1970, moved.year, moved.month, moved.day);
    moved.dayOfWeek = WeekdayFromDays(since1970);
    return moved;
}

std::string FormatTimeStamp(const DateTime& time)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %d:%02d:%02d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    return buffer;
}

std::string FormatShortDate(const DateTime& time)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d", time.year, time.month, time.day);
    return buffer;
}

int WeekdayOf(const DateTime& date)
{
    return WeekdayFromDays(DaysFromCivil(date.year, date.month, date.day));
}
