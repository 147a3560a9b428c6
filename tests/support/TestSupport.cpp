#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdlib>

namespace testsupport {

static std::string FromEnvWithSlash(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    std::string dir = value && *value ? value : fallback;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir;
}

std::string BinDir() { return FromEnvWithSlash("PELLAGO_BIN_DIR", "bin"); }
std::string SourceDir() { return FromEnvWithSlash("PELLAGO_SOURCE_DIR", "."); }

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

} // namespace testsupport
