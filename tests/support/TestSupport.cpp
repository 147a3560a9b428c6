#include "support/TestSupport.h"

#include "app/MarketCalendar.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
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

int FreeLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

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

long long MarketOpenOffset()
{
    constexpr long long kDaySeconds = 24 * 60 * 60;
    long long offset = 0;
    for (int days = 0; days <= 3; ++days) {
        SetClockSource([days] { return std::chrono::system_clock::now() - std::chrono::hours(24 * days); });
        if (IsMarketOpen()) {
            offset = -days * kDaySeconds;
            break;
        }
    }
    SetClockSource({});
    return offset;
}

DateTime ProgramNow(long long offsetSeconds)
{
    return ToLocal(std::chrono::system_clock::now() + std::chrono::seconds(offsetSeconds));
}

} // namespace testsupport
