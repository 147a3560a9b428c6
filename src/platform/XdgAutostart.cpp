#include "platform/XdgAutostart.h"

#include "base/AkUnit.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

fs::path ConfigHome()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && fs::path(configHome).is_absolute())
        return configHome;
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        throw std::runtime_error("HOME が設定されていません");
    return fs::path(home) / ".config";
}

bool NeedsQuotes(const std::string& argument)
{
    if (argument.empty())
        return true;
    for (unsigned char c : argument)
        if (!std::isalnum(c) && std::string("_-./:@=+,").find(static_cast<char>(c)) == std::string::npos && c < 0x80)
            return true;
    return false;
}

// An argument with a character the format reserves (or any other unusual
// one) goes in double quotes. Inside them " ` $ and \ are escaped with a
// backslash; the string rule of the file then doubles every backslash, and
// the field codes make "%" a "%%".
std::string QuotedArgument(const std::string& argument)
{
    for (unsigned char c : argument)
        if (c < 0x20 || c == 0x7f)
            throw std::runtime_error("起動コマンドに制御文字が含まれています");
    if (!NeedsQuotes(argument))
        return argument;
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"' || c == '`' || c == '$')
            quoted += "\\\\";
        else if (c == '\\')
            quoted += "\\\\\\";
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

std::string DesktopExecLine(const std::vector<std::string>& command)
{
    std::string line;
    for (const std::string& argument : command)
        line += (line.empty() ? "" : " ") + QuotedArgument(argument);
    return line;
}

std::string XdgAutostart::EntryPath()
{
    return (ConfigHome() / "autostart" / "Pellago.desktop").string();
}

bool XdgAutostart::Exists() const
{
    std::error_code ec;
    return fs::exists(EntryPath(), ec);
}

void XdgAutostart::Create(const std::vector<std::string>& command)
{
    const std::string path = EntryPath();
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    const std::string entry = "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Pellago\n"
                              "Comment=Pellago 自動売買モード\n"
                              "Exec=" + DesktopExecLine(command) + "\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n";
    if (!SaveFileAtomically(path, entry))
        throw std::runtime_error(path + " に書き込めません");
}

void XdgAutostart::Remove()
{
    std::error_code ec;
    if (!fs::remove(EntryPath(), ec) && ec)
        throw std::runtime_error(EntryPath() + " を削除できません (" + ec.message() + ")");
}
