#pragma once
// The auto-trade timer's intervals and what a run of failures leads to:
// a retry in the same process, a restart through ReExe, or a reboot.

#include <cstdint>
#include <string>

namespace retry {

constexpr std::int64_t kFirstTickInterval = 5000;     // first tick after automatic mode starts
constexpr std::int64_t kNormalInterval = 180000;      // 3 minutes
constexpr std::int64_t kDemoInterval = 600000;        // 10 minutes in demo mode
constexpr std::int64_t kRetryStep = 180000;           // per consecutive failure
constexpr std::int64_t kCapThreshold = 2147483647;
constexpr std::int64_t kCappedInterval = 4294967295;
constexpr int kRestartFromFailure = 3;
constexpr int kRebootEveryFailures = 10;

// The period that replaces the first-tick interval.
std::int64_t PeriodFor(bool demoMode);
// The interval after a successful run: kNormalInterval, unless a test
// shortened the periods.
std::int64_t NormalInterval();
// Test-only: one period for normal and demo mode alike (0: the real ones).
void SetTestPeriod(std::int64_t milliseconds);

// The step per failure: kRetryStep, unless a test shortened it.
std::int64_t RetryStep();
void SetRetryStep(std::int64_t milliseconds);

// Failures × 3 minutes; an interval already at the signed 32-bit limit
// jumps to the unsigned one.
std::int64_t IntervalAfterFailure(std::int64_t current, int failures);

bool RestartsProgram(int failures);
bool RebootsMachine(int failures, bool rebootOption);

// "■ 今回、…N分後に再実行します" for the coming retry.
std::string RetryMessage(std::int64_t interval);

// ReExe waits the delay, then runs "<executable> auto <failures>" with the
// options the program keeps across restarts.
std::string ReExeCommandLine(int failures, std::int64_t interval);

} // namespace retry
