#include "app/ui/ProgramEnvironment.h"

#include "app/RetryPolicy.h"
#include "base/Clock.h"

#include <QByteArray>
#include <QtGlobal>

#include <chrono>

void ExportProgramHome(const QString& folder)
{
    qputenv("PELLAGO_HOME", folder.toLocal8Bit());
}

void ApplyTestClockOffset()
{
    bool ok = false;
    const long long seconds = qEnvironmentVariable("PELLAGO_TEST_CLOCK_OFFSET").toLongLong(&ok);
    if (!ok || seconds == 0)
        return;
    const auto offset = std::chrono::seconds(seconds);
    SetClockSource([offset] { return std::chrono::system_clock::now() + offset; });
}

void ApplyTestRetryStep()
{
    bool ok = false;
    const long long milliseconds = qEnvironmentVariable("PELLAGO_TEST_RETRY_STEP_MS").toLongLong(&ok);
    if (ok && milliseconds > 0)
        retry::SetRetryStep(milliseconds);
}
