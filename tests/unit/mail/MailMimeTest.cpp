// Outgoing mail as a mail client reads it: every message built here is
// parsed back with the program's own receiving side, header and body.

#include "app/MailMessage.h"
#include "reporting/MailMime.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

bool SevenBit(const std::string& text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// RFC 2047 and RFC 5322 limits: encoded words of at most 75 characters,
// header lines of at most 78.
void ExpectWithinLimits(const std::string& header)
{
    static const std::regex word(R"(=\?[^?]+\?B\?[^?]*\?=)");
    for (auto it = std::sregex_iterator(header.begin(), header.end(), word); it != std::sregex_iterator(); ++it)
        EXPECT_LE(it->length(), 75) << it->str();
    for (const std::string& line : SplitLines(header))
        EXPECT_LE(line.size(), 78u) << line;
}

TEST(MailHeaders, JapaneseTextBecomesValidEncodedWordsAndAsciiStaysAsItIs)
{
    std::string longSubject;
    for (int i = 0; i < 40; ++i)
        longSubject += "自動売買";
    struct Case {
        std::string text;
        bool utf8;
        std::string decoded;
    };
    const Case cases[] = {
        {"Pellago test report", false, "Pellago test report"},
        {"11月5日の自動売買ログ", false, "11月5日の自動売買ログ"},
        {"11月5日の自動売買ログ", true, "11月5日の自動売買ログ"},
        {longSubject, false, longSubject},
        {longSubject, true, longSubject},
        // Half-width katakana travel as their full-width JIS X 0208 forms.
        {"ｶﾞｲﾄﾞ通知", false, "ガイド通知"},
    };
    for (const Case& c : cases) {
        const std::string header = EncodeHeaderText(c.text, c.utf8);
        EXPECT_TRUE(SevenBit(header)) << c.text;
        ExpectWithinLimits("Subject: " + header);
        EXPECT_EQ(DecodeHeaderText(header), c.decoded) << header;
    }
    EXPECT_EQ(EncodeHeaderText("Pellago test report", false), "Pellago test report");
}

TEST(MailHeaders, SenderNamesAreWholeEncodedWordsOrQuotedWhenNeeded)
{
    // A name with any Japanese in it is encoded whole: no bare text runs into a word.
    const std::regex onlyWords(R"((=\?ISO-2022-JP\?B\?[A-Za-z0-9+/=]+\?=)(\r\n =\?ISO-2022-JP\?B\?[A-Za-z0-9+/=]+\?=)*)");
    struct Case {
        std::string name;
        std::string decoded;
        bool encoded;
    };
    const Case cases[] = {
        {"Pellago Report", "Pellago Report", false},
        {"Pellagoレポート", "Pellagoレポート", true},
        {"トレードシグナル", "トレードシグナル", true},
        {"ﾄﾚｰﾄﾞ Pellago", "トレード Pellago", true},
    };
    for (const Case& c : cases) {
        const std::string encoded = EncodeJisHeaderWord(c.name);
        EXPECT_EQ(std::regex_match(encoded, onlyWords), c.encoded) << encoded;
        EXPECT_EQ(DecodeHeaderText(encoded), c.decoded) << encoded;
    }
    // The default name is one word; an ASCII name with specials is quoted.
    EXPECT_EQ(EncodeJisHeaderWord("トレードシグナル").find(' '), std::string::npos);
    EXPECT_EQ(EncodeJisHeaderWord("Smith, John \"JJ\""), "\"Smith, John \\\"JJ\\\"\"");
}

TEST(MailMessageText, BodiesAndSubjectsComeBackWhateverTheEncoding)
{
    const std::string longLine(1200, 'a');
    struct Case {
        std::string body;
        bool utf8;
        std::string transferEncoding;
    };
    const Case cases[] = {
        {"■ 口座状況(総合)\r\n\r\n[評価資産] 123万4567円\r\n", false, "7bit"},
        {"改行\nだけの行\rも", false, "7bit"},
        // One line over 998 octets would make the mail unsendable as 7bit.
        {"長い行:" + longLine + "\r\n次の行\r\n", false, "base64"},
        {"■ 口座状況(総合)\r\n€ と ① も\r\n", true, "base64"},
    };
    for (const Case& c : cases) {
        TMailContent mail{"11月5日の自動売買ログ", c.body, "Pellagoレポート", "bot@example.test",
                          "a@example.test;b@example.test", c.utf8};
        const std::string raw = BuildMailMessage(mail, NowPoint());
        EXPECT_TRUE(SevenBit(raw));
        EXPECT_NE(raw.find("Content-Transfer-Encoding: " + c.transferEncoding + "\r\n"), std::string::npos) << raw;
        for (const std::string& line : SplitLines(raw))
            EXPECT_LE(line.size(), 998u);
        const ReceivedMail parsed = ParseReceivedMail(raw);
        EXPECT_EQ(parsed.subject, "11月5日の自動売買ログ");
        EXPECT_EQ(parsed.charset, c.utf8 ? "utf-8" : "iso-2022-jp");
        std::string expected;
        for (const std::string& line : SplitLines(c.body))
            expected += line + "\r\n";
        EXPECT_EQ(JapaneseBytesToUtf8(parsed.body), expected);
        EXPECT_NE(raw.find("\r\nTo: a@example.test, b@example.test\r\n"), std::string::npos);
    }
}

TEST(MailMessageText, RecipientFieldsAndDates)
{
    EXPECT_EQ(SplitRecipients(" a@x.test; b@y.test ,,c@z.test;"),
              (std::vector<std::string>{"a@x.test", "b@y.test", "c@z.test"}));

    const char* const savedZone = getenv("TZ");
    const std::string saved = savedZone ? savedZone : "";
    for (const auto& [zone, expected] : {std::pair<const char*, const char*>{"JST-9", "Tue, 5 Nov 2024 07:03:12 +0900"},
                                         {"EST5", "Tue, 5 Nov 2024 07:03:12 -0500"},
                                         {"IST-5:30", "Tue, 5 Nov 2024 07:03:12 +0530"}}) {
        setenv("TZ", zone, 1);
        tzset();
        EXPECT_EQ(MailDate(FromLocal(testsupport::MakeDateTime(2024, 11, 5, 7, 3, 12))), expected);
    }
    savedZone ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();
}

} // namespace
