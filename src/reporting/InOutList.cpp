#include "reporting/InOutList.h"

#include "base/AkUnit.h"
#include "reporting/BalanceHistory.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace {

std::optional<TBalanceDateKey> DateOf(const std::string& text)
{
    try {
        return BalanceDateKey(text);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

// "2009/11/2, 100" split on commas and blanks.
TInOutRow BalanceRow(const std::string& line)
{
    std::vector<std::string> parts;
    for (const std::string& part : SplitTrimmed(ReplaceAll(line, " ", ","), ","))
        if (!part.empty()) parts.push_back(part);
    parts.resize(2);
    return {parts[0], parts[1], ""};
}

// Puts the entry's amount on the first row of its date; false when there is
// none, or when that row already shows an entry of the same day.
bool PlaceEntry(std::vector<TInOutRow>& rows, const std::string& line)
{
    const size_t comma = line.find(',');
    const std::optional<TBalanceDateKey> date = DateOf(line.substr(0, comma));
    if (comma == std::string::npos || !date) return false;
    for (TInOutRow& row : rows) {
        if (DateOf(row.Date) != date) continue;
        if (!row.Amount.empty()) return false;
        row.Amount = Trim(line.substr(comma + 1));
        return true;
    }
    return false;
}

struct TDatedLine {
    std::optional<TBalanceDateKey> Date; // unreadable dates go last
    std::string Text;
};

bool IsAmount(const std::string& text)
{
    long long value = 0;
    return TryParseInteger(text, value);
}

} // namespace

TInOutGrid ReadInOutGrid(const std::string& balanceText, const std::string& inOutText)
{
    TInOutGrid grid;
    for (const std::string& line : SplitLines(balanceText))
        if (!Trim(line).empty()) grid.Rows.push_back(BalanceRow(line));
    for (const std::string& line : SplitLines(inOutText))
        if (!Trim(line).empty() && !PlaceEntry(grid.Rows, line)) grid.Unmatched.push_back(Trim(line));
    return grid;
}

std::string InOutListText(const TInOutGrid& grid)
{
    std::vector<TDatedLine> lines;
    for (const TInOutRow& row : grid.Rows) {
        const std::string amount = Trim(row.Amount);
        // A sign typed on its own is no amount; writing it would only make the next build fail.
        if (IsAmount(amount)) lines.push_back({DateOf(row.Date), row.Date + ", " + amount});
    }
    for (const std::string& line : grid.Unmatched) lines.push_back({DateOf(line.substr(0, line.find(','))), line});
    std::stable_sort(lines.begin(), lines.end(), [](const TDatedLine& a, const TDatedLine& b) {
        if (!a.Date || !b.Date) return a.Date.has_value() && !b.Date.has_value();
        return *a.Date < *b.Date;
    });
    std::string text;
    for (const TDatedLine& line : lines) text += line.Text + "\r\n";
    return text;
}

std::string InOutCellAfterKey(const std::string& cell, char key)
{
    if (key >= '0' && key <= '9') return cell + key;
    if (key == '\b') return cell.empty() ? cell : cell.substr(0, cell.size() - 1);
    if ((key == '+' || key == '-') && cell.empty()) return std::string(1, key);
    return cell;
}
