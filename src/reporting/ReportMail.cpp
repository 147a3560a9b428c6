#include "reporting/ReportMail.h"

#include "base/AkUnit.h"
#include "base/Clock.h"
#include "base/Log.h"
#include "base/ScopedFlag.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "reporting/MailQueue.h"
#include "reporting/ReportLists.h"

#include <stdexcept>

namespace {

const std::string kCrLf = "\r\n";
const std::string kImportant = "[重要]";

// Every entry on lines of its own, as writing the log to a file and reading it back gives.
std::vector<std::string> PhysicalLines(const std::vector<std::string>& tradeLog)
{
    std::vector<std::string> lines;
    for (const std::string& entry : tradeLog) {
        const std::vector<std::string> split = SplitLines(entry);
        if (split.empty())
            lines.emplace_back();
        lines.insert(lines.end(), split.begin(), split.end());
    }
    return lines;
}

std::string AccountStatusSection(pugi::xml_document& accounts)
{
    const pugi::xml_node today = accounts.document_element().child("AccountSummary").child("Today");
    std::string text = "■ 口座状況(総合)" + kCrLf + kCrLf + "[評価資産] " + MoneyText(ChildValue(today, "BalancePL"), "JPY") +
                       kCrLf + "[含み益] " + MoneyText(ChildValue(today, "PL"), "JPY") + kCrLf + kCrLf +
                       "■ 各口座状況" + kCrLf + kCrLf;
    for (pugi::xml_node account : AccountElements(accounts))
        text += "[" + AccountName(account) + "] " +
                MoneyText(ChildValue(account.child("Today"), "BalancePL"), ChildValue(account, "AccountBaseCurrency")) +
                kCrLf;
    return text;
}

std::string Entries(const std::vector<std::string>& entries)
{
    std::string text;
    for (const std::string& entry : entries)
        text += entry + kCrLf;
    return text;
}

std::string ReportSubject(const DateTime& now)
{
    return std::to_string(now.month) + "月" + std::to_string(now.day) + "日の自動売買ログ";
}

// The run record: the summary sections as one first entry, then the marked log.
std::string RunRecord(const TReportSections& sections)
{
    std::vector<std::string> entries{sections.ErrorTotal + sections.AccountStatus + sections.SignalList +
                                     sections.SignalPositions + sections.AllPositions + sections.ImportantLog};
    entries.insert(entries.end(), sections.Lines.begin(), sections.Lines.end());
    return Entries(entries);
}

} // namespace

TReportSections BuildReportSections(const std::vector<std::string>& tradeLog, const TReportOptions& options,
                                    const TReportSources& sources)
{
    TReportSections sections;
    sections.Lines = PhysicalLines(tradeLog);
    std::string important;
    std::string errors;
    int errorCount = 0;
    for (std::size_t index = 0; index < sections.Lines.size(); ++index) {
        std::string& line = sections.Lines[index];
        if (line.find(kImportant) != std::string::npos)
            important += kImportant + TextAfter(line, kImportant) + kCrLf;
        if (ContainsNoCase(line, "error")) {
            ++errorCount;
            errors += "[" + std::to_string(index) + "] " + line + kCrLf;
            line = "■ERROR■" + line;
        }
    }
    sections.ErrorTotal = "■ エラー総数" + kCrLf + kCrLf + "errorは" + std::to_string(errorCount) + "個です" + kCrLf + errors;
    sections.ImportantLog = "■ 重要なログ抽出結果" + kCrLf + kCrLf + important;

    pugi::xml_document accounts;
    LoadAccountDocument(accounts, sources.AccountPath);
    sections.AccountStatus = AccountStatusSection(accounts);
    if (options.SignalList)
        sections.SignalList = SignalListText(sources.SignalPath);
    if (options.SignalPositions)
        sections.SignalPositions = SignalPositionsText(sources.SignalPath, accounts, sources.DemoMode);
    if (options.AllPositions)
        sections.AllPositions = AllPositionsText(accounts);
    return sections;
}

std::string ReportMailText(const TReportSections& sections, const TReportOptions& options, const std::string& subject)
{
    std::vector<std::string> entries;
    const std::pair<bool, const std::string*> chosen[] = {
        {options.ErrorTotal, &sections.ErrorTotal},       {options.AccountStatus, &sections.AccountStatus},
        {options.ImportantLog, &sections.ImportantLog},   {options.SignalList, &sections.SignalList},
        {options.SignalPositions, &sections.SignalPositions}, {options.AllPositions, &sections.AllPositions}};
    for (const auto& [on, section] : chosen)
        if (on)
            entries.push_back(*section);
    if (options.WholeLog)
        entries.push_back("■ すべてのログ" + kCrLf + kCrLf + Entries(sections.Lines));
    entries.push_back(subject);
    return Entries(entries);
}

std::string ComposeReportMail(const std::vector<std::string>& tradeLog, const TReportOptions& options,
                              const TReportSources& sources, bool& queueBusy)
{
    ScopedFlag busy(queueBusy);
    try {
        const std::string name = NewMailFileName(MailTempFolder());
        const std::string subject = ReportSubject(Now());
        const TReportSections sections = BuildReportSections(tradeLog, options, sources);
        SaveTextFile(ProgramPath("AutoTradeLog.Log"), RunRecord(sections));
        const std::string text = ReportMailText(sections, options, subject);
        EnsureDir(MailTempFolder());
        EnsureDir(MailLogFolder());
        SaveTextFile(MailLogFolder() + name, text);
        if (SaveTextFile(MailTempFolder() + name, text))
            return MailTempFolder() + name;
    } catch (const std::exception& error) {
        AddDetailLog(std::string("■■ComposeReportMail Error! ") + error.what());
    }
    return {};
}
