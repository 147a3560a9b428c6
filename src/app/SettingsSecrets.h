#pragma once
// The log-in data the settings file keeps, each value scrambled with
// AngouEncodeText: the service password (Edit2), the SMTP password (Edit5)
// and the mailbox password (Edit6). The scrambling has no key, so neither
// form may leave the machine.

#include <array>
#include <string>
#include <vector>

inline constexpr std::array<const char*, 3> kScrambledSettingKeys = {"Edit2", "Edit5", "Edit6"};

// A "Key=Value" line of one of those keys, in whatever section.
bool IsScrambledSettingLine(const std::string& line);

// The secrets stored in the settings file at `path`, each as stored and as
// plain text; empty values are left out.
std::vector<std::string> StoredSecretForms(const std::string& path);
