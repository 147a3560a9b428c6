#pragma once
// The program's one source of "now". Everything that looks at the time asks
// here, so tests can pin the clock to a weekend, a day change or a retry.

#include <chrono>
#include <functional>
#include <string>

struct DateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 6; // 0 Sunday .. 6 Saturday
};

using ClockSource = std::function<std::chrono::system_clock::time_point()>;

// Replaces the clock (tests); an empty function restores the system clock.
void SetClockSource(ClockSource source);
std::chrono::system_clock::time_point NowPoint();

DateTime Now();    // local time
DateTime NowUtc(); // UTC
DateTime ToLocal(std::chrono::system_clock::time_point point);
DateTime ToUtc(std::chrono::system_clock::time_point point);
// Local calendar time back to a time point (seconds and milliseconds kept).
std::chrono::system_clock::time_point FromLocal(const DateTime& local);

// Days since 1899-12-30 with the time of day as the fraction.
double ToDayCount(const DateTime& time);
DateTime FromDayCount(double days);
DateTime AddDays(const DateTime& date, int days);
// 0 Sunday .. 6 Saturday, from the calendar date alone.
int WeekdayOf(const DateTime& date);

// "yyyy/MM/dd H:mm:ss": the one time stamp of the logs and documents.
std::string FormatTimeStamp(const DateTime& time);
// "yyyy/MM/dd": the short date form.
std::string FormatShortDate(const DateTime& time);
