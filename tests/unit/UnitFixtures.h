#pragma once
// Shared helpers for the unit tests: scratch files, calendar times and a
// pinned clock. No Qt here: the unit test programs do not link it.

#include "base/AkUnit.h"
#include "base/Clock.h"
#include "support/ScratchFiles.h"

#include <chrono>
#include <cstdlib>
#include <ctime>

namespace testsupport {

inline DateTime MakeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                             int millisecond = 0)
{
    DateTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.millisecond = millisecond;
    return t;
}

// Pins the process clock to a fixed local time (in UTC) while alive.
class PinnedClock {
public:
    PinnedClock(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
    {
        setenv("TZ", "UTC", 1);
        tzset();
        set(year, month, day, hour, minute, second);
    }
    ~PinnedClock() { SetClockSource({}); }
    PinnedClock(const PinnedClock&) = delete;
    PinnedClock& operator=(const PinnedClock&) = delete;
    void set(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
    {
        point_ = FromLocal(MakeDateTime(year, month, day, hour, minute, second));
        SetClockSource([this] { return point_; });
    }

private:
    std::chrono::system_clock::time_point point_;
};

} // namespace testsupport
