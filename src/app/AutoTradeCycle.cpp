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
TradeRunResult SwallowErrors(Run&& run, const char* where)
{
    try {
        return run();
    } catch (const std::exception& error) {
        AddDetailLog(std::string("■■") + where + " Error! " + error.what());
    } catch (...) {
        AddDetailLog(std::string("■■") + where + " Error!");
    }
    return TradeRunResult::Failed;
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
    if (!GateOpens()) {
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

// The start-up version check needs the account template. When start-up
// could not fetch it (the network not up yet, service.conf written later),
// each tick tries again, so automatic trading goes on by itself once the
// service answers. Meanwhile the stop button stays at hand and the log says
// once what the program waits for.
bool AutoTradeCycle::GateOpens()
{
    if (!VersionChecked && !Replacing && operations_.completeVersionCheck && operations_.completeVersionCheck())
        waitingForServiceLogged_ = false;
    if (Replacing)
        return false;
    if (VersionChecked)
        return true;
    host_.ShowStopButton(true);
    if (timer_.Interval() == retry::kFirstTickInterval)
        timer_.SetInterval(retry::PeriodFor(host_.Options().demoMode));
    if (!waitingForServiceLogged_)
        AddLog("■ Pellagoサービスから口座一覧(起動時のversionチェック)を取得できるまで、自動売買を待機します。"
               "サービスに接続でき次第、自動的に自動売買を始めます");
    waitingForServiceLogged_ = true;
    return false;
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
    // While a broken signal is passed over, the owed re-run is not announced on every tick.
    if (!latestFinished && !waitingForSignal_)
        AddLog("■ 前回、自動売買を正常に終えられなかったので、自動売買を再実行します");
    const SignalCheck check = operations_.checkSignal();
    if (check != SignalCheck::NewSignal && latestFinished)
        return check == SignalCheck::Failed ? TickOutcome::CheckFailed : TickOutcome::NothingNew;
    WriteSettingBool(settings_, AutoTradeSettings::kLatestTrade, false);
    if (Replacing)
        return TickOutcome::HandedOver;
    const TradeRunResult result = RunTrade(false);
    AddDetailLog(std::string("■■AutoTrade = ") + (result == TradeRunResult::Done ? "True" : "False"));
    const TickOutcome outcome = AfterRun(result, !latestFinished);
    waitingForSignal_ = outcome == TickOutcome::WaitingForSignal;
    return outcome;
}

TradeRunResult AutoTradeCycle::RunTrade(bool byHand)
{
    runInProgress_ = true;
    const TradeRunResult result = SwallowErrors([&] { return operations_.runAutoTrade(byHand); }, "RunAutoTrade");
    runInProgress_ = false;
    return result;
}

// Nothing to trade is not a failure: retrying or restarting cannot bring a
// signal. But a re-run that was owed stays owed (LatestTrade stays false),
// so the next readable signal is traded.
TickOutcome AutoTradeCycle::AfterRun(TradeRunResult result, bool rerunPending)
{
    switch (result) {
    case TradeRunResult::Done:
        return AfterSuccess();
    case TradeRunResult::Failed:
        return AfterFailure();
    case TradeRunResult::NoSignal:
        return rerunPending ? TickOutcome::WaitingForSignal : AfterSuccess();
    case TradeRunResult::SignalRefused:
        break;
    }
    return TickOutcome::WaitingForSignal;
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
    if (operations_.restartBySupervisor) {
        operations_.restartBySupervisor(interval);
        return TickOutcome::Restarting;
    }
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
    const TradeRunResult result = RunTrade(true);
    const bool ok = result == TradeRunResult::Done || result == TradeRunResult::NoSignal;
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
