#include "app/StatusReport.h"

#include "app/AutoTradeSettings.h"
#include "app/JournalPriority.h"
#include "app/MarketCalendar.h"
#include "app/ProcessState.h"
#include "app/IniFile.h"
#include "app/Terms.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "base/TextCodec.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"
#include "documents/SignalDocument.h"
#include "reporting/LatestMail.h"
#include "reporting/MailQueue.h"
#include "reporting/SignalPositions.h"
#include "trading/SignalFiles.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr std::size_t kShownErrorLines = 5;
constexpr std::chrono::hours kStaleAfter{26};
const std::string kStampSeparator = "\u3000"; // the ideographic space after the time stamp
const std::string kRunStart = "自動売買を実行します";
const std::string kRunSuccess = "自動売買は正常に終了しました";
const std::string kRetryAnnounced = "分後に再実行します";

struct LogEntry {
    DateTime time;
    std::string text;
};

// "[yyyy/MM/dd H:mm:ss]　text"; lines of another form are skipped.
std::optional<LogEntry> ParseLogLine(const std::string& line)
{
    LogEntry entry;
    int consumed = 0;
    if (std::sscanf(line.c_str(), "[%d/%d/%d %d:%d:%d]%n", &entry.time.year, &entry.time.month, &entry.time.day,
                    &entry.time.hour, &entry.time.minute, &entry.time.second, &consumed) != 6 || consumed == 0)
        return std::nullopt;
    entry.text = Trim(line.substr(static_cast<std::size_t>(consumed)));
    if (entry.text.starts_with(kStampSeparator))
        entry.text.erase(0, kStampSeparator.size());
    return entry;
}

// The activity log of last month and this one, oldest first.
std::vector<LogEntry> RecentActivity(const DateTime& now)
{
    DateTime firstOfMonth = now;
    firstOfMonth.day = 1;
    std::vector<LogEntry> entries;
    for (const std::string& path : {MonthlyLogPath(AddDays(firstOfMonth, -1)), MonthlyLogPath(now)}) {
        std::string bytes;
        if (!ReadFileBytes(path, bytes))
            continue;
        for (const std::string& line : SplitLines(Cp932ToUtf8(bytes)))
            if (std::optional<LogEntry> entry = ParseLogLine(line))
                entries.push_back(*entry);
    }
    return entries;
}

// The minutes N of "…N分後に再実行します".
std::optional<int> RetryMinutes(const std::string& text)
{
    const std::size_t end = text.find(kRetryAnnounced);
    if (end == std::string::npos)
        return std::nullopt;
    std::size_t begin = end;
    while (begin > 0 && std::isdigit(static_cast<unsigned char>(text[begin - 1])))
        --begin;
    if (begin == end)
        return std::nullopt;
    return std::stoi(text.substr(begin, end - begin));
}

void ReadLastRun(StatusReport& report, const DateTime& now)
{
    const std::string ini = SettingsIniPath();
    const auto setting = [&ini](const char* key) { return ReadIniString(ini, "AutoTrade", key).value_or(""); };
    report.latestTrade = setting(AutoTradeSettings::kLatestTrade) != "0";
    report.retryCount = std::atoll(setting(AutoTradeSettings::kRetryCount).c_str());

    for (const LogEntry& entry : RecentActivity(now)) {
        if (entry.text.find(kRunStart) != std::string::npos) {
            report.lastRunStarted = entry.time;
            report.errorLines.clear();
            report.nextRun.reset();
        } else if (entry.text.find(kRunSuccess) != std::string::npos) {
            report.lastSuccess = entry.time;
        } else if (std::optional<int> minutes = RetryMinutes(entry.text)) {
            report.nextRun = ToLocal(FromLocal(entry.time) + std::chrono::minutes(*minutes));
        }
        if (PriorityOf(entry.text) == LinePriority::Error)
            report.errorLines.push_back(FormatTimeStamp(entry.time) + " " + entry.text);
    }
    if (report.errorLines.size() > kShownErrorLines)
        report.errorLines.erase(report.errorLines.begin(), report.errorLines.end() - kShownErrorLines);
    if (report.lastSuccess)
        report.marketTimeSinceSuccess = MarketTimeBetween(FromLocal(*report.lastSuccess), NowPoint(), kStaleAfter);
}

StatusPosition PositionOf(pugi::xml_node account, pugi::xml_node portfolio, pugi::xml_node signalPair, bool demoMode)
{
    StatusPosition position;
    position.pair = SignalName(signalPair);
    const TSignalTarget target = SignalTargetOf(account, portfolio, signalPair, demoMode);
    if (target.Readable)
        position.targetLots = target.Sum < 0 ? -target.Lots : target.Lots;
    const THeldPosition held = HeldPositionOf(account, position.pair);
    switch (held.state) {
    case THeldPosition::State::CheckFailed:
        position.heldState = "checkFailed";
        break;
    case THeldPosition::State::None:
        position.heldState = "none";
        break;
    case THeldPosition::State::Held:
        position.heldState = "held";
        position.heldLots = std::atoll(held.units.c_str()) * (EqualsNoCase(held.trend, "Sell") ? -1 : 1);
        break;
    }
    return position;
}

void ReadAccounts(StatusReport& report)
{
    const std::string signalPath = NewestSignalFile();
    if (!signalPath.empty())
        report.signalFile = std::filesystem::path(signalPath).lexically_relative(ProgramFolder()).generic_string();
    pugi::xml_document accounts;
    if (!LoadAccountDocument(accounts))
        return;
    report.latestUpdate = ChildValue(AccountSummaryElement(accounts), "LatestUpdate");
    pugi::xml_document signal;
    const bool haveSignal = !signalPath.empty() && LoadSignalDocument(signalPath, signal);
    const bool demoMode = ReadIniString(SettingsIniPath(), "Main", "CheckBox10").value_or("0") == "1";
    for (pugi::xml_node account : AccountElements(accounts)) {
        // A hand-edited value reads as off rather than ending the report.
        bool enabled = false;
        TryParseBoolean(ChildValue(account, "Enabled"), enabled);
        StatusAccount shown{AccountName(account), enabled, ChildValue(account.child("Today"), "Balance"), {}};
        if (haveSignal)
            for (pugi::xml_node pair : SignalPairs(HoldPositionSummaryOf(signal)))
                shown.positions.push_back(PositionOf(account, PortfolioElement(accounts), pair, demoMode));
        report.accounts.push_back(std::move(shown));
    }
}

void ReadMail(StatusReport& report)
{
    report.queuedMails = ListFolder(MailTempFolder(), ".log", ListMode::Files).size();
    const std::string latest = LatestMailLogFile();
    if (latest.empty())
        return;
    report.lastMailFile = std::filesystem::path(latest).filename().string();
    report.lastMailTime = MailFileTime(report.lastMailFile);
    std::string body;
    LoadMailFile(latest, report.lastMailSubject, body);
}

} // namespace

StatusReport ReadStatusReport()
{
    StatusReport report;
    report.version = FormatDecimal(ProgramVersion);
    report.folder = ProgramFolder();
    report.termsAccepted = TermsAcceptedBefore();
    ReadLastRun(report, Now());
    ReadAccounts(report);
    ReadMail(report);
    return report;
}

StatusCode StatusCodeOf(const StatusReport& report)
{
    if (!report.termsAccepted || report.accounts.empty())
        return StatusCode::NotSetUp;
    if (!report.latestTrade || report.retryCount > 0)
        return StatusCode::RunFailed;
    if (!report.lastSuccess || report.marketTimeSinceSuccess > kStaleAfter)
        return StatusCode::Stale;
    return StatusCode::Ok;
}
