#pragma once
// The program's side of a Type=notify unit: READY once started, a watchdog
// ping from the event loop, and a STATUS line that `systemctl status` shows.
// The ping rides a timer of the main thread, so it keeps going through the
// pumped waits of a long trade run but stops when the cycle itself hangs.
// Outside systemd every call does nothing.

#include <QObject>
#include <QTimer>

#include <string>

class SystemdNotifier : public QObject {
public:
    explicit SystemdNotifier(QObject* parent = nullptr);

    void Ready(const std::string& status);
    void Status(const std::string& status);

private:
    void StartWatchdogPings();
    void Send(const std::string& state) const;

    bool active_;
    QTimer pingTimer_;
};
