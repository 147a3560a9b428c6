#include "platform/SystemdNotifier.h"

#include "base/SystemdSupervision.h"

#include <systemd/sd-daemon.h>

#include <algorithm>
#include <cstdint>

SystemdNotifier::SystemdNotifier(QObject* parent) : QObject(parent), active_(SupervisedBySystemd())
{
    connect(&pingTimer_, &QTimer::timeout, this, [this] { Send("WATCHDOG=1"); });
}

void SystemdNotifier::Ready(const std::string& status)
{
    Send("READY=1\nSTATUS=" + status);
    StartWatchdogPings();
}

void SystemdNotifier::Status(const std::string& status)
{
    Send("STATUS=" + status);
}

void SystemdNotifier::StartWatchdogPings()
{
    std::uint64_t usec = 0;
    if (!active_ || sd_watchdog_enabled(0, &usec) <= 0)
        return;
    // Twice per period, as sd_watchdog_enabled(3) advises.
    pingTimer_.start(static_cast<int>(std::max<std::uint64_t>(usec / 2000, 1)));
    Send("WATCHDOG=1");
}

void SystemdNotifier::Send(const std::string& state) const
{
    if (active_)
        sd_notify(0, state.c_str());
}
