#include "app/StatusOutput.h"

#include <nlohmann/json.hpp>

namespace {

using nlohmann::json;

std::string TimeText(const std::optional<DateTime>& time, const std::string& unknown)
{
    return time ? FormatTimeStamp(*time) : unknown;
}

json TimeJson(const std::optional<DateTime>& time) { return time ? json(FormatTimeStamp(*time)) : json(nullptr); }

json TextJson(const std::string& text) { return text.empty() ? json(nullptr) : json(text); }

std::string Lots(long long lots)
{
    if (lots == 0)
        return "ノーポジション";
    return (lots > 0 ? "Buy " : "Sell ") + std::to_string(lots > 0 ? lots : -lots) + " lot";
}

std::string HeldText(const StatusPosition& position)
{
    if (position.heldState == "checkFailed")
        return "確認できませんでした";
    return Lots(position.heldLots);
}

std::string OutcomeText(const StatusReport& report)
{
    if (!report.latestTrade)
        return "正常に終了できませんでした (再実行待ち)";
    if (report.retryCount > 0)
        return "リトライ中 (" + std::to_string(report.retryCount) + "回目)";
    if (!report.lastRunStarted && !report.lastSuccess)
        return "記録がありません";
    return "正常に終了しました";
}

std::string LastRunText(const StatusReport& report)
{
    std::string text = "■ 前回の自動売買\n";
    text += "  開始 : " + TimeText(report.lastRunStarted, "記録がありません") + "\n";
    text += "  結果 : " + OutcomeText(report) + "\n";
    text += "  最後に正常終了 : " + TimeText(report.lastSuccess, "記録がありません") + "\n";
    if (report.nextRun)
        text += "  次回の再実行 : " + FormatTimeStamp(*report.nextRun) + "\n";
    for (const std::string& line : report.errorLines)
        text += "  エラー : " + line + "\n";
    return text;
}

std::string AccountsText(const StatusReport& report)
{
    std::string text = "■ シグナルとポジション\n";
    text += "  最新のシグナル : " + (report.signalFile.empty() ? "ありません" : report.signalFile) + "\n";
    text += "  口座情報の最終更新 : " + (report.latestUpdate.empty() ? "ありません" : report.latestUpdate) + "\n";
    if (report.accounts.empty())
        text += "  口座がまだ登録されておりません\n";
    for (const StatusAccount& account : report.accounts) {
        text += "  [" + account.name + "] 残高 " + account.balance + (account.enabled ? "" : " (無効)") + "\n";
        for (const StatusPosition& position : account.positions)
            text += "    " + position.pair + " … シグナル " +
                    (position.targetLots ? Lots(*position.targetLots) : std::string("計算できません")) +
                    " / 保有 " + HeldText(position) + "\n";
    }
    return text;
}

std::string MailText(const StatusReport& report)
{
    std::string text = "■ メール\n";
    text += "  送信待ち : " + std::to_string(report.queuedMails) + "通\n";
    text += "  最後のメール : " +
            (report.lastMailFile.empty() ? std::string("ありません")
                                         : TimeText(report.lastMailTime, report.lastMailFile) + " " +
                                               report.lastMailSubject) +
            "\n";
    return text;
}

std::string SetUpText(const StatusReport& report)
{
    if (!report.termsAccepted)
        return "※ ソフトウェア使用許諾に同意していません (pellago --accept-terms)\n";
    if (report.accounts.empty())
        return "※ 口座が登録されていません\n";
    return {};
}

json PositionJson(const StatusPosition& position)
{
    return {{"pair", position.pair},
            {"target", position.targetLots ? json(*position.targetLots) : json(nullptr)},
            {"heldState", position.heldState},
            {"held", position.heldLots}};
}

json AccountJson(const StatusAccount& account)
{
    json positions = json::array();
    for (const StatusPosition& position : account.positions)
        positions.push_back(PositionJson(position));
    return {{"name", account.name}, {"enabled", account.enabled}, {"balance", account.balance},
            {"positions", positions}};
}

} // namespace

std::string StatusText(const StatusReport& report)
{
    return "Pellago ver. " + report.version + "\nプログラムフォルダ : " + report.folder + "\n" + SetUpText(report) +
           LastRunText(report) + AccountsText(report) + MailText(report);
}

std::string StatusJson(const StatusReport& report)
{
    json accounts = json::array();
    for (const StatusAccount& account : report.accounts)
        accounts.push_back(AccountJson(account));
    const json document = {
        {"version", report.version},
        {"folder", report.folder},
        {"termsAccepted", report.termsAccepted},
        {"lastRun",
         {{"started", TimeJson(report.lastRunStarted)},
          {"latestTrade", report.latestTrade},
          {"retryCount", report.retryCount},
          {"lastSuccess", TimeJson(report.lastSuccess)},
          {"nextRun", TimeJson(report.nextRun)},
          {"errors", report.errorLines}}},
        {"signalFile", TextJson(report.signalFile)},
        {"latestUpdate", TextJson(report.latestUpdate)},
        {"accounts", accounts},
        {"mail",
         {{"queued", report.queuedMails},
          {"lastFile", TextJson(report.lastMailFile)},
          {"lastTime", TimeJson(report.lastMailTime)},
          {"lastSubject", TextJson(report.lastMailSubject)}}},
        {"exitCode", static_cast<int>(StatusCodeOf(report))}};
    return document.dump(2) + "\n";
}
