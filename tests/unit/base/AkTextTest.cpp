#include "base/AkUnit.h"

#include <gtest/gtest.h>

namespace {

using Items = std::vector<std::string>;

TEST(AkText, Cutting)
{
    struct Case {
        const char* what;
        std::string got;
        std::string expected;
    } cases[] = {
        {"between: too short", TextBetween("ab", "a", "b"), ""},
        {"between: value", TextBetween("x=1;y", "=", ";"), "1"},
        {"between: no start", TextBetween("abc", "z", "c"), "abc"},
        {"between: start ends the text", TextBetween("k=v;", ";", "="), ""},
        {"between: end only before start", TextBetween("b=1;a=2", "a", "b"), "=2"},
        {"between: end missing", TextBetween("<b>bold", "<b>", "</b>"), "bold"},
        {"between: first start wins", TextBetween("[1][2]", "[", "]"), "1"},
        {"between: empty start never occurs", TextBetween("abc", "", "b"), "abc"},
        {"after: at end", TextAfter("abc", "c"), ""},
        {"after: missing", TextAfter("abc", "z"), "abc"},
        {"after: first occurrence", TextAfter("a=b=c", "="), "b=c"},
        {"after: empty part", TextAfter("abc", ""), "abc"},
        {"before: missing", TextBefore("abc", "z"), ""},
        {"before: first occurrence", TextBefore("a=b=c", "="), "a"},
        {"before: empty part", TextBefore("abc", ""), ""},
        {"before: multibyte", TextBefore("口座残高：100円", "："), "口座残高"},
        {"replace: no rescan", ReplaceAll("aaa", "aa", "a"), "aa"},
        {"replace: growing", ReplaceAll("a.b.c", ".", ".."), "a..b..c"},
        {"replace: to empty", ReplaceAll("1,234,567", ",", ""), "1234567"},
        {"replace: empty find", ReplaceAll("abc", "", "x"), "abc"},
        {"quote", QuoteArg("/opt/p g"), "\"/opt/p g\" "},
        {"trim controls", Trim("\t\r\n a b \x01"), "a b"},
        {"trim keeps ideographic space", Trim("\u3000a"), "\u3000a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST(AkText, Splitting)
{
    struct Case {
        const char* what;
        Items got;
        Items expected;
    } cases[] = {
        {"trimmed pieces and empty rest", SplitTrimmed(" a , b ,", ","), {"a", "b", ""}},
        {"short text is one item", SplitTrimmed(" a", ","), {"a"}},
        {"short text with separator", SplitTrimmed("a,", ","), {"a,"}},
        {"two-byte separator", SplitTrimmed("x<>y<> z", "<>"), {"x", "y", "z"}},
        {"no separator found", SplitTrimmed(" abc ", ";"), {"abc"}},
        {"array: empty", SplitToArray(""), {}},
        {"array: commas and blanks", SplitToArray("a,b c"), {"a", "b", "c"}},
        {"array: quotes group", SplitToArray("\"a b\",c"), {"a b", "c"}},
        {"array: doubled quote", SplitToArray("\"say \"\"hi\"\"\""), {"say \"hi\""}},
        {"array: empty item between commas", SplitToArray("a,,b"), {"a", "", "b"}},
        {"array: blanks around commas", SplitToArray(" a , b "), {"a", "b"}},
        {"array: with separator", SplitToArray("USDJPY; EURJPY ;", ";"), {"USDJPY", "EURJPY", ""}},
        {"lines: all line ends", SplitLines("a\r\nb\rc\nd"), {"a", "b", "c", "d"}},
        {"lines: final end adds nothing", SplitLines("a\r\n"), {"a"}},
        {"lines: empty lines kept", SplitLines("a\n\nb\r\n\r\n"), {"a", "", "b", ""}},
        {"lines: LF CR is two ends", SplitLines("a\n\rb"), {"a", "", "b"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST(AkText, CaseInsensitiveHelpers)
{
    EXPECT_TRUE(ContainsNoCase("Connection ERROR 5", "error"));
    EXPECT_FALSE(ContainsNoCase("abc", ""));
    EXPECT_FALSE(ContainsNoCase("abc", "abcd"));
    EXPECT_TRUE(EqualsNoCase("jpy", "JPY"));
    EXPECT_FALSE(EqualsNoCase("JPY", "JPYX"));
    EXPECT_EQ(ToUpperAscii("usdJpy円"), "USDJPY円");
    EXPECT_EQ(ToLowerAscii("USD円"), "usd円");
}

} // namespace
