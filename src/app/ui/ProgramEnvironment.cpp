#include "app/ui/ProgramEnvironment.h"

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
