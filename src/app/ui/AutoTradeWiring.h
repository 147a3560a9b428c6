#pragma once
// The auto-trade cycle on the main window: AutoTradeTimer and the buttons
// that start, stop, force and cancel trading, the window's controls as the
// cycle's host, the settings file's section "AutoTrade" and the power layer.
// With --once the program ends after the first tick that ran to its end.

#include "app/AutoTradeCycle.h"
#include "app/ui/AutoTradeSettingsFile.h"
#include "app/ui/QtCycleTimer.h"
#include "platform/SystemdNotifier.h"

#include <QObject>

#include <memory>
#include <optional>

class TPellagoForm;

// The power layer the next window takes: the recording one in tests; null
// (the start value) gives the window its own logind layer.
void SetPowerControlForNextWindow(PowerControl* power);

// The process's exit code after the tick that ended a --once run.
int OnceExitCode(TickOutcome outcome);

class AutoTradeWiring : public QObject, public AutoTradeHost {
    Q_OBJECT
public:
    explicit AutoTradeWiring(TPellagoForm& form);
    ~AutoTradeWiring() override;

    AutoTradeCycle& Cycle() { return *cycle_; }
    CycleTimer& Timer() { return timer_; }
    PowerControl& Power() { return *power_; }
    // The outcome of the last tick of AutoTradeTimer.
    std::optional<TickOutcome> LastOutcome() const { return lastOutcome_; }

    // Ends the program (the window closes as by its menu) with the exit code,
    // after `delayMs` of the event loop.
    void EndProgram(int exitCode, std::int64_t delayMs = 0);
    // Tells systemd, when it supervises the program, that start-up is over.
    void AnnounceReady();

    AutoTradeOptions Options() const override;
    std::string Caption() const override;
    void SetCaption(const std::string& caption) override;
    void ShowStopButton(bool shown) override;
    void EnableStopButton() override;
    void SetSettingsTabsEnabled(bool enabled) override;
    void DisableIdleWatcher() override;
    void RearmIdleWatcher() override;
    void PlaceCancelButton(CancelButtonPlace place) override;
    void DisableCancelButton() override;
    void ShowMessageBox(const std::string& caption, const std::string& text) override;

private:
    AutoTradeOperations Operations();
    void ConnectButtons();
    void OnTimerElapsed();
    void RestartBySupervisor(std::int64_t delay);

    TPellagoForm& form_;
    AutoTradeSettingsFile settings_;
    QtCycleTimer timer_;
    std::unique_ptr<PowerControl> ownPower_;
    PowerControl* power_ = nullptr;
    std::unique_ptr<AutoTradeCycle> cycle_;
    std::optional<TickOutcome> lastOutcome_;
    SystemdNotifier notifier_;
    bool ending_ = false;
};
