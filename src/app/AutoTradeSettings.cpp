#include "app/AutoTradeSettings.h"

#include "base/AkUnit.h"

#include <cstdio>

bool ReadSettingBool(const AutoTradeSettings& settings, const std::string& key, bool fallback)
{
    const auto text = settings.Read(key);
    if (!text)
        return fallback;
    long long number = 0;
    if (TryParseInteger(*text, number))
        return number != 0;
    if (EqualsNoCase(Trim(*text), "true"))
        return true;
    if (EqualsNoCase(Trim(*text), "false"))
        return false;
    return fallback;
}

long long ReadSettingInteger(const AutoTradeSettings& settings, const std::string& key, long long fallback)
{
    const auto text = settings.Read(key);
    long long number = 0;
    return text && TryParseInteger(*text, number) ? number : fallback;
}

DateTime ReadSettingDate(const AutoTradeSettings& settings, const std::string& key, const DateTime& fallback)
{
    const auto text = settings.Read(key);
    if (!text)
        return fallback;
    int year = 0, month = 0, day = 0;
    char tail = 0;
    if (std::sscanf(text->c_str(), "%d/%d/%d%c", &year, &month, &day, &tail) != 3)
        return fallback;
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return fallback;
    DateTime date;
    date.year = year;
    date.month = month;
    date.day = day;
    date.hour = date.minute = date.second = date.millisecond = 0;
    return date;
}

void WriteSettingBool(AutoTradeSettings& settings, const std::string& key, bool value)
{
    settings.Write(key, value ? "1" : "0");
}

void WriteSettingInteger(AutoTradeSettings& settings, const std::string& key, long long value)
{
    settings.Write(key, std::to_string(value));
}

void WriteSettingDate(AutoTradeSettings& settings, const std::string& key, const DateTime& value)
{
    settings.Write(key, FormatShortDate(value));
}

bool SameCalendarDay(const DateTime& a, const DateTime& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day;
}
