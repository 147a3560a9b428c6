#pragma once
// Scratch folders, a pinned clock and raw file access for the base tests
// (no Qt here, so the shared Qt-based test support is not used).

#include "app/base/AkUnit.h"
#include "app/base/Clock.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace basetest {

class ScratchDir {
public:
    ScratchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pellago-base-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        path_ += '/';
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& relative) const { return path_ + relative; }

private:
    std::string path_;
};

inline std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void Spit(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Pins the process clock to a fixed local time (in UTC) while alive.
class PinnedClock {
public:
    PinnedClock(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
    {
        setenv("TZ", "UTC", 1);
        tzset();
        set(year, month, day, hour, minute, second);
    }
    ~PinnedClock() { SetClockSource({}); }
    void set(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
    {
        DateTime t;
        t.year = year;
        t.month = month;
        t.day = day;
        t.hour = hour;
        t.minute = minute;
        t.second = second;
        point_ = FromLocal(t);
        SetClockSource([this] { return point_; });
    }

private:
    std::chrono::system_clock::time_point point_;
};

} // namespace basetest
