#pragma once
// The activity log (memo lines + one file per month in Log/) and the detail
// log (Log/hd, capped). Logging never throws to the caller.

#include <cstddef>
#include <deque>
#include <functional>
#include "base/Clock.h"

#include <string>

// The memo's content, kept without a window so the rules are testable; the
// main window mirrors it into Memo1.
class LogMemo {
public:
    static constexpr std::size_t kCutAt = 5000;
    static constexpr std::size_t kKeep = 998;

    const std::deque<std::string>& lines() const { return lines_; }
    void add(const std::string& line);
    void replaceLast(const std::string& line);
    void cutBackIfFull();
    void clear();

private:
    std::deque<std::string> lines_;
};

// What the window (or headless output) wants to hear about.
struct LogObserver {
    std::function<void()> onMemoChanged;             // redraw Memo1
    std::function<void(const std::string&)> onLine;  // one new activity line (headless echo)
    std::function<void()> onAddLogBegin;             // LogMinTimer off, memo shown in mode 2
    std::function<void()> onAddLogEnd;               // LogMinTimer on, status bar banner
};

LogMemo& ActivityMemo();
void SetLogObserver(LogObserver observer);

void AddLog(const std::string& text);
void AddDetailLog(const std::string& text);
void CollapseRepeatedLog(const std::string& text);

// "Log/yyyy-MM.log" for the given moment.
std::string MonthlyLogPath(const DateTime& time);
std::string DetailLogPath();
