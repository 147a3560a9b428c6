#pragma once
// Single values of the settings file, read and written at once (the keys of
// "AutoTrade" and "AutoUpdate" must survive a killed process). Standard INI:
// "[Section]" lines, "Key=Value" lines; other lines are kept as they are.

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The value, or nothing when the file, the section or the key is missing.
std::optional<std::string> ReadIniString(const std::string& file, const std::string& section,
                                         const std::string& key);
// Sets the value (adding section and key as needed) and replaces the file
// atomically. True on success.
bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value);
// Several values of one section in one replacement of the file (a window's
// whole section at exit). Keys keep the order given when they are new.
bool WriteIniStrings(const std::string& file, const std::string& section,
                     const std::vector<std::pair<std::string, std::string>>& values);
