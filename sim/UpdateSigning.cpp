#include "UpdateSigning.h"

#include "base/Minisign.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace sim {

namespace {

std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string TrustedComment(const std::string& path, const std::string& file, const FileSigning& signing,
                           const std::string& announcedVersion)
{
    if (path.rfind("Bin/", 0) == 0)
        return "pellago-helper " + Sha256OfFile(file) + " " + fs::path(path).filename().string();
    return "pellago " + (signing.version.empty() ? announcedVersion : signing.version) + " " +
           fs::path(path).filename().string();
}

// minisign -S on a scratch copy of the bytes; the signature's text.
std::optional<std::string> Sign(const std::string& secretKey, const std::string& path, const std::string& bytes,
                                const FileSigning& signing, const std::string& announcedVersion)
{
    std::string file = (fs::temp_directory_path() / "pellago-sim-signXXXXXX").string();
    const int fd = mkstemp(file.data());
    if (fd < 0)
        return std::nullopt;
    close(fd);
    std::ofstream(file, std::ios::binary) << bytes;
    const std::string signature = file + ".minisig";
    const std::string command = "minisign -S -s " + ShellQuoted(secretKey) + " -m " + ShellQuoted(file) + " -x " +
                                ShellQuoted(signature) + " -t " +
                                ShellQuoted(TrustedComment(path, file, signing, announcedVersion)) +
                                " </dev/null >/dev/null 2>&1";
    std::optional<std::string> text;
    if (std::system(command.c_str()) == 0) {
        std::ostringstream read;
        read << std::ifstream(signature).rdbuf();
        text = read.str();
    }
    std::error_code ec;
    fs::remove(file, ec);
    fs::remove(signature, ec);
    return text;
}

} // namespace

std::optional<std::string> SignatureFor(const std::string& path, const std::string& bytes,
                                        const FileSigning& signing, const std::string& announcedVersion)
{
    const char* secretKey = std::getenv("PELLAGO_SIM_UPDATE_KEY");
    if (!secretKey || !*secretKey || signing.mode == "unsigned")
        return std::nullopt;
    return Sign(secretKey, path, bytes, signing, announcedVersion);
}

std::string ServedBytes(std::string bytes, const FileSigning& signing)
{
    if (signing.mode == "tampered" && !bytes.empty())
        bytes.back() ^= 0x01;
    return bytes;
}

} // namespace sim
