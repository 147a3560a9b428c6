#pragma once
// Section "AutoTrade" of the settings file as the cycle sees it. The window
// provides the real store; every write reaches the file at once, so the
// retry count and LatestTrade survive a killed process.

#include "base/Clock.h"

#include <optional>
#include <string>

class AutoTradeSettings {
public:
    static constexpr const char* kRetryCount = "URetryCount";
    static constexpr const char* kLatestTrade = "LatestTrade";
    static constexpr const char* kLastSleep = "LastSleep";

    virtual ~AutoTradeSettings() = default;
    // Empty when the key is not in the file.
    virtual std::optional<std::string> Read(const std::string& key) const = 0;
    virtual void Write(const std::string& key, const std::string& value) = 0;
};

// Typed access with the file's conventions: booleans "1"/"0", integers in
// decimal, dates "yyyy/MM/dd". A value that does not convert reads as the
// default, as a hand-edited file must never stop the cycle.
bool ReadSettingBool(const AutoTradeSettings& settings, const std::string& key, bool fallback);
long long ReadSettingInteger(const AutoTradeSettings& settings, const std::string& key, long long fallback);
DateTime ReadSettingDate(const AutoTradeSettings& settings, const std::string& key, const DateTime& fallback);
void WriteSettingBool(AutoTradeSettings& settings, const std::string& key, bool value);
void WriteSettingInteger(AutoTradeSettings& settings, const std::string& key, long long value);
void WriteSettingDate(AutoTradeSettings& settings, const std::string& key, const DateTime& value);

bool SameCalendarDay(const DateTime& a, const DateTime& b);
