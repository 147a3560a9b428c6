// Activity log (memo + monthly file) and detail log (Log/hd).
#include "base/Log.h"

#include "base/AkUnit.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::int64_t kDetailLogLimit = 800000;
const char* const kIdeographicSpace = "\u3000";
const char* const kRangeMark = " ～ ";

LogObserver& Observer()
{
    static LogObserver observer;
    return observer;
}

// Logging must never throw into the caller, whatever a hook does.
template <typename Hook, typename... Args>
void Notify(const Hook& hook, Args&&... args)
{
    if (!hook)
        return;
    try {
        hook(std::forward<Args>(args)...);
    } catch (...) {
    }
}

// Pieces between CR LF pairs, with an empty piece after a final CR LF.
std::vector<std::string> SplitAtCrLf(const std::string& text)
{
    std::vector<std::string> pieces;
    size_t from = 0;
    for (size_t pos = text.find("\r\n"); pos != std::string::npos; pos = text.find("\r\n", from)) {
        pieces.push_back(text.substr(from, pos - from));
        from = pos + 2;
    }
    pieces.push_back(text.substr(from));
    return pieces;
}

bool IsBlankLine(const std::string& line)
{
    return Trim(line).empty();
}

std::string TrimStart(const std::string& line)
{
    size_t first = 0;
    while (first < line.size() && static_cast<unsigned char>(line[first]) <= 0x20)
        ++first;
    return line.substr(first);
}

std::string TrimEnd(const std::string& line)
{
    size_t last = line.size();
    while (last > 0 && static_cast<unsigned char>(line[last - 1]) <= 0x20)
        --last;
    return line.substr(0, last);
}

std::string ActivityLine(const std::string& text)
{
    return "[" + FormatTimeStamp(Now()) + "]" + kIdeographicSpace + text;
}

void WriteActivityLines(const std::string& text)
{
    const std::string path = MonthlyLogPath(Now());
    EnsureFile(path);
    LogMemo& memo = ActivityMemo();
    memo.cutBackIfFull();
    for (const auto& piece : SplitAtCrLf(text)) {
        const std::string line = ActivityLine(piece);
        AppendLine(Trim(line), path); // a lost file line still shows in the memo
        memo.add(line);
        Notify(Observer().onLine, line);
    }
    Notify(Observer().onMemoChanged);
}

void SaveDetailLog(const std::string& path, const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    if (!SaveTextFile(path, text)) {
        PumpMessages(0);
        SaveTextFile(path, text);
    }
}

// Drops the oldest fifth (plus one line) so the file stays near its cap.
void CutBackDetailLog(const std::string& path)
{
    std::string text;
    if (LoadTextFile(path, text)) {
        std::vector<std::string> lines = SplitLines(text);
        const size_t drop = std::min(lines.size(), lines.size() * 2 / 10 + 1);
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(drop));
        PumpMessages(0);
        SaveDetailLog(path, lines);
    }
    PumpMessages(0);
}

// "[first stamp" of a plain or an already collapsed line.
std::string FirstStampPart(const std::string& line)
{
    const std::string head = TextBefore(line, "]");
    return head.find(kRangeMark) != std::string::npos ? TextBefore(head, kRangeMark) : head;
}

} // namespace

void LogMemo::add(const std::string& line)
{
    lines_.push_back(line);
}

void LogMemo::replaceLast(const std::string& line)
{
    if (lines_.empty())
        lines_.push_back(line);
    else
        lines_.back() = line;
}

void LogMemo::cutBackIfFull()
{
    if (lines_.size() < kCutAt)
        return;
    lines_.erase(lines_.begin(), lines_.end() - static_cast<std::ptrdiff_t>(kKeep));
    // The kept text is trimmed as a whole: blank lines and blanks at its two ends go.
    while (!lines_.empty() && IsBlankLine(lines_.front()))
        lines_.pop_front();
    while (!lines_.empty() && IsBlankLine(lines_.back()))
        lines_.pop_back();
    if (!lines_.empty()) {
        lines_.front() = TrimStart(lines_.front());
        lines_.back() = TrimEnd(lines_.back());
    }
}

void LogMemo::clear()
{
    lines_.clear();
}

LogMemo& ActivityMemo()
{
    static LogMemo memo;
    return memo;
}

void SetLogObserver(LogObserver observer)
{
    Observer() = std::move(observer);
}

void AddLog(const std::string& text)
{
    Notify(Observer().onAddLogBegin);
    try {
        WriteActivityLines(text);
    } catch (...) {
    }
    Notify(Observer().onAddLogEnd);
}

void AddDetailLog(const std::string& text)
{
    try {
        const std::string path = DetailLogPath();
        if (FileSizeOf(path) > kDetailLogLimit)
            CutBackDetailLog(path);
        AppendLine("[" + FormatTimeStamp(Now()) + "] " + text, path);
    } catch (...) {
    }
}

void CollapseRepeatedLog(const std::string& text)
{
    try {
        LogMemo& memo = ActivityMemo();
        if (memo.lines().empty() || !ContainsNoCase(memo.lines().back(), text)) {
            AddLog(text);
            return;
        }
        const std::string prefix = FirstStampPart(memo.lines().back());
        memo.replaceLast(prefix + kRangeMark + FormatTimeStamp(Now()) + "]" + kIdeographicSpace + text);
        Notify(Observer().onMemoChanged);
    } catch (...) {
    }
}

std::string MonthlyLogPath(const DateTime& time)
{
    return ProgramPath("Log/" + ZeroPad(time.year, 4) + "-" + ZeroPad(time.month, 2) + ".log");
}

std::string DetailLogPath()
{
    return ProgramPath("Log/hd");
}
