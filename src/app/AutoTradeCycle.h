#pragma once
// One tick of the main window's AutoTradeTimer and the buttons that start,
// stop, force and cancel trading. Everything the cycle touches comes in
// through the seams below, so the decisions run without a window: tests
// drive them with an injected clock and recording doubles.

#include "app/AutoTradeSettings.h"
#include "app/PowerControl.h"
#include "app/SignalReception.h"

#include <cstdint>
#include <functional>
#include <string>

// AutoTradeTimer. The interval is 64-bit: after long failure series it
// reaches 4294967295 ms, beyond what a Qt timer holds.
class CycleTimer {
public:
    virtual ~CycleTimer() = default;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual std::int64_t Interval() const = 0;
    virtual void SetInterval(std::int64_t milliseconds) = 0;
};

enum class PowerAction { Shutdown = 0, Suspend = 1, Hibernate = 2 }; // ComboBox2

// The options a tick reads, as the window's controls hold them right now.
struct AutoTradeOptions {
    bool demoMode = false;                 // CheckBox10
    bool powerDownAfterRun = false;        // CheckBox11
    int powerAction = 0;                   // ComboBox2 (PowerAction)
    bool rebootEveryTenFailures = false;   // CheckBox12
    bool wakeUp = false;                   // CheckBox13: also keeps the machine awake
};

// Over Button7, Button5, or (for the account log-on test) Button3.
enum class CancelButtonPlace { StartButton, ForceButton, AddAccountButton };

// The main window as the cycle sees it: the options and the few controls a
// tick or a button touches. The process-wide flags (VersionChecked,
// Replacing, AutoMode, CancelRequested, AutoRetryCount) are shared through
// ProcessState.
class AutoTradeHost {
public:
    virtual ~AutoTradeHost() = default;

    virtual AutoTradeOptions Options() const = 0;
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // true: Button8 (stop) shown and Button7 (start) hidden; false: the reverse.
    virtual void ShowStopButton(bool shown) = 0;
    virtual void EnableStopButton() = 0;
    // SetTabEnabled on every page of PageControl1.
    virtual void SetSettingsTabsEnabled(bool enabled) = 0;
    virtual void DisableIdleWatcher() = 0; // UserActiveCheckTimer off
    virtual void RearmIdleWatcher() = 0;   // CheckBox18's click rule
    virtual void PlaceCancelButton(CancelButtonPlace place) = 0;
    virtual void DisableCancelButton() = 0;
    virtual void ShowMessageBox(const std::string& caption, const std::string& text) = 0;
};

// How a trade run ended.
enum class TradeRunResult {
    Done,           // every enabled account is in line with the newest signal
    Failed,         // retried later, and from the third failure on by a restart
    NoSignal,       // no signal file is stored: nothing was traded
    SignalRefused,  // the newest signal is broken: no account was touched
};

// Operations of other modules the cycle calls.
struct AutoTradeOperations {
    std::function<SignalCheck()> checkSignal;
    std::function<TradeRunResult(bool byHand)> runAutoTrade; // the trade run over all accounts
    // The start-up version check once more (fetching the account template it
    // needs); true when VersionChecked is set now.
    std::function<bool()> completeVersionCheck;
    std::function<std::string()> latestSignalFile;     // newest stored signal, or empty
    std::function<void()> watchdogToggle;              // starts PellagoChecker, or stops it
    std::function<void()> terminateWatchdog;           // stops it if it runs
    std::function<bool(const std::string& commandLine)> launchProcess; // detached; false when it failed
    std::function<void()> terminateProgram;
    // Set when a service manager restarts the program: ends it after the
    // delay ReExe would have waited, instead of starting ReExe.
    std::function<void(std::int64_t delay)> restartBySupervisor;
};

// How a tick ended; the headless single-tick mode turns it into an exit code.
enum class TickOutcome {
    Gated,          // version check pending or a replacement running: nothing done
    CheckFailed,    // the signal could not be checked and no re-run was pending
    WaitingForSignal, // no tradable signal (none stored, or the newest is broken): positions kept
    Busy,           // a trade run is already in progress (re-entered through pumped events)
    MarketClosed,
    NothingNew,
    HandedOver,     // the signal check started a self-update; the next process trades
    Succeeded,
    RetryScheduled,
    Restarting,     // ReExe started (or the service manager's restart due), program terminating
    Rebooting,
    Error,          // something inside the tick raised; the timer goes on
};

class AutoTradeCycle {
public:
    AutoTradeCycle(AutoTradeHost& host, CycleTimer& timer, AutoTradeSettings& settings, PowerControl& power,
                   AutoTradeOperations operations);

    TickOutcome AutoTradeTimerTimer();
    void Button7Click();      // start automatic mode
    void Button8Click();      // stop automatic mode
    void Button5Click();      // force one run by hand
    void CancelButtonClick();

    bool RunInProgress() const { return runInProgress_; }

private:
    bool GateOpens();
    TickOutcome RunTick();
    void EnterAutomaticCaption();
    TickOutcome WeekendTick();
    TickOutcome TradeTick();
    TradeRunResult RunTrade(bool byHand);
    TickOutcome AfterRun(TradeRunResult result, bool rerunPending);
    TickOutcome AfterSuccess();
    TickOutcome AfterFailure();
    TickOutcome Restart();
    void PowerDown(PowerAction action);

    AutoTradeHost& host_;
    CycleTimer& timer_;
    AutoTradeSettings& settings_;
    PowerControl& power_;
    AutoTradeOperations operations_;
    std::string savedCaption_;
    bool runInProgress_ = false;
    bool waitingForServiceLogged_ = false;
    bool waitingForSignal_ = false; // the last run found nothing tradable
};
