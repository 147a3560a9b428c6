#pragma once
// The idle start: in manual mode, automatic trading begins by itself once
// the mouse has not moved for 20 minutes. Only the mouse counts; typing
// does not. UserActiveCheckTimer drives the tick every 1.5 s, and the tick
// also renews the keep-awake request while the wake-up option is set.

#include "app/PowerControl.h"

#include <chrono>

struct MousePoint {
    int x = 0;
    int y = 0;
    bool operator==(const MousePoint&) const = default;
};

// The main window as the idle watcher sees it.
class IdleWatcherHost {
public:
    virtual ~IdleWatcherHost() = default;
    virtual bool IdleStartChosen() const = 0; // CheckBox18
    virtual bool KeepAwakeChosen() const = 0; // CheckBox13
    virtual MousePoint MousePosition() const = 0;
    virtual void SetTimerEnabled(bool enabled) = 0; // UserActiveCheckTimer
    // The first page of PageControl1, the settings panel closed, Button7 pressed.
    virtual void StartAutomaticTrading() = 0;
};

class IdleWatcher {
public:
    static constexpr std::chrono::minutes kIdleTime{20};

    IdleWatcher(IdleWatcherHost& host, PowerControl& power);

    // CheckBox18's click rule, also run by the stop button: the idle time
    // starts now, and the watcher runs exactly in manual mode with the option set.
    void CheckBox18Click();
    void UserActiveCheckTimerTimer();

private:
    IdleWatcherHost& host_;
    PowerControl& power_;
    MousePoint lastPosition_;
    std::chrono::system_clock::time_point lastMovement_;
};
