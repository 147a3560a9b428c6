#include "app/AutoTradeCycle.h"

#include "app/MarketCalendar.h"
#include "app/ProcessState.h"
#include "app/RetryPolicy.h"
#include "base/AkUnit.h"
#include "base/Log.h"

#include <exception>
#include <utility>

namespace {

const char* const kAutomaticMarker = "自動売買実行中";
const char* const kAutomaticSuffix = " (自動売買実行中...)";
const char* const kWeekendCaption = "週末のため、実行できません";
const char* const kWeekendText = "土曜朝5時～月曜朝7時の週末時刻は\r\n"
                                 "メンテナンスを行う業者が多いため\r\n"
                                 "誤作動防止のため実行できません。\r\n";

// Runs the trade; an error that escapes it counts as a failed run, so the
// retry schedule and the restart still apply.
template <typename Run>
bool SwallowErrors(Run&& run, const char* where)
{
    try {
        return run();
    } catch (const std::exception& error) {
        AddDetailLog(std::string("■■") + where + " Error! " + error.what());
    } catch (...) {
        AddDetailLog(std::string("■■") + where + " Error!");
    }
    return false;
}

} // namespace

AutoTradeCycle::AutoTradeCycle(AutoTradeHost& host, CycleTimer& timer, AutoTradeSettings& settings,
                               PowerControl& power, AutoTradeOperations operations)
    : host_(host), timer_(timer), settings_(settings), power_(power), operations_(std::move(operations))
{
}

TickOutcome AutoTradeCycle::AutoTradeTimerTimer()
{
    AutoMode = true;
    host_.DisableIdleWatcher();
    // A tick that cannot work now leaves the timer running, also when a click
    // of Button7 started it: otherwise automatic mode would wait forever.
    if (!VersionChecked || Replacing) {
        timer_.SetEnabled(true);
        return TickOutcome::Gated;
    }
    if (runInProgress_) {
        timer_.SetEnabled(true);
        return TickOutcome::Busy;
    }
    timer_.SetEnabled(false);
    TickOutcome outcome = TickOutcome::Error;
    try {
        outcome = RunTick();
    } catch (const std::exception& error) {
        AddDetailLog(std::string("■■AutoTradeTimer Error! ") + error.what());
    } catch (...) {
        AddDetailLog("■■AutoTradeTimer Error!");
    }
    // The next tick comes one full interval after this one ends, whatever happened.
    timer_.SetEnabled(true);
    return outcome;
}

TickOutcome AutoTradeCycle::RunTick()
{
    host_.ShowStopButton(true);
    const AutoTradeOptions options = host_.Options();
    if (options.wakeUp)
        power_.RequestKeepAwake();
    EnterAutomaticCaption();
    if (timer_.Interval() == retry::kFirstTickInterval)
        timer_.SetInterval(retry::PeriodFor(options.demoMode));
    return IsMarketOpen() ? TradeTick() : WeekendTick();
}

void AutoTradeCycle::EnterAutomaticCaption()
{
    const std::string caption = host_.Caption();
    if (caption.find(kAutomaticMarker) != std::string::npos)
        return;
    savedCaption_ = caption;
    host_.SetCaption(caption + kAutomaticSuffix);
    operations_.watchdogToggle();
}

TickOutcome AutoTradeCycle::WeekendTick()
{
    CollapseRepeatedLog("Market Close.");
    const AutoTradeOptions options = host_.Options();
    if (!options.powerDownAfterRun)
        return TickOutcome::MarketClosed;
    const DateTime today = Now();
    const DateTime lastSleep = ReadSettingDate(settings_, AutoTradeSettings::kLastSleep, AddDays(today, -1));
    if (SameCalendarDay(lastSleep, today))
        return TickOutcome::MarketClosed;
    WriteSettingDate(settings_, AutoTradeSettings::kLastSleep, today);
    switch (static_cast<PowerAction>(options.powerAction)) {
    case PowerAction::Suspend:
        AddLog("自動売買を正常に終えたので、サスペンドします...");
        power_.SuspendMachine(true);
        break;
    case PowerAction::Hibernate:
        AddLog("自動売買を正常に終えたので、休止状態にします...");
        power_.HibernateMachine(true);
        break;
    case PowerAction::Shutdown:
        break;
    }
    return TickOutcome::MarketClosed;
}

TickOutcome AutoTradeCycle::TradeTick()
{
    const bool latestFinished = ReadSettingBool(settings_, AutoTradeSettings::kLatestTrade, true);
    if (!latestFinished)
        AddLog("■ 前回、自動売買を正常に終えられなかったので、自動売買を再実行します");
    const bool newSignal = operations_.checkSignal();
    if (!newSignal && latestFinished)
        return TickOutcome::NothingNew;
    WriteSettingBool(settings_, AutoTradeSettings::kLatestTrade, false);
    if (Replacing)
        return TickOutcome::HandedOver;
    const bool ok = RunTrade(false);
    AddDetailLog(std::string("■■AutoTrade = ") + (ok ? "True" : "False"));
    return ok ? AfterSuccess() : AfterFailure();
}

bool AutoTradeCycle::RunTrade(bool byHand)
{
    runInProgress_ = true;
    const bool ok = SwallowErrors([&] { return operations_.runAutoTrade(byHand); }, "RunAutoTrade");
    runInProgress_ = false;
    return ok;
}

TickOutcome AutoTradeCycle::AfterSuccess()
{
    AddLog("■ 自動売買は正常に終了しました");
    timer_.SetInterval(retry::NormalInterval());
    AutoRetryCount = 0;
    WriteSettingBool(settings_, AutoTradeSettings::kLatestTrade, true);
    WriteSettingInteger(settings_, AutoTradeSettings::kRetryCount, 0);
    PumpMessages(0);
    const AutoTradeOptions options = host_.Options();
    if (options.powerDownAfterRun && IsTodaysSignal(operations_.latestSignalFile()))
        PowerDown(static_cast<PowerAction>(options.powerAction));
    return TickOutcome::Succeeded;
}

void AutoTradeCycle::PowerDown(PowerAction action)
{
    switch (action) {
    case PowerAction::Shutdown:
        power_.ExitWindowsForced(PowerControl::kShutdownForced);
        break;
    case PowerAction::Suspend:
        power_.SuspendMachine(true);
        break;
    case PowerAction::Hibernate:
        power_.HibernateMachine(true);
        break;
    }
}

TickOutcome AutoTradeCycle::AfterFailure()
{
    ++AutoRetryCount;
    WriteSettingInteger(settings_, AutoTradeSettings::kRetryCount, AutoRetryCount);
    const std::int64_t interval = retry::IntervalAfterFailure(timer_.Interval(), AutoRetryCount);
    timer_.SetInterval(interval);
    if (!retry::RestartsProgram(AutoRetryCount)) {
        AddLog(retry::RetryMessage(interval));
        return TickOutcome::RetryScheduled;
    }
    // The watchdog would revive the program on its own beside ReExe.
    operations_.terminateWatchdog();
    const bool reboot = retry::RebootsMachine(AutoRetryCount, host_.Options().rebootEveryTenFailures);
    if (reboot && power_.ExitWindowsForced(PowerControl::kRebootForced))
        return TickOutcome::Rebooting;
    // A refused reboot falls back to the restart, the other way out of a failure series.
    return Restart();
}

TickOutcome AutoTradeCycle::Restart()
{
    const std::int64_t interval = timer_.Interval();
    const std::string commandLine = retry::ReExeCommandLine(AutoRetryCount, interval);
    if (!operations_.launchProcess(commandLine)) {
        // Ending now would leave nothing to bring the program back: keep retrying here.
        AddLog("[Bin] ReExe.exe を起動できませんでした");
        AddLog(retry::RetryMessage(interval));
        return TickOutcome::RetryScheduled;
    }
    operations_.terminateProgram();
    return TickOutcome::Restarting;
}

void AutoTradeCycle::Button7Click()
{
    host_.SetSettingsTabsEnabled(false);
    host_.EnableStopButton();
    AutoTradeTimerTimer();
}

void AutoTradeCycle::Button8Click()
{
    host_.SetSettingsTabsEnabled(true);
    // Only stops a running watchdog; a toggle would start one when none runs.
    operations_.terminateWatchdog();
    timer_.SetEnabled(false);
    AutoMode = false;
    host_.ShowStopButton(false);
    if (host_.Caption().find(kAutomaticMarker) != std::string::npos)
        host_.SetCaption(savedCaption_);
    AddLog("自動売買を停止しました");
    host_.RearmIdleWatcher();
}

void AutoTradeCycle::Button5Click()
{
    if (!IsMarketOpen()) {
        host_.ShowMessageBox(kWeekendCaption, kWeekendText);
        return;
    }
    if (runInProgress_)
        return;
    host_.PlaceCancelButton(CancelButtonPlace::ForceButton);
    const bool ok = RunTrade(true);
    AddLog(ok ? "自動売買は正常に終了しました" : "自動売買は不完全な形で終了しました。時間を置いて再実行してみてください");
    host_.PlaceCancelButton(CancelButtonPlace::StartButton);
}

void AutoTradeCycle::CancelButtonClick()
{
    CancelRequested = true;
    settings_.Write(AutoTradeSettings::kLatestTrade, "0");
    AddLog("■Cancel■ キリの良い所で中断します...");
    host_.DisableCancelButton();
}
