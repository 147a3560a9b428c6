#include "reporting/BalanceHistory.h"

#include "base/AkUnit.h"
#include "base/Log.h"
#include "documents/DocumentNodes.h"
#include "documents/XmlFile.h"
#include "reporting/InOutFile.h"

#include <algorithm>
#include <stdexcept>
#include <tuple>

namespace {

long long ReadInteger(const std::string& text)
{
    long long value = 0;
    if (!TryParseInteger(text, value))
        throw std::invalid_argument("'" + text + "' is not an integer");
    return value;
}

// The day's total valuation, or nothing when the snapshot holds none above zero.
bool SnapshotAmount(const std::string& path, long long& amount)
{
    pugi::xml_document doc;
    if (!LoadXmlFile(path, doc)) throw std::runtime_error(path + " is not a document");
    pugi::xml_node today = doc.document_element().child("AccountSummary").child("Today");
    if (!today) throw std::runtime_error(path + " has no AccountSummary/Today");
    pugi::xml_node valuation = today.child("BalancePL");
    if (!IsTextElement(valuation)) return false;
    amount = ReadInteger(NodeText(valuation));
    return amount > 0;
}

// A daily snapshot is named by its month and day, "0105.xml"; any other
// document in a year folder would give a line with a date that is none.
bool IsSnapshotName(const std::string& file)
{
    return file.size() == 8 && file[4] == '.' &&
           std::all_of(file.begin(), file.begin() + 4, [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<TBalanceLine> ScanSnapshots(const std::string& root)
{
    std::vector<TBalanceLine> history;
    for (const std::string& year : ListFolder(root, "", ListMode::Folders)) {
        for (const std::string& file : ListFolder(root + year + "/", "xml", ListMode::Files)) {
            if (!IsSnapshotName(file)) continue;
            long long amount = 0;
            if (SnapshotAmount(root + year + "/" + file, amount)) history.push_back({SnapshotDate(year, file), amount});
        }
    }
    return history;
}

void WriteLines(const std::string& path, const std::vector<TBalanceLine>& lines)
{
    if (!SaveFileAtomically(path, BalanceLinesText(lines))) throw std::runtime_error(path + " cannot be written");
}

} // namespace

std::string AccountLogFolder()
{
    return ProgramPath("AutoTrade/AccountLog/");
}

std::string BalanceCsvPath()
{
    return AccountLogFolder() + "Balance.csv";
}

std::string InOutCsvPath()
{
    return AccountLogFolder() + "InOut.csv";
}

std::string BalanceWithInOutCsvPath()
{
    return AccountLogFolder() + "BalanceWithInOut.csv";
}

TBalanceDateKey BalanceDateKey(const std::string& text)
{
    const std::vector<std::string> parts = SplitTrimmed(text, "/");
    if (parts.size() != 3) throw std::invalid_argument("'" + text + "' is not a date");
    const TBalanceDateKey key{ReadInteger(parts[0]), ReadInteger(parts[1]), ReadInteger(parts[2])};
    const auto [year, month, day] = key;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > 31)
        throw std::invalid_argument("'" + text + "' is not a date");
    return key;
}

std::string SnapshotDate(const std::string& yearFolder, const std::string& fileName)
{
    std::string date = fileName.substr(0, fileName.find('.'));
    if (date.size() >= 2) date.insert(2, "/");
    if (date.size() > 3 && date[3] == '0') date.erase(3, 1);
    if (!date.empty() && date[0] == '0') date.erase(0, 1);
    return yearFolder + "/" + date;
}

void ApplyInOut(std::vector<TBalanceLine>& history, const std::vector<TBalanceLine>& inOut)
{
    std::vector<TBalanceDateKey> entryDates;
    for (const TBalanceLine& entry : inOut) entryDates.push_back(BalanceDateKey(entry.Date));
    for (TBalanceLine& line : history) {
        const TBalanceDateKey day = BalanceDateKey(line.Date);
        for (size_t k = 0; k < inOut.size(); ++k)
            if (entryDates[k] >= day) line.Amount += inOut[k].Amount;
    }
}

std::string BalanceLinesText(const std::vector<TBalanceLine>& lines)
{
    std::string text;
    for (const TBalanceLine& line : lines) text += line.Date + ", " + std::to_string(line.Amount) + "\r\n";
    return text;
}

void ExtractAccountBalance()
{
    try {
        std::vector<TBalanceLine> history = ScanSnapshots(AccountLogFolder());
        WriteLines(BalanceCsvPath(), history);
        const TInOutLines inOut = LoadInOutLines();
        if (inOut.FileUnreadable) throw std::runtime_error("InOut.csv cannot be read");
        ApplyInOut(history, inOut.Entries);
        WriteLines(BalanceWithInOutCsvPath(), history);
    } catch (const std::exception&) {
        AddLog("Error! in ExtractAccountBalance");
    }
}
