#include "app/RetryPolicy.h"

#include "app/ProcessState.h"
#include "base/AkUnit.h"

namespace retry {

namespace {

std::int64_t retryStep = kRetryStep;
std::int64_t testPeriod = 0;

} // namespace

std::int64_t RetryStep() { return retryStep; }
void SetRetryStep(std::int64_t milliseconds) { retryStep = milliseconds; }

std::int64_t PeriodFor(bool demoMode)
{
    if (testPeriod > 0)
        return testPeriod;
    return demoMode ? kDemoInterval : kNormalInterval;
}

std::int64_t NormalInterval() { return PeriodFor(false); }
void SetTestPeriod(std::int64_t milliseconds) { testPeriod = milliseconds; }

std::int64_t IntervalAfterFailure(std::int64_t current, int failures)
{
    if (current >= kCapThreshold)
        return kCappedInterval;
    return RoundHalfAway(static_cast<double>(failures) * static_cast<double>(RetryStep()));
}

bool RestartsProgram(int failures)
{
    return failures >= kRestartFromFailure;
}

bool RebootsMachine(int failures, bool rebootOption)
{
    return rebootOption && RestartsProgram(failures) && failures % kRebootEveryFailures == 0;
}

std::string RetryMessage(std::int64_t interval)
{
    return "■ 今回、自動売買が不完全な形で終了したため、" +
           std::to_string(RoundHalfAway(static_cast<double>(interval) / 60000.0)) + "分後に再実行します";
}

std::string ReExeCommandLine(int failures, std::int64_t interval)
{
    return QuoteArg(ProgramFolder() + "Bin/ReExe.exe") + " " +
           QuoteArg(RestartCommandLine({"auto", std::to_string(failures)})) + " " +
           QuoteArg(std::to_string(RoundHalfAway(static_cast<double>(interval) / 1000.0)));
}

} // namespace retry
