#include "trading/SignalFiles.h"

#include "base/AkUnit.h"
#include "base/Log.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <optional>
#include <set>

namespace {

// The date a stored signal stands for: the year folder, then MMDD of the name.
std::optional<DateTime> SignalFileDate(const std::string& year, const std::string& fileName)
{
    long long y = 0;
    long long m = 0;
    long long d = 0;
    if (year.size() != 4 || fileName.size() < 4 || !TryParseInteger(year, y) ||
        !TryParseInteger(fileName.substr(0, 2), m) || !TryParseInteger(fileName.substr(2, 2), d))
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(static_cast<int>(y)),
                                           std::chrono::month(static_cast<unsigned>(m)),
                                           std::chrono::day(static_cast<unsigned>(d))};
    if (m < 1 || d < 1 || !date.ok()) return std::nullopt;
    DateTime result;
    result.year = static_cast<int>(y);
    result.month = static_cast<int>(m);
    result.day = static_cast<int>(d);
    return result;
}

bool IsTooFarAhead(const DateTime& fileDate, const DateTime& now)
{
    return ToDayCount(fileDate) - ToDayCount(now) > 3.0;
}

} // namespace

std::string SignalLogFolder()
{
    return ProgramPath("AutoTrade/SignalLog/");
}

namespace {

// A stray name (a mail subject such as "signal.xml") is never a signal; it
// is named in the log once per process, not on every check.
void LogIgnoredName(const std::string& year, const std::string& name)
{
    static std::set<std::string> logged;
    if (logged.insert(year + "/" + name).second)
        AddLog("シグナルフォルダの " + year + "/" + name + " は月日(MMDD)で始まる名前ではないため、シグナルとして扱いません");
}

// The year's signal files, oldest first: names that begin with a month and
// day of that year (MMDD.xml, or MMDD followed by more), and only those.
std::vector<std::string> SignalFilesOfYear(const std::string& year)
{
    std::vector<std::string> signals;
    for (const std::string& name : ListFolder(SignalLogFolder() + year + "/", "xml", ListMode::Files)) {
        if (SignalFileDate(year, name))
            signals.push_back(name);
        else
            LogIgnoredName(year, name);
    }
    return signals;
}

bool IsYearFolder(const std::string& name)
{
    return name.size() == 4 && std::all_of(name.begin(), name.end(), [](unsigned char c) { return std::isdigit(c); });
}

// The newest file of one year, passing over files dated more than 3 days
// after `now` (deleting them when asked) while there is more than one.
std::string NewestOfYear(const std::string& year, const DateTime& now, bool deleteAhead)
{
    const std::string folder = SignalLogFolder() + year + "/";
    std::vector<std::string> files = SignalFilesOfYear(year);
    if (files.size() > 1) {
        while (!files.empty() && IsTooFarAhead(*SignalFileDate(year, files.back()), now)) {
            std::error_code error;
            if (deleteAhead && !std::filesystem::remove(folder + files.back(), error)) return {};
            files.pop_back();
        }
    }
    return files.empty() ? std::string() : folder + files.back();
}

// The newest signal of the newest year that has one: a new year's folder
// stays empty until its first signal, and last year's signal is still the
// one to trade meanwhile.
std::string NewestSignal(const DateTime& now, bool deleteAhead)
{
    std::vector<std::string> years = ListFolder(SignalLogFolder(), "", ListMode::Folders);
    for (auto year = years.rbegin(); year != years.rend(); ++year) {
        if (!IsYearFolder(*year)) continue;
        std::string newest = NewestOfYear(*year, now, deleteAhead);
        if (!newest.empty()) return newest;
    }
    return {};
}

} // namespace

std::string LatestSignalFile(const DateTime& now)
{
    return NewestSignal(now, true);
}

std::string LatestSignalFile()
{
    return LatestSignalFile(Now());
}

std::string NewestSignalFile()
{
    return NewestSignal(Now(), false);
}
