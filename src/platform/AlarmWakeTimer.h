#pragma once
// The wake timer on Linux: a timerfd on CLOCK_REALTIME_ALARM, the clock
// whose timers wake a suspended machine. Creating one needs the
// CAP_WAKE_ALARM capability (the install step grants it when it can).
// Nothing reads the descriptor: the timer only has to exist to wake the
// machine, and it goes with Close() or the process.

#include "app/WakeUp.h"

class AlarmWakeTimer : public WakeTimer {
public:
    AlarmWakeTimer() = default;
    ~AlarmWakeTimer() override;
    AlarmWakeTimer(const AlarmWakeTimer&) = delete;
    AlarmWakeTimer& operator=(const AlarmWakeTimer&) = delete;

    WakeTimerResult Set(std::chrono::milliseconds due, std::chrono::milliseconds period) override;
    void Close() override;
    // Read back from the kernel: a time left on the timerfd.
    bool Armed() const override;

    // The timerfd, -1 before the first Set and after Close.
    int Descriptor() const { return fd_; }

private:
    int fd_ = -1;
};
