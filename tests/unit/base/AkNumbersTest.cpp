#include "base/AkUnit.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

using testsupport::MakeDateTime;

TEST(AkNumbers, FormatMoney)
{
    struct Case {
        const char* amount;
        const char* currency;
        bool plus;
        const char* expected;
    } cases[] = {
        {"1234567", "JPY", false, "123万4567円"},
        {"50000", "JPY", false, "5万0円"},
        {"120005", "JPY", true, "+12万5円"},
        {"-3500.4", "USD", false, "-3500ドル"},
        {"0", "JPY", false, "0円"},
        {"0", "jpy", true, "+0円"},
        {"-50000", "JPY", false, "-5万0円"},
        {"-123456", "JPY", true, "-12万3456円"},
        {"2.5", "JPY", false, "2円"},   // halves to even
        {"3.5", "JPY", false, "4円"},
        {"-0.5", "JPY", false, "0円"},
        {"9999.5", "USD", false, "1万0ドル"},
        {" 100 ", "EUR", false, "100ドル"},
        {"3000000000", "JPY", false, "300000万0円"}, // beyond 32 bits stays right
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatMoney(c.amount, c.currency, c.plus), c.expected) << c.amount;
    for (const char* bad : {"", "abc", "1,000", "12円", "1e", "nan", "inf"})
        EXPECT_THROW(FormatMoney(bad, "JPY", false), std::invalid_argument) << bad;
}

TEST(AkNumbers, PaddingRoundingAndDates)
{
    EXPECT_EQ(ZeroPad(7, 2), "07");
    EXPECT_EQ(ZeroPad(123, 2), "123");
    EXPECT_EQ(ZeroPad(5, 4), "0005");
    struct Round {
        double x;
        long long expected;
    } rounds[] = {{2.5, 3}, {-2.5, -3}, {2.4999, 2}, {-0.5, -1}, {0.49, 0}, {1e10 + 0.5, 10000000001LL}};
    for (const auto& r : rounds)
        EXPECT_EQ(RoundHalfAway(r.x), r.expected) << r.x;

    EXPECT_EQ(MonthDayString(true, MakeDateTime(2010, 1, 5)), "0105");
    EXPECT_EQ(MonthDayString(false, MakeDateTime(2010, 1, 5)), "15");
    EXPECT_EQ(MonthDayString(false, MakeDateTime(2010, 12, 25)), "1225");
    EXPECT_EQ(DayAbbrev(MakeDateTime(2010, 1, 5)), "Tue");
    EXPECT_EQ(DayAbbrev(MakeDateTime(2010, 1, 10)), "Sun");
    EXPECT_EQ(MonthAbbrev(MakeDateTime(2010, 1, 5)), "Jan");
    EXPECT_EQ(MonthAbbrev(MakeDateTime(2010, 12, 5)), "Dec");
    EXPECT_EQ(StampedLogName(MakeDateTime(2010, 1, 5, 7, 3, 9, 45)), "2010年1月5日7時3分9.45秒のログ");
}

TEST(AkNumbers, FormatDecimalIsShortest)
{
    struct Case {
        double value;
        const char* expected;
    } cases[] = {
        {2.5, "2.5"},         {1234567, "1234567"},   {0.35, "0.35"},     {0.1 + 0.2, "0.3"},
        {-0.25, "-0.25"},     {0, "0"},               {-0.0, "0"},        {100, "100"},
        {1.0271, "1.0271"},   {123456789012345, "123456789012345"},     {1e15, "1E15"},
        {0.00001, "0.00001"}, {0.000001, "1E-6"},     {1.5e-7, "1.5E-7"}, {2.0 / 3, "0.666666666666667"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDecimal(c.value), c.expected) << c.expected;
}

TEST(AkNumbers, StrictParsing)
{
    struct Case {
        const char* text;
        bool ok;
        double value;
    } decimals[] = {
        {"2.5", true, 2.5},  {" -3 ", true, -3},  {"+4", true, 4},   {".5", true, 0.5},  {"1e3", true, 1000},
        {"", false, 0},      {"1.2.3", false, 0}, {"12abc", false, 0}, {"inf", false, 0}, {"nan", false, 0},
        {"0x10", false, 0},  {"+-1", false, 0},   {"-", false, 0},   {"1,5", false, 0},  {"1e999", false, 0},
    };
    for (const auto& c : decimals) {
        double value = -99;
        EXPECT_EQ(TryParseDecimal(c.text, value), c.ok) << c.text;
        if (c.ok)
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        else
            EXPECT_EQ(value, -99) << c.text;
    }
    struct IntCase {
        const char* text;
        bool ok;
        long long value;
    } integers[] = {
        {"42", true, 42}, {" -7", true, -7}, {"+3", true, 3}, {"4.0", false, 0},
        {"", false, 0},   {"9223372036854775808", false, 0}, {"1 2", false, 0},
    };
    for (const auto& c : integers) {
        long long value = -99;
        EXPECT_EQ(TryParseInteger(c.text, value), c.ok) << c.text;
        EXPECT_EQ(value, c.ok ? c.value : -99) << c.text;
    }
}

} // namespace
