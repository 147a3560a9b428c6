#include "app/IniFile.h"

#include "base/AkUnit.h"

#include <sstream>
#include <vector>

namespace {

std::vector<std::string> ReadLines(const std::string& file)
{
    std::vector<std::string> lines;
    std::string bytes;
    if (!ReadFileBytes(file, bytes))
        return lines;
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool IsSectionLine(const std::string& line, std::string* name = nullptr)
{
    std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']')
        return false;
    if (name)
        *name = Trim(t.substr(1, t.size() - 2));
    return true;
}

// Key of a "Key=Value" line, or "" for other lines.
std::string KeyOf(const std::string& line, std::string* value = nullptr)
{
    auto eq = line.find('=');
    if (eq == std::string::npos || IsSectionLine(line))
        return {};
    if (value)
        *value = Trim(line.substr(eq + 1));
    return Trim(line.substr(0, eq));
}

} // namespace

std::optional<std::string> ReadIniString(const std::string& file, const std::string& section,
                                         const std::string& key)
{
    bool inSection = false;
    for (const auto& line : ReadLines(file)) {
        std::string name;
        if (IsSectionLine(line, &name)) {
            inSection = EqualsNoCase(name, section);
            continue;
        }
        std::string value;
        if (inSection && EqualsNoCase(KeyOf(line, &value), key))
            return value;
    }
    return std::nullopt;
}

namespace {

// Sets one value in the file's lines, adding section and key as needed.
void SetIniValue(std::vector<std::string>& lines, const std::string& section, const std::string& key,
                 const std::string& value)
{
    const std::string entry = key + "=" + value;
    bool inSection = false;
    std::size_t sectionEnd = lines.size();
    bool sectionFound = false;
    bool written = false;
    for (std::size_t i = 0; i < lines.size() && !written; ++i) {
        std::string name;
        if (IsSectionLine(lines[i], &name)) {
            if (inSection) {
                sectionEnd = i;
                break;
            }
            inSection = EqualsNoCase(name, section);
            sectionFound = sectionFound || inSection;
            continue;
        }
        if (inSection && EqualsNoCase(KeyOf(lines[i]), key)) {
            lines[i] = entry;
            written = true;
        }
    }
    if (!written && sectionFound) {
        // Insert after the section's last non-empty line.
        std::size_t at = sectionEnd;
        while (at > 0 && Trim(lines[at - 1]).empty())
            --at;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
    } else if (!written) {
        if (!lines.empty() && !Trim(lines.back()).empty())
            lines.push_back("");
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
}

bool SaveLines(const std::string& file, const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return SaveFileAtomically(file, text);
}

} // namespace

bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value)
{
    std::vector<std::string> lines = ReadLines(file);
    SetIniValue(lines, section, key, value);
    return SaveLines(file, lines);
}

bool WriteIniStrings(const std::string& file, const std::string& section,
                     const std::vector<std::pair<std::string, std::string>>& values)
{
    std::vector<std::string> lines = ReadLines(file);
    for (const auto& [key, value] : values)
        SetIniValue(lines, section, key, value);
    return SaveLines(file, lines);
}
