#pragma once
// The machine's power through systemd-logind over the system D-Bus: suspend,
// hibernate, power-off, reboot, and a held "sleep:idle" inhibitor as the
// keep-awake request. A refusal is written to the detail log with the
// reason logind gave.

#include "app/PowerControl.h"

#include <QDBusUnixFileDescriptor>
#include <QString>

class LogindPower : public PowerControl {
public:
    bool SuspendMachine(bool force) override;
    bool HibernateMachine(bool force) override;
    bool ExitWindowsForced(int flags) override;
    bool RequestKeepAwake() override;

private:
    static bool CallManager(const QString& method, bool force);

    // Held for the life of the process: logind releases the inhibitor when
    // the descriptor closes, and the program never withdraws the request.
    QDBusUnixFileDescriptor keepAwake_;
};
