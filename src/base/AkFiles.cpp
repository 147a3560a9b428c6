// Files and folders. Shift-JIS text files are CP932 with CR LF on disk.
#include "base/AkUnit.h"
#include "base/TextCodec.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Errors that a later attempt may not meet again; anything else (no such
// folder, no permission, a folder in the way) will never go away by waiting.
bool IsTransient(int error)
{
    return error == EINTR || error == EAGAIN || error == EBUSY || error == ETXTBSY || error == EMFILE ||
           error == ENFILE || error == ENOMEM || error == ENOSPC || error == EDQUOT;
}

constexpr auto kCreateRetryLimit = std::chrono::seconds(3);
constexpr auto kCreateRetryPause = std::chrono::milliseconds(10);

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

bool ExistsAsFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::string JoinWithCrLf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

std::string ExtensionOf(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

// '*' and '?' as on the command line of the original platform.
bool MatchesWildcard(const char* name, const char* pattern)
{
    if (*pattern == '\0')
        return *name == '\0';
    if (*pattern == '*')
        return MatchesWildcard(name, pattern + 1) || (*name != '\0' && MatchesWildcard(name + 1, pattern));
    if (*name == '\0')
        return false;
    return (*pattern == '?' || *pattern == *name) && MatchesWildcard(name + 1, pattern + 1);
}

bool LessNoCase(const std::string& a, const std::string& b)
{
    const std::string la = ToLowerAscii(a);
    const std::string lb = ToLowerAscii(b);
    return la != lb ? la < lb : a < b;
}

void SyncFolderOf(const std::string& path)
{
    const int fd = ::open(fs::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A replaced file keeps its mode; a new one is its owner's alone (the saved
// documents hold log-ins and passwords).
mode_t ModeForReplacement(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        return info.st_mode & 07777;
    return 0600;
}

} // namespace

void EnsureDir(const std::string& path)
{
    ::mkdir(path.c_str(), 0777);
}

void EnsureFile(const std::string& path)
{
    if (!ExistsAsFile(path))
        CreateEmptyTextFile(path);
}

void CreateEmptyTextFile(const std::string& path)
{
    const auto giveUp = std::chrono::steady_clock::now() + kCreateRetryLimit;
    for (;;) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return;
        }
        if (!IsTransient(errno) || std::chrono::steady_clock::now() >= giveUp)
            return;
        std::this_thread::sleep_for(kCreateRetryPause);
    }
}

bool AppendLine(const std::string& line, const std::string& path)
{
    try {
        const std::string bytes = Utf8ToCp932(line) + "\r\n";
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool written = WriteAll(fd, bytes);
        return ::close(fd) == 0 && written;
    } catch (...) {
        return false;
    }
}

bool ReadFileBytes(const std::string& path, std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return false;
        }
        if (got == 0)
            break;
        content.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    bytes = std::move(content);
    return true;
}

bool LoadTextFile(const std::string& path, std::string& text)
{
    if (!ExistsAsFile(path))
        return false;
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        ShowUserMessage(path + "\r" + "の読み込みに失敗しました。" + "\r" + "処理を中断します");
        return false;
    }
    text = JoinWithCrLf(SplitLines(DecodeExternalText(bytes)));
    return true;
}

bool SaveTextFile(const std::string& path, const std::string& text)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const std::vector<std::string> lines = SplitLines(text);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    bool saved = false;
    try {
        saved = SaveFileAtomically(path, Utf8ToCp932(JoinWithCrLf(lines)));
    } catch (...) {
        saved = false;
    }
    if (!saved)
        ShowUserMessage(path + "\r" + "へのテキストの保存に失敗しました。" + "\r" + "処理を中断します");
    return saved;
}

bool SaveFileAtomically(const std::string& path, const std::string& bytes)
{
    const fs::path target(path);
    std::string temp = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    const bool written = ::fchmod(fd, ModeForReplacement(path)) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolderOf(path);
    return true;
}

std::int64_t FileSizeOf(const std::string& path)
{
    struct stat info {};
    if (path.find_first_of("*?") == std::string::npos)
        return (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ? info.st_size : 0;
    const fs::path pattern(path);
    const std::string folder = pattern.has_parent_path() ? pattern.parent_path().string() : ".";
    std::vector<std::string> names = ListFolder(folder, "", ListMode::Files);
    for (const auto& name : names) {
        const std::string full = (fs::path(folder) / name).string();
        if (MatchesWildcard(name.c_str(), pattern.filename().c_str()) && ::stat(full.c_str(), &info) == 0)
            return info.st_size;
    }
    return 0;
}

std::vector<std::string> ListFolder(const std::string& folder, const std::string& extension, ListMode mode)
{
    std::string wanted = extension;
    if (!wanted.empty() && wanted[0] != '.')
        wanted.insert(0, ".");
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        const bool isFolder = it->is_directory(typeError);
        if (isFolder) {
            if (mode != ListMode::Files)
                names.push_back(name);
        } else if (mode != ListMode::Folders && (wanted.empty() || ExtensionOf(name) == wanted)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end(), LessNoCase);
    return names;
}
