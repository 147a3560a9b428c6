#include "app/ui/ProgramEnvironment.h"

#include "app/RetryPolicy.h"
#include "base/Clock.h"
#include "broker/SessionTimings.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QtGlobal>

#include <chrono>

void ExportProgramHome(const QString& folder)
{
    qputenv("PELLAGO_HOME", folder.toLocal8Bit());
}

void LoadQtJapanese()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
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

namespace {

// A positive number from the environment, or 0.
long long PositiveSetting(const char* name)
{
    bool ok = false;
    const long long value = qEnvironmentVariable(name).toLongLong(&ok);
    return ok && value > 0 ? value : 0;
}

} // namespace

void ApplyTestTimings()
{
    if (const long long step = PositiveSetting("PELLAGO_TEST_RETRY_STEP_MS"))
        retry::SetRetryStep(step);
    if (const long long period = PositiveSetting("PELLAGO_TEST_TICK_MS"))
        retry::SetTestPeriod(period);
    TSessionTimings timings = DefaultSessionTimings();
    if (const long long settle = PositiveSetting("PELLAGO_TEST_SETTLE_MS"))
        timings.SettleMilliseconds = static_cast<int>(settle);
    if (const long long poll = PositiveSetting("PELLAGO_TEST_POLL_MS"))
        timings.PollMilliseconds = static_cast<int>(poll);
    if (const long long deadline = PositiveSetting("PELLAGO_TEST_PAGE_DEADLINE_S"))
        timings.WaitTimeoutSeconds = static_cast<int>(deadline);
    if (const long long pause = PositiveSetting("PELLAGO_TEST_RELOAD_PAUSE_MS"))
        timings.ReloadPauseMilliseconds = static_cast<int>(pause);
    SetDefaultSessionTimings(timings);
}
