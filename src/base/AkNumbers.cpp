// Numbers and dates as the logs, documents and mails write them.
#include "base/AkUnit.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace {

bool IsDecimalChar(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
}

// "+5" is a number too; from_chars only knows the minus sign.
std::string WithoutLeadingPlus(const std::string& text)
{
    const bool signedTwice = text.size() >= 2 && (text[1] == '+' || text[1] == '-');
    return (!text.empty() && text[0] == '+' && !signedTwice) ? text.substr(1) : text;
}

// The whole text as one number; `value` is left alone unless it all parses
// (an empty text does not).
template <class Number>
bool ParseWhole(const std::string& text, Number& value)
{
    Number parsed{};
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, parsed);
    if (result.ec != std::errc() || result.ptr != end)
        return false;
    value = parsed;
    return true;
}

// Significant digits (no trailing zeros) and the decimal exponent of the
// first one, after rounding to 15 significant digits.
void SignificantDigits(double magnitude, std::string& digits, int& exponent)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14);
    const std::string text(buffer, result.ptr);
    const size_t e = text.find('e');
    digits = text.substr(0, 1) + text.substr(2, e - 2);
    exponent = std::atoi(text.c_str() + e + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
}

std::string FixedForm(const std::string& digits, int exponent)
{
    if (exponent < 0)
        return "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    const size_t whole = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= whole)
        return digits + std::string(whole - digits.size(), '0');
    return digits.substr(0, whole) + "." + digits.substr(whole);
}

std::string ScientificForm(const std::string& digits, int exponent)
{
    std::string mantissa = digits.substr(0, 1);
    if (digits.size() > 1)
        mantissa += "." + digits.substr(1);
    return mantissa + "E" + std::to_string(exponent);
}

const char* const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

} // namespace

std::string ZeroPad(long long number, int width)
{
    std::string text = std::to_string(number);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<size_t>(width) - text.size(), '0');
    return text;
}

long long RoundHalfAway(double x)
{
    return std::isfinite(x) ? std::llround(x) : 0;
}

std::string MonthDayString(bool padded, const DateTime& date)
{
    if (padded)
        return ZeroPad(date.month, 2) + ZeroPad(date.day, 2);
    return std::to_string(date.month) + std::to_string(date.day);
}

std::string FormatMoney(const std::string& amount, const std::string& currency, bool plusSign)
{
    double parsed = 0;
    if (!TryParseDecimal(amount, parsed))
        throw std::invalid_argument("'" + amount + "' is not a valid number");
    const double rounded = std::nearbyint(parsed); // halves to even
    if (std::fabs(rounded) >= 9.2e18)
        throw std::out_of_range("'" + amount + "' is too large an amount");
    const long long v = static_cast<long long>(rounded);
    const std::string sign = v < 0 ? "-" : (plusSign ? "+" : "");
    const long long man = v / 10000;
    const long long rest = std::llabs(v - man * 10000);
    std::string body = man != 0 ? std::to_string(std::llabs(man)) + "万" : std::string();
    body += std::to_string(rest);
    return sign + body + (EqualsNoCase(currency, "JPY") ? "円" : "ドル");
}

std::string DayAbbrev(const DateTime& date)
{
    return kDayNames[WeekdayOf(date)];
}

std::string MonthAbbrev(const DateTime& date)
{
    return (date.month >= 1 && date.month <= 12) ? kMonthNames[date.month - 1] : "";
}

std::string StampedLogName(const DateTime& time)
{
    return std::to_string(time.year) + "年" + std::to_string(time.month) + "月" + std::to_string(time.day) + "日" +
           std::to_string(time.hour) + "時" + std::to_string(time.minute) + "分" + std::to_string(time.second) +
           "." + std::to_string(time.millisecond) + "秒のログ";
}

std::string FormatDecimal(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    if (value == 0)
        return "0";
    std::string digits;
    int exponent = 0;
    SignificantDigits(std::fabs(value), digits, exponent);
    // Fixed point while the whole part fits the 15 digits and the value is not tiny.
    const bool scientific = exponent > 14 || exponent < -5;
    const std::string body = scientific ? ScientificForm(digits, exponent) : FixedForm(digits, exponent);
    return value < 0 ? "-" + body : body;
}

bool TryParseDecimal(const std::string& text, double& value)
{
    const std::string trimmed = WithoutLeadingPlus(Trim(text));
    for (char c : trimmed)
        if (!IsDecimalChar(c))
            return false;
    return ParseWhole(trimmed, value);
}

bool TryParseInteger(const std::string& text, long long& value)
{
    return ParseWhole(WithoutLeadingPlus(Trim(text)), value);
}
