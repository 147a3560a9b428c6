#pragma once
// The main window on a home PC: the daily wake-up (SetWakeUpTimer and the
// wake timer it arms), the keep-awake request at start, the idle start
// (UserActiveCheckTimer), the start-up registration (CheckBox9) and the
// tray. The wake timer closes with the window or as soon as CheckBox13 is
// unticked.

#include "app/IdleWatcher.h"
#include "app/StartupRegistration.h"
#include "app/WakeUp.h"

#include <QObject>

#include <memory>

class TPellagoForm;
class TrayIcon;

// The wake timer the next window takes: a recording one in tests; null (the
// start value) gives the window the platform's alarm timer.
void SetWakeTimerForNextWindow(WakeTimer* timer);

class HomePcWiring : public QObject, private IdleWatcherHost {
    Q_OBJECT
public:
    HomePcWiring(TPellagoForm& form, PowerControl& power);
    ~HomePcWiring() override;

    TrayIcon& Tray() { return *tray_; }
    // Start-up: while CheckBox13 is set, the machine is kept awake.
    void RequestKeepAwakeIfChosen();
    // CheckBox18's click rule (the stop button runs it too).
    void CheckBox18Click() { idle_.CheckBox18Click(); }
    // The window closes: the machine is no longer woken.
    void CloseWakeTimer();

private:
    void ConnectRules();
    void CheckBox13Click(bool on);
    void SetWakeUpTimerTimer();

    bool IdleStartChosen() const override;
    bool KeepAwakeChosen() const override;
    MousePoint MousePosition() const override;
    void SetTimerEnabled(bool enabled) override;
    void StartAutomaticTrading() override;

    TPellagoForm& form_;
    PowerControl& power_;
    std::unique_ptr<WakeTimer> ownWakeTimer_;
    WakeTimer* WakeTimerHandle = nullptr;
    std::unique_ptr<AutostartEntry> autostart_;
    IdleWatcher idle_;
    TrayIcon* tray_ = nullptr;
};
