#include "app/ui/AutoTradeWiring.h"

#include "app/HelperFiles.h"
#include "app/ProcessLaunch.h"
#include "app/ProcessState.h"
#include "app/SelfUpdate.h"
#include "app/SignalReception.h"
#include "app/TickStatus.h"
#include "base/Log.h"
#include "base/SystemdSupervision.h"
#include "app/ui/HomePcWiring.h"
#include "app/ui/PellagoUnit1.h"
#include "platform/LogindPower.h"
#include "trading/SignalFiles.h"
#include "trading/ui/MessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace {

PowerControl* nextWindowPower = nullptr;

void TerminateWatchdog()
{
    if (WatchdogProcess == 0)
        return;
    TerminateProcess(WatchdogProcess);
    WatchdogProcess = 0;
}

// A tick that waited at the gate or behind a running trade has not run.
bool RanToItsEnd(TickOutcome outcome)
{
    return outcome != TickOutcome::Gated && outcome != TickOutcome::Busy;
}

} // namespace

void SetPowerControlForNextWindow(PowerControl* power)
{
    nextWindowPower = power;
}

int OnceExitCode(TickOutcome outcome)
{
    switch (outcome) {
    case TickOutcome::Succeeded:
    case TickOutcome::NothingNew:
    case TickOutcome::MarketClosed:
    case TickOutcome::HandedOver:
        return 0;
    case TickOutcome::Restarting:
        return 3;
    case TickOutcome::Rebooting:
        return 4;
    default:
        return 1;
    }
}

AutoTradeWiring::AutoTradeWiring(TPellagoForm& form)
    : QObject(&form), form_(form), timer_(form.AutoTradeTimer, this)
{
    if (nextWindowPower) {
        power_ = nextWindowPower;
    } else {
        ownPower_ = std::make_unique<LogindPower>();
        power_ = ownPower_.get();
    }
    cycle_ = std::make_unique<AutoTradeCycle>(*this, timer_, settings_, *power_, Operations());
    connect(&timer_, &QtCycleTimer::Elapsed, this, &AutoTradeWiring::OnTimerElapsed);
    ConnectButtons();
}

AutoTradeWiring::~AutoTradeWiring() = default;

AutoTradeOperations AutoTradeWiring::Operations()
{
    AutoTradeOperations operations;
    operations.checkSignal = [this] { return CheckSignalNow(form_.CurrentServiceSettings()); };
    operations.completeVersionCheck = [this] { return CompleteStartupVersionCheck(form_.CurrentServiceSettings()); };
    operations.runAutoTrade = [this](bool byHand) { return form_.RunAutoTrade(byHand); };
    operations.latestSignalFile = [] { return LatestSignalFile(); };
    operations.watchdogToggle = [] { WatchdogToggle(); };
    operations.terminateWatchdog = [] { TerminateWatchdog(); };
    operations.launchProcess = [](const std::string& commandLine) { return LaunchProcess(commandLine) != 0; };
    // The restart's own exit code, so a --once caller can tell it from a retry.
    operations.terminateProgram = [this] { EndProgram(OnceExitCode(TickOutcome::Restarting)); };
    if (SupervisedBySystemd())
        operations.restartBySupervisor = [this](std::int64_t delay) { RestartBySupervisor(delay); };
    return operations;
}

void AutoTradeWiring::ConnectButtons()
{
    connect(form_.Button7, &QPushButton::clicked, this, [this] { cycle_->Button7Click(); });
    connect(form_.Button8, &QPushButton::clicked, this, [this] { cycle_->Button8Click(); });
    connect(form_.Button5, &QPushButton::clicked, this, [this] { cycle_->Button5Click(); });
    connect(form_.CancelButton, &QPushButton::clicked, this, [this] { cycle_->CancelButtonClick(); });
}

void AutoTradeWiring::OnTimerElapsed()
{
    const TickOutcome outcome = cycle_->AutoTradeTimerTimer();
    lastOutcome_ = outcome;
    const std::string status = TickStatus(outcome, timer_.Interval(), Now());
    if (!status.empty())
        notifier_.Status(status);
    if (form_.Options().once && RanToItsEnd(outcome))
        EndProgram(OnceExitCode(outcome));
}

// The pause ReExe would count down, then an exit systemd answers with a
// fresh start. The event loop keeps the watchdog pinged meanwhile.
void AutoTradeWiring::RestartBySupervisor(std::int64_t delay)
{
    AddLog("[systemd] " + std::to_string((delay + 999) / 1000) + "秒後にPellagoを終了し、systemdが再起動します");
    EndProgram(kSupervisorRestartExitCode, delay);
}

void AutoTradeWiring::AnnounceReady()
{
    notifier_.Ready(AutoMode ? "自動売買モードで起動しました" : "起動しました");
}

void AutoTradeWiring::EndProgram(int exitCode, std::int64_t delayMs)
{
    if (ending_)
        return;
    ending_ = true;
    timer_.SetEnabled(false);
    // After the current event at the earliest: the tick that asked for it finishes first.
    const int delay = static_cast<int>(std::clamp<std::int64_t>(delayMs, 0, INT_MAX));
    QTimer::singleShot(delay, &form_, [this, exitCode] {
        form_.close();
        QCoreApplication::exit(exitCode);
    });
}

AutoTradeOptions AutoTradeWiring::Options() const
{
    AutoTradeOptions options;
    options.demoMode = form_.CheckBox10->isChecked();
    options.powerDownAfterRun = form_.CheckBox11->isChecked();
    options.powerAction = form_.ComboBox2->currentIndex();
    options.rebootEveryTenFailures = form_.CheckBox12->isChecked();
    options.wakeUp = form_.CheckBox13->isChecked();
    return options;
}

std::string AutoTradeWiring::Caption() const
{
    return form_.windowTitle().toStdString();
}

void AutoTradeWiring::SetCaption(const std::string& caption)
{
    form_.setWindowTitle(QString::fromStdString(caption));
}

void AutoTradeWiring::ShowStopButton(bool shown)
{
    form_.Button8->setVisible(shown);
    form_.Button7->setVisible(!shown);
}

void AutoTradeWiring::EnableStopButton()
{
    form_.Button8->setEnabled(true);
}

void AutoTradeWiring::SetSettingsTabsEnabled(bool enabled)
{
    for (int i = 0; i < form_.PageControl1->count(); ++i)
        form_.SetTabEnabled(form_.PageControl1->widget(i), enabled);
}

void AutoTradeWiring::DisableIdleWatcher()
{
    form_.UserActiveCheckTimer->stop();
}

void AutoTradeWiring::RearmIdleWatcher()
{
    form_.HomePc().CheckBox18Click();
}

void AutoTradeWiring::PlaceCancelButton(CancelButtonPlace place)
{
    QPushButton* over = place == CancelButtonPlace::ForceButton        ? form_.Button5
                        : place == CancelButtonPlace::AddAccountButton ? form_.Button3
                                                                       : form_.Button7;
    QPushButton* cancel = form_.CancelButton;
    if (cancel->parentWidget() != over->parentWidget()) {
        // A new parent hides the button; the trade run decides when it shows.
        const bool shown = cancel->isVisible();
        cancel->setParent(over->parentWidget());
        cancel->setVisible(shown);
    }
    cancel->setGeometry(over->geometry());
    cancel->raise();
}

void AutoTradeWiring::DisableCancelButton()
{
    form_.CancelButton->setEnabled(false);
}

void AutoTradeWiring::ShowMessageBox(const std::string& caption, const std::string& text)
{
    // Only buttons ask for this, and nobody presses them in a headless run.
    if (form_.Headless() || !form_.isVisible()) {
        AddLog(caption);
        return;
    }
    ShowMessage(&form_, caption, text);
}
