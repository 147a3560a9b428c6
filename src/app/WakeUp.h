#pragma once
// The daily wake-up: a timer that wakes a suspended or hibernated machine
// at the chosen time of day and again every 24 hours after. The platform's
// timer sits behind WakeTimer; the window holds it until it closes.

#include <chrono>

enum class WakeTimerResult { Set, NoPermission, Failed };

class WakeTimer {
public:
    virtual ~WakeTimer() = default;
    // Creates the timer on first use, then makes it fire after `due` and
    // every `period` after that, waking the machine each time.
    virtual WakeTimerResult Set(std::chrono::milliseconds due, std::chrono::milliseconds period) = 0;
    // Releases the timer: the machine is no longer woken. Safe to repeat.
    virtual void Close() = 0;
    // Whether the timer is set to go off, as the platform reports it.
    virtual bool Armed() const = 0;
};

inline constexpr std::chrono::milliseconds kWakeUpPeriod = std::chrono::hours(24);

// From now to the next hour:minute: today while that time has not passed,
// else tomorrow. Never zero, so the timer is always armed.
std::chrono::milliseconds DelayUntilWakeUp(int hour, int minute);

// Arms the timer for the next hour:minute and every day after, and logs the
// outcome (with how to grant the permission when it was missing).
bool SetDailyWakeUp(WakeTimer& timer, int hour, int minute);
// Releases the timer as soon as the daily wake-up is no longer chosen, and
// notes it in the detail log when it was armed.
void CancelDailyWakeUp(WakeTimer& timer);
