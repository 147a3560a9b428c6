// fake-logind: the login manager's power methods on the bus named by
// DBUS_SYSTEM_BUS_ADDRESS, for tests on a private bus. Every call is printed
// as one line ("Suspend false", "Inhibit sleep:idle|Pellago|...|block"); the
// inhibitor's pipe prints "Released" once the caller has closed its end.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusUnixFileDescriptor>
#include <QSocketNotifier>
#include <QStringList>

#include <cstdio>
#include <unistd.h>

namespace {

void Print(const QString& line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

QString YesNo(bool value) { return value ? " true" : " false"; }

} // namespace

class Manager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public slots:
    void Suspend(bool interactive) { Print("Suspend" + YesNo(interactive)); }
    void Hibernate(bool interactive) { Print("Hibernate" + YesNo(interactive)); }
    void PowerOff(bool interactive) { Print("PowerOff" + YesNo(interactive)); }
    void Reboot(bool interactive) { Print("Reboot" + YesNo(interactive)); }

    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why, const QString& mode)
    {
        Print(QStringList{"Inhibit " + what, who, why, mode}.join('|'));
        int ends[2];
        if (::pipe(ends) != 0)
            return {};
        // The caller's end goes out with the reply (Qt keeps its own copy
        // until then); ours reads end-of-file once every copy is closed.
        QDBusUnixFileDescriptor handed(ends[1]);
        ::close(ends[1]);
        auto* notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [notifier, readEnd = ends[0]] {
            char byte;
            if (::read(readEnd, &byte, 1) <= 0) {
                notifier->setEnabled(false);
                Print("Released");
            }
        });
        return handed;
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Manager manager;
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.registerObject("/org/freedesktop/login1", &manager, QDBusConnection::ExportAllSlots) ||
        !bus.registerService("org.freedesktop.login1")) {
        std::fprintf(stderr, "fake-logind: %s\n", bus.lastError().message().toUtf8().constData());
        return 1;
    }
    Print("ready");
    return app.exec();
}

#include "FakeLogind.moc"
