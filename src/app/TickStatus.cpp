#include "app/TickStatus.h"

#include "app/RetryPolicy.h"

namespace {

std::string OutcomeText(TickOutcome outcome, std::int64_t interval)
{
    switch (outcome) {
    case TickOutcome::Succeeded:
        return "自動売買は正常に終了しました";
    case TickOutcome::RetryScheduled: {
        // The log's retry line without its "■ " mark.
        const std::string line = retry::RetryMessage(interval);
        return line.substr(line.find(' ') + 1);
    }
    case TickOutcome::Restarting:
        return "自動売買が不完全な形で終了したため、Pellagoを再起動します";
    case TickOutcome::Rebooting:
        return "自動売買が不完全な形で終了したため、パソコンを再起動します";
    case TickOutcome::WaitingForSignal:
        return "売買できるシグナルがありません。ポジションを維持しています";
    case TickOutcome::CheckFailed:
        return "シグナルを確認できませんでした";
    case TickOutcome::Error:
        return "自動売買中にエラーが発生しました";
    default:
        return "";
    }
}

} // namespace

std::string TickStatus(TickOutcome outcome, std::int64_t interval, const DateTime& when)
{
    const std::string text = OutcomeText(outcome, interval);
    return text.empty() ? text : text + " (" + FormatTimeStamp(when) + ")";
}
