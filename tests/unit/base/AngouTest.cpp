#include "base/Angou.h"

#include "base/TextCodec.h"

#include <gtest/gtest.h>
#include <set>

namespace {

// A random source that answers by range: a fixed divisor, letter and class
// position, so every branch of the expansion can be reached on purpose.
struct Picks {
    int divisor = 1;   // range 1..7
    int letter = 'a';  // range 'a'..'z'
    bool highEnd = false; // class characters: the last of their range, else the first
};

AngouRandom Pinned(const Picks& picks, long long* calls = nullptr)
{
    return [picks, calls](int low, int high) {
        if (calls)
            ++*calls;
        if (low == 1 && high == 7)
            return picks.divisor;
        if (low == 'a' && high == 'z')
            return picks.letter;
        return picks.highEnd ? high : low;
    };
}

std::string AllBytes()
{
    std::string bytes;
    for (int v = 0; v < 256; ++v)
        bytes += static_cast<char>(v);
    return bytes;
}

bool IsPrintableAscii(const std::string& text)
{
    for (unsigned char c : text)
        if (c < 32 || c > 126)
            return false;
    return true;
}

TEST(Angou, EveryByteWithEveryDivisorAndClassDecodesBack)
{
    for (int v = 0; v < 256; ++v)
        for (int d = 1; d <= 7; ++d)
            for (bool highEnd : {false, true}) {
                const std::string plain(1, static_cast<char>(v));
                const std::string scrambled = AngouEncode(plain, Pinned({d, 'a', highEnd}));
                ASSERT_EQ(scrambled.size(), 8u);
                ASSERT_EQ(AngouDecode(scrambled), plain) << "byte " << v << " divisor " << d;
                EXPECT_EQ(scrambled[4], '0' + d);
                if (v / d + 48 < 127)
                    EXPECT_EQ(scrambled[5], static_cast<char>(v / d + 48));
                else
                    EXPECT_EQ(scrambled[5], static_cast<char>(v / d));
                EXPECT_EQ(scrambled[6], static_cast<char>(v % d + 48));
            }
}

TEST(Angou, RandomEncodingsRoundTripAndAreEightTimesLonger)
{
    const std::string texts[] = {
        AllBytes(),
        Utf8ToCp932("外為オンライン ｶﾞｲﾀﾒ ソ表能"), // second bytes 0x5C and 0x7E included
        "p@ss<w>rd",
        "x",
    };
    for (const auto& plain : texts) {
        std::set<std::string> seen;
        for (int round = 0; round < 20; ++round) {
            const std::string scrambled = AngouEncode(plain);
            ASSERT_EQ(scrambled.size(), 8 * plain.size());
            ASSERT_EQ(AngouDecode(scrambled), plain);
            seen.insert(scrambled);
        }
        EXPECT_GT(seen.size(), 1u) << "the random choices must vary";
    }
}

TEST(Angou, PrintableTextStaysPrintable)
{
    std::string printable;
    for (int c = 32; c <= 126; ++c)
        printable += static_cast<char>(c);
    for (int round = 0; round < 50; ++round)
        EXPECT_TRUE(IsPrintableAscii(AngouEncode(printable)));
}

TEST(Angou, EmptyStaysEmpty)
{
    EXPECT_EQ(AngouEncode(""), "");
    EXPECT_EQ(AngouDecode(""), "");
    EXPECT_EQ(AngouEncodeText(""), "");
}

TEST(Angou, CandidateWithBothAngleBracketsIsDrawnAgain)
{
    // Letter 'b' with divisor 7 gives '>', byte 'T' (84) with divisor 7 gives '<'.
    int divisorPicks = 0;
    const AngouRandom sevenThenOne = [&](int low, int high) {
        if (low == 1 && high == 7)
            return ++divisorPicks <= 2 ? 7 : 1;
        return low == 'a' ? static_cast<int>('b') : low;
    };
    const std::string scrambled = AngouEncode("T", sevenThenOne);
    EXPECT_EQ(divisorPicks, 4) << "exactly one rejected candidate";
    EXPECT_EQ(scrambled.find('<'), std::string::npos);
    EXPECT_EQ(AngouDecode(scrambled), "T");

    const AngouRandom sevenOnly = [](int low, int high) {
        return (low == 1 && high == 7) ? 7 : (low == 'a' ? static_cast<int>('b') : low);
    };
    const std::string kept = AngouEncode("T", sevenOnly);
    EXPECT_NE(kept.find('<'), std::string::npos);
    EXPECT_NE(kept.find('>'), std::string::npos);
    EXPECT_EQ(AngouDecode(kept), "T") << "the last candidate is kept when all hold both";
}

TEST(Angou, RetriesAreBounded)
{
    struct Case {
        std::string plain;
        long long candidates;
    } cases[] = {{"T", 1000001}, {"TT", 500000}, {std::string(1000, 'T'), 1000}};
    for (const auto& c : cases) {
        long long calls = 0;
        const std::string kept = AngouEncode(c.plain, Pinned({7, 'b', false}, &calls));
        // Five picks per plain byte: letter, two divisors, two classes.
        EXPECT_EQ(calls, c.candidates * 5 * static_cast<long long>(c.plain.size())) << c.plain.size();
        EXPECT_EQ(AngouDecode(kept), c.plain);
    }
}

std::string Group(char d, char q, char r, char cls)
{
    return {d, q, r, cls};
}

TEST(Angou, DecodeReadsEveryClassAndIgnoresLeftovers)
{
    const std::string filler = Group('1', 'A', '0', 'A');
    struct Case {
        const char* what;
        std::string scrambled;
        std::string plain;
    } cases[] = {
        {"low quotient", filler + Group('3', 'B', '1', 'A'), "\x37"},           // 3*18+1
        {"high quotient", filler + Group('1', 'x', '0', '5'), "x"},
        {"high remainder", filler + Group('2', '0', 'A', 'b'), "A"},            // 2*0+65
        {"both high", filler + Group('1', 'A', 'B', 'q'), "\x83"},              // 65+66
        {"unknown class keeps flags", Group('1', 'A', '0', 'q') + Group('1', 'A', 'B', '#'), "\x83"},
        {"unknown class at start", filler + Group('1', 'A', '0', '#'), "\x11"},
        {"negative divisor wraps", filler + Group('/', '1', '0', 'A'), "\xFF"},
        {"incomplete group ignored", filler + Group('1', 'A', '0', 'A') + "1A0", "\x11"},
        {"odd collapsed count drops last", filler + Group('1', 'A', '0', 'A') + filler, "\x11"},
        {"only one group", filler, ""},
        {"only leftovers", "1A0", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AngouDecode(c.scrambled), c.plain) << c.what;
}

TEST(Angou, TextFormsScrambleTheCp932Bytes)
{
    for (const std::string text : {"パスワード", "abc123", "ｶﾅ"}) {
        const std::string scrambled = AngouEncodeText(text);
        EXPECT_EQ(scrambled.size(), 8 * Utf8ToCp932(text).size());
        EXPECT_EQ(AngouDecode(scrambled), Utf8ToCp932(text));
        EXPECT_EQ(AngouDecodeText(scrambled), text);
    }
}

} // namespace
