#include "platform/LogindPower.h"

#include "base/Log.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace {

const char* const kService = "org.freedesktop.login1";
const char* const kPath = "/org/freedesktop/login1";
const char* const kManager = "org.freedesktop.login1.Manager";

// Windows exit flags: 1 shut down, 2 reboot, 4 force, 8 power off.
constexpr int kExitReboot = 2;
constexpr int kExitShutdown = 1;
constexpr int kExitPowerOff = 8;

void LogRefusal(const QString& method, const QString& reason)
{
    AddDetailLog(("[Power] " + method + ": " + reason).toStdString());
}

} // namespace

bool LogindPower::CallManager(const QString& method, bool force)
{
    QDBusInterface manager(kService, kPath, kManager, QDBusConnection::systemBus());
    if (!manager.isValid()) {
        LogRefusal(method, manager.lastError().message());
        return false;
    }
    // "interactive" asks polkit to prompt the user; a forced request must not wait for anyone.
    const QDBusMessage reply = manager.call(method, !force);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        LogRefusal(method, reply.errorMessage());
        return false;
    }
    AddDetailLog(("[Power] " + method + " を要求しました").toStdString());
    return true;
}

bool LogindPower::SuspendMachine(bool force)
{
    return CallManager("Suspend", force);
}

bool LogindPower::HibernateMachine(bool force)
{
    return CallManager("Hibernate", force);
}

bool LogindPower::ExitWindowsForced(int flags)
{
    if (flags & kExitReboot)
        return CallManager("Reboot", true);
    if (flags & (kExitShutdown | kExitPowerOff))
        return CallManager("PowerOff", true);
    LogRefusal("ExitWindows", QString("unsupported flags %1").arg(flags));
    return false;
}

bool LogindPower::RequestKeepAwake()
{
    if (keepAwake_.isValid())
        return true;
    QDBusInterface manager(kService, kPath, kManager, QDBusConnection::systemBus());
    const QDBusReply<QDBusUnixFileDescriptor> reply =
        manager.call("Inhibit", "sleep:idle", "Pellago", "自動売買のため起動したままにします", "block");
    if (!reply.isValid()) {
        LogRefusal("Inhibit", reply.error().message());
        return false;
    }
    keepAwake_ = reply.value();
    return keepAwake_.isValid();
}
