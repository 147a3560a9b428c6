#include "helpers/common/HelperLog.h"

#include "base/AkUnit.h"
#include "base/Clock.h"

#include <csignal>
#include <filesystem>

std::string OwnFolder()
{
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("./") : self.parent_path().string() + "/";
}

HelperLog::HelperLog(std::string path) : path_(std::move(path)) { EnsureFile(path_); }

void HelperLog::Line(const std::string& text) const
{
    AppendLine("[" + FormatTimeStamp(Now()) + "] " + text, path_);
}

void OutliveInheritedOutput() { std::signal(SIGPIPE, SIG_IGN); }
