#include "app/WakeUp.h"

#include "app/ProcessState.h"
#include "base/Clock.h"
#include "base/Log.h"

#include <algorithm>

namespace {

using std::chrono::milliseconds;

long long MillisecondOfDay(const DateTime& time)
{
    return ((time.hour * 60LL + time.minute) * 60 + time.second) * 1000 + time.millisecond;
}

} // namespace

milliseconds DelayUntilWakeUp(int hour, int minute)
{
    const auto now = NowPoint();
    const DateTime today = ToLocal(now);
    DateTime target = today;
    target.hour = hour;
    target.minute = minute;
    target.second = 0;
    target.millisecond = 0;
    if (MillisecondOfDay(today) > MillisecondOfDay(target))
        target = AddDays(target, 1);
    const auto delay = std::chrono::duration_cast<milliseconds>(FromLocal(target) - now);
    // Exactly at the time: fire at once rather than leave the timer unarmed.
    return std::max(delay, milliseconds(1));
}

bool SetDailyWakeUp(WakeTimer& timer, int hour, int minute)
{
    const milliseconds delay = DelayUntilWakeUp(hour, minute);
    const WakeTimerResult result = timer.Set(delay, kWakeUpPeriod);
    if (result == WakeTimerResult::Set) {
        AddDetailLog("[WakeUp] 復帰タイマーを設定: 次回 " + FormatTimeStamp(ToLocal(NowPoint() + delay)));
        AddLog("休止状態/サスペンドから復帰するためのタイマーをセットしました");
        return true;
    }
    AddLog("Error! 復帰タイマーのセットに失敗しました。休止/サスペンドからの復帰を行えない可能性があります");
    if (result == WakeTimerResult::NoPermission)
        AddLog(std::string("復帰タイマーにはCAP_WAKE_ALARM権限が必要です。管理者として「setcap cap_wake_alarm+ep ") +
               "\"" + ExecutablePath() + "\"」を実行し、Pellagoを起動し直してください");
    return false;
}

void CancelDailyWakeUp(WakeTimer& timer)
{
    const bool wasArmed = timer.Armed();
    timer.Close();
    if (wasArmed)
        AddDetailLog("[WakeUp] 復帰タイマーを解除");
}
