#include "reporting/InOutFile.h"

#include "base/AkUnit.h"
#include "base/Log.h"

#include <filesystem>
#include <optional>
#include <stdexcept>

namespace {

std::optional<TBalanceLine> ReadEntry(const std::string& line)
{
    const size_t comma = line.find(',');
    long long amount = 0;
    if (comma == std::string::npos || !TryParseInteger(line.substr(comma + 1), amount)) return std::nullopt;
    const std::string date = Trim(line.substr(0, comma));
    try {
        BalanceDateKey(date);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
    return TBalanceLine{date, amount};
}

// Appends first: InOut.csv is rewritten only once the lines are safe elsewhere.
bool MoveAside(const TInOutLines& lines)
{
    std::string rejected;
    ReadFileBytes(InOutRejectedCsvPath(), rejected);
    for (const std::string& line : lines.Rejected) rejected += line + "\r\n";
    return SaveFileAtomically(InOutRejectedCsvPath(), rejected) && SaveFileAtomically(InOutCsvPath(), lines.Text);
}

} // namespace

std::string InOutRejectedCsvPath()
{
    return AccountLogFolder() + "InOut_rejected.csv";
}

TInOutLines SplitInOutLines(const std::string& text)
{
    TInOutLines lines;
    for (const std::string& line : SplitLines(text)) {
        if (Trim(line).empty()) continue;
        if (const std::optional<TBalanceLine> entry = ReadEntry(line)) {
            lines.Entries.push_back(*entry);
            lines.Text += line + "\r\n";
        } else {
            lines.Rejected.push_back(line);
        }
    }
    return lines;
}

TInOutLines LoadInOutLines()
{
    std::error_code missing;
    if (!std::filesystem::exists(InOutCsvPath(), missing)) return {};
    std::string bytes;
    if (!ReadFileBytes(InOutCsvPath(), bytes)) {
        TInOutLines unreadable;
        unreadable.FileUnreadable = true;
        return unreadable;
    }
    TInOutLines lines = SplitInOutLines(bytes);
    if (lines.Rejected.empty()) return lines;
    const bool moved = MoveAside(lines);
    for (const std::string& line : lines.Rejected)
        AddLog(moved ? "[警告] 入出金履歴 InOut.csv の読めない行「" + line + "」を " + InOutRejectedCsvPath() +
                           " に移しました。日付と金額を確かめて入力し直してください"
                     : "[警告] 入出金履歴 InOut.csv の読めない行「" + line + "」を移せませんでした。この行は計算に含めません");
    return lines;
}
