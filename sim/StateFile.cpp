#include "StateFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace sim {

namespace {

[[noreturn]] void FailWith(const std::string& what, const std::string& path)
{
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

void WriteAll(int fd, const std::string& bytes, const std::string& path)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            FailWith("cannot write", path);
        done += static_cast<size_t>(n);
    }
}

} // namespace

void SaveStateFile(const std::string& path, const Json& state)
{
    std::string temp = path + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        FailWith("cannot create", temp);
    try {
        WriteAll(fd, DumpJson(state) + "\n", temp);
        if (::fsync(fd) != 0)
            FailWith("cannot flush", temp);
    } catch (...) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    ::close(fd);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        FailWith("cannot replace", path);
    }
}

std::optional<Json> LoadStateFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return ParseJson(text.str());
}

} // namespace sim
