#pragma once
// The main window in the notification area: ToTray hides the window behind
// an icon, FromTray shows it again. A left click on the icon restores the
// window, a right click shows the tray menu ("表示(&S)", "終了(&e)"). Minimizing always
// goes to the tray, the close box only when the window says so (CheckBox25).
// Without a system tray the window minimizes as usual, and the log says so
// once.

#include <QIcon>
#include <QObject>

#include <functional>

class QMenu;
class QSystemTrayIcon;
class QWidget;

// The program's icon, drawn here so that no image file has to ship.
QIcon ApplicationIcon();

class TrayIcon : public QObject {
    Q_OBJECT
public:
    TrayIcon(QWidget& window, QMenu& menu, std::function<bool()> closeBoxToTray);

    bool InTray() const { return inTray_; }
    // False, and nothing done, when there is no system tray.
    bool ToTray();
    // Out of the tray if it is there, and to the front in any case (also
    // what a second start's hand-over does).
    void FromTray();

    // Whether there is a system tray to go to.
    static bool Available();

    // Tests replace the platform's answer to "is there a system tray?".
    static void SetAvailabilityCheck(std::function<bool()> check);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool TrayAvailable();
    void ShowIcon();

    QWidget& window_;
    QMenu& menu_;
    std::function<bool()> closeBoxToTray_;
    QSystemTrayIcon* icon_ = nullptr;
    bool inTray_ = false;
    bool noTrayLogged_ = false;
};
