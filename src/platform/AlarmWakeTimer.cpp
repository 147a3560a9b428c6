#include "platform/AlarmWakeTimer.h"

#include "base/Log.h"

#include <cerrno>
#include <cstring>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

timespec ToTimespec(std::chrono::milliseconds span)
{
    timespec spec{};
    spec.tv_sec = static_cast<time_t>(span.count() / 1000);
    spec.tv_nsec = static_cast<long>(span.count() % 1000) * 1000000L;
    return spec;
}

// Logs errno's reason and hands errno back, as logging may change it.
int LogFailure(const char* call)
{
    const int error = errno;
    AddDetailLog(std::string("[WakeUp] ") + call + ": " + std::strerror(error));
    return error;
}

} // namespace

AlarmWakeTimer::~AlarmWakeTimer()
{
    Close();
}

WakeTimerResult AlarmWakeTimer::Set(std::chrono::milliseconds due, std::chrono::milliseconds period)
{
    if (fd_ < 0) {
        fd_ = ::timerfd_create(CLOCK_REALTIME_ALARM, TFD_CLOEXEC | TFD_NONBLOCK);
        if (fd_ < 0) {
            return LogFailure("timerfd_create") == EPERM ? WakeTimerResult::NoPermission : WakeTimerResult::Failed;
        }
    }
    // Relative to now, as a time of day was turned into a delay by the caller.
    itimerspec spec{};
    spec.it_value = ToTimespec(due);
    spec.it_interval = ToTimespec(period);
    if (::timerfd_settime(fd_, 0, &spec, nullptr) != 0) {
        LogFailure("timerfd_settime");
        return WakeTimerResult::Failed;
    }
    return WakeTimerResult::Set;
}

bool AlarmWakeTimer::Armed() const
{
    itimerspec spec{};
    if (fd_ < 0 || ::timerfd_gettime(fd_, &spec) != 0)
        return false;
    return spec.it_value.tv_sec != 0 || spec.it_value.tv_nsec != 0;
}

void AlarmWakeTimer::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}
