#include "app/OsDescription.h"

#include "base/AkUnit.h"

#include <map>
#include <sys/utsname.h>

namespace {

// A value as the os-release format writes it: bare, or in single or double
// quotes with backslash escapes.
std::string Unquote(const std::string& value)
{
    if (value.size() < 2 || (value.front() != '"' && value.front() != '\'') || value.back() != value.front())
        return value;
    std::string text;
    for (std::size_t i = 1; i + 1 < value.size(); ++i) {
        if (value[i] == '\\' && i + 2 < value.size())
            ++i;
        text += value[i];
    }
    return text;
}

std::map<std::string, std::string> ParseOsRelease(const std::string& text)
{
    std::map<std::string, std::string> fields;
    for (const std::string& raw : SplitLines(text)) {
        const std::string line = Trim(raw);
        const auto eq = line.find('=');
        if (line.empty() || line[0] == '#' || eq == std::string::npos)
            continue;
        fields[line.substr(0, eq)] = Unquote(line.substr(eq + 1));
    }
    return fields;
}

std::string DistributionName(const std::string& osRelease)
{
    auto fields = ParseOsRelease(osRelease);
    if (!fields["PRETTY_NAME"].empty())
        return fields["PRETTY_NAME"];
    const std::string name = Trim(fields["NAME"] + " " + fields["VERSION"]);
    return name.empty() ? "Unknown" : name;
}

std::string KernelDescription()
{
    utsname names{};
    if (::uname(&names) != 0)
        return {};
    return std::string(names.sysname) + " " + names.release + " " + names.machine;
}

} // namespace

std::string OsDescriptionFrom(const std::string& osRelease, const std::string& kernel)
{
    const std::string distribution = DistributionName(osRelease);
    return kernel.empty() ? distribution : distribution + " (" + kernel + ")";
}

std::string OsDescription()
{
    std::string osRelease;
    if (!ReadFileBytes("/etc/os-release", osRelease))
        ReadFileBytes("/usr/lib/os-release", osRelease);
    return OsDescriptionFrom(osRelease, KernelDescription());
}
