#include "app/SettingsSecrets.h"

#include "app/IniFile.h"
#include "base/Angou.h"
#include "base/AkUnit.h"

#include <algorithm>

bool IsScrambledSettingLine(const std::string& line)
{
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    const std::string key = Trim(line.substr(0, eq));
    return std::any_of(kScrambledSettingKeys.begin(), kScrambledSettingKeys.end(),
                       [&](const char* scrambled) { return EqualsNoCase(key, scrambled); });
}

std::vector<std::string> StoredSecretForms(const std::string& path)
{
    std::vector<std::string> forms;
    for (const char* key : kScrambledSettingKeys) {
        const std::optional<std::string> stored = ReadIniString(path, "Main", key);
        if (!stored || stored->empty())
            continue;
        forms.push_back(*stored);
        forms.push_back(AngouDecodeText(*stored));
    }
    return forms;
}
