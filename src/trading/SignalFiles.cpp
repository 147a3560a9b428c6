#include "trading/SignalFiles.h"

#include "base/AkUnit.h"

#include <chrono>
#include <filesystem>
#include <optional>

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

// The newest file of the newest year, passing over files dated more than 3
// days after `now` (deleting them when asked) while there is more than one.
std::string NewestSignal(const DateTime& now, bool deleteAhead)
{
    const std::vector<std::string> years = ListFolder(SignalLogFolder(), "", ListMode::Folders);
    if (years.empty()) return {};
    const std::string year = years.back();
    const std::string folder = SignalLogFolder() + year + "/";
    std::vector<std::string> files = ListFolder(folder, "xml", ListMode::Files);
    if (files.size() > 1) {
        while (!files.empty()) {
            const std::optional<DateTime> date = SignalFileDate(year, files.back());
            if (!date) return {};
            if (!IsTooFarAhead(*date, now)) break;
            std::error_code error;
            if (deleteAhead && !std::filesystem::remove(folder + files.back(), error)) return {};
            files.pop_back();
        }
    }
    return files.empty() ? std::string() : folder + files.back();
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
