#pragma once
// What the faulted soak reads from outside the program: the lines its
// activity log gains (the log outlives the restarts through ReExe), and the
// resident memory of everything started for one program folder (the
// program, its restarts, its Chromium processes).

#include "base/TextCodec.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace soak {

// The activity log's new whole lines since the last read (in UTF-8),
// whichever monthly file the program writes now.
class LogTail {
public:
    explicit LogTail(std::string folder) : folder_(std::move(folder)) {}

    std::string Read()
    {
        const std::string file = Newest();
        if (file.empty())
            return {};
        if (file != file_) {
            file_ = file;
            offset_ = 0;
        }
        std::ifstream in(file_, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(offset_));
        std::ostringstream read;
        read << in.rdbuf();
        const std::string text = read.str();
        // A line still being written waits for the next read.
        const std::size_t end = text.rfind('\n');
        if (end == std::string::npos)
            return {};
        offset_ += end + 1;
        return Cp932ToUtf8(text.substr(0, end + 1));
    }

private:
    std::string Newest() const
    {
        std::string newest;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder_, error))
            if (entry.path().extension() == ".log" && entry.path().string() > newest)
                newest = entry.path().string();
        return newest;
    }

    std::string folder_;
    std::string file_;
    std::size_t offset_ = 0;
};

inline std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Kilobytes resident in every process whose environment names `home` as
// its program folder (restarts get it from the program, without the
// trailing slash).
inline long long ResidentKilobytes(std::string home)
{
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    const std::string marker = "PELLAGO_HOME=" + home;
    long long total = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string environment = ReadWhole(entry.path().string() + "/environ");
        if (environment.find(marker + '\0') == std::string::npos && environment.find(marker + "/" + '\0') == std::string::npos)
            continue;
        std::istringstream status(ReadWhole(entry.path().string() + "/status"));
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmRSS:", 0) == 0)
                total += std::atoll(line.c_str() + 6);
    }
    return total;
}

} // namespace soak
