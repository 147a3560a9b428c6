#include "base/Clock.h"
#include "base/TextCodec.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

namespace {

using testsupport::MakeDateTime;

TEST(Clock, DayCountMatchesTheSerialDateOfTheLogs)
{
    struct Case {
        DateTime time;
        double days;
    } cases[] = {
        {MakeDateTime(1899, 12, 30), 0.0},
        {MakeDateTime(1900, 1, 1), 2.0},
        {MakeDateTime(2010, 1, 5, 12), 40183.5},
        {MakeDateTime(2010, 1, 5, 6), 40183.25},
        {MakeDateTime(2000, 2, 29, 18), 36585.75},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(ToDayCount(c.time), c.days) << FormatTimeStamp(c.time);
        const DateTime back = FromDayCount(c.days);
        EXPECT_EQ(FormatTimeStamp(back), FormatTimeStamp(c.time));
        EXPECT_EQ(back.dayOfWeek, WeekdayOf(c.time));
    }
}

TEST(Clock, FromDayCountRoundsToTheMillisecond)
{
    const DateTime t = MakeDateTime(2010, 12, 31, 23, 59, 59, 999);
    const DateTime back = FromDayCount(ToDayCount(t));
    EXPECT_EQ(FormatTimeStamp(back), "2010/12/31 23:59:59");
    EXPECT_EQ(back.millisecond, 999);
}

TEST(Clock, AddDaysCrossesMonthsYearsAndLeapDays)
{
    EXPECT_EQ(FormatShortDate(AddDays(MakeDateTime(2010, 1, 31), 1)), "2010/02/01");
    EXPECT_EQ(FormatShortDate(AddDays(MakeDateTime(2012, 2, 28), 1)), "2012/02/29");
    EXPECT_EQ(FormatShortDate(AddDays(MakeDateTime(2011, 1, 1), -1)), "2010/12/31");
    EXPECT_EQ(AddDays(MakeDateTime(2010, 1, 5), 0).dayOfWeek, 2); // a Tuesday
}

TEST(Clock, TimeStampHasNoLeadingZeroHour)
{
    EXPECT_EQ(FormatTimeStamp(MakeDateTime(2010, 1, 5, 7, 3, 21)), "2010/01/05 7:03:21");
    EXPECT_EQ(FormatTimeStamp(MakeDateTime(2010, 11, 25, 23, 0, 0)), "2010/11/25 23:00:00");
}

TEST(Clock, InjectedSourceDrivesLocalAndUtcTime)
{
    setenv("TZ", "JST-9", 1);
    tzset();
    SetClockSource([] { return std::chrono::system_clock::from_time_t(1262728800); }); // 2010-01-05 22:00 UTC
    EXPECT_EQ(FormatTimeStamp(NowUtc()), "2010/01/05 22:00:00");
    EXPECT_EQ(FormatTimeStamp(Now()), "2010/01/06 7:00:00");
    EXPECT_EQ(Now().dayOfWeek, 3);
    EXPECT_EQ(FromLocal(Now()), NowPoint());
    SetClockSource({});
    setenv("TZ", "UTC", 1);
    tzset();
}

TEST(TextCodec, Cp932RoundTripOfJapaneseText)
{
    const std::string texts[] = {
        "自動売買を実行します", "■ ｶﾞｲﾀﾒ 外為オンライン ～ [重要]", "ソ表能", "plain ascii", "",
    };
    for (const auto& text : texts) {
        const std::string cp932 = Utf8ToCp932(text);
        EXPECT_EQ(Cp932ToUtf8(cp932), text);
        EXPECT_TRUE(IsCp932Representable(text)) << text;
    }
    // Known bytes: "あ" is 82 A0, the ideographic space 81 40, half-width "ｱ" B1.
    EXPECT_EQ(Utf8ToCp932("あ\u3000ｱ"), "\x82\xA0\x81\x40\xB1");
}

TEST(TextCodec, UnrepresentableCharactersBecomeQuestionMarks)
{
    struct Case {
        std::string utf8;
        std::string cp932;
    } cases[] = {
        {"a\xF0\x9F\x98\x80" "b", "a?b"},      // emoji
        {"x\xC3\xA9y", "x?y"},                  // é has no CP932 form
        {"\xE2\x82\xAC" "1", "?1"},             // euro sign
        {"broken\xFF" "end", "broken?end"},     // not UTF-8 at all
        {"cut\xE3\x81", "cut?"},                // truncated sequence
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.utf8;
    EXPECT_FALSE(IsCp932Representable("a\xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsCp932Representable("\xC3\xA9"));
}

TEST(TextCodec, ExternalBytesAreUtf8WhenValidElseCp932)
{
    EXPECT_EQ(DecodeExternalText("日本"), "日本");
    EXPECT_EQ(DecodeExternalText("\x93\xFA\x96\x7B"), "日本");
    EXPECT_EQ(Cp932ToUtf8("a\x80" "b"), "a\xEF\xBF\xBD" "b");
}

TEST(TextCodec, Utf8Validation)
{
    struct Case {
        const char* bytes;
        bool valid;
    } cases[] = {
        {"", true},           {"abc", true},          {"\xE3\x81\x82", true},    {"\xF0\x9F\x98\x80", true},
        {"\xC0\xAF", false},  {"\xE0\x80\xAF", false}, {"\xED\xA0\x80", false}, {"\xF4\x90\x80\x80", false},
        {"\x82\xA0", false},  {"\xE3\x81", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes;
}

} // namespace
