#include "reporting/jconvert.h"

#include "base/TextCodec.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <iconv.h>
#include <stdexcept>

namespace {

// glibc's converters are the independent peer that reads and writes the
// codes the same way a mail program does.
std::string Iconv(const std::string& bytes, const char* from, const char* to)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no converter");
    std::string out(bytes.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    const bool complete = rc != static_cast<size_t>(-1) && iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    if (!complete)
        throw std::runtime_error(std::string("iconv rejected the bytes from ") + from);
    out.resize(out.size() - outLeft);
    return out;
}

std::string ReadIso2022Jp(const std::string& bytes)
{
    return Iconv(bytes, "ISO-2022-JP", "UTF-8");
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
    return text;
}

// After ESC ( J the single bytes are JIS X 0201 Roman, where 0x5C reads as
// the yen sign and 0x7E as the overline; map them back to compare.
std::string UndoJisRoman(const std::string& utf8)
{
    return Replace(Replace(utf8, "\u00A5", "\\"), "\u203E", "~");
}

const std::string kEsc2022 = "\x1B$B";
const std::string kEscRoman = "\x1B(J";

TEST(JConvertDetect, Table)
{
    struct Case {
        const char* what;
        std::string bytes;
        int code;
    } cases[] = {
        {"empty", "", kCodeAscii},
        {"ascii", "Subject: hello\r\n", kCodeAscii},
        {"control byte in head", "abc\x07", kCodeBinary},
        {"0xFF in head", "abc\xFF", kCodeBinary},
        {"control byte after head", std::string(600, 'a') + "\x01", kCodeBinary},
        {"iso-2022-jp", "a\x1B$B$\"\x1B(B", kCodeIso2022Jp},
        {"old jis", "\x1B$@$\"\x1B(J", kCodeOldJis},
        {"lone escape", "\x1B(Bx", kCodeAscii},
        {"sjis lead 81-9F", "\x82\xA0", kCodeShiftJis},
        {"sjis lead at the end", "ab\x90", kCodeShiftJis},
        {"8E then sjis trail", "\x8E\x40", kCodeShiftJis},
        {"8E then kana: undecided", "\x8E\xB6", kCodeEucOrShiftJis},
        {"8E then 0xFD: no decision", "\x8E\xFD", kCodeAscii},
        {"F0-FE lead: euc", "\xF4\xA4", kCodeEucJp},
        {"E0-EF with low trail: sjis", "\xE0\x40", kCodeShiftJis},
        {"E0-EF with FD: euc", "\xE0\xFD", kCodeEucJp},
        {"E0-EF with A1-FC: undecided", "\xE0\xA1", kCodeEucOrShiftJis},
        {"kana then F0-FE: euc", "\xB6\xF0", kCodeEucJp},
        {"kana pair: undecided", "\xB6\xDE", kCodeEucOrShiftJis},
        {"kana then ascii: sjis", "\xB6" "a", kCodeShiftJis},
        {"kana at the end: sjis", "\xB6", kCodeShiftJis},
        {"kana then E0-EF then sjis-only byte", "\xB6\xE0\xA1\x81", kCodeShiftJis},
        {"kana then E0-EF then euc-only byte", "\xB6\xE0\xA1\xFD", kCodeEucJp},
        {"kana then E0-EF, look-ahead stops at ascii", "\xB6\xE0\xA1" "a\x81\x40", kCodeShiftJis},
        {"undecided pairs then a decision", "\xB3\xB0\xB3\xB0\x82\xA0", kCodeShiftJis},
        {"first decision wins", "\x82\xA0\xF4\xA4", kCodeShiftJis},
        {"0x80 lead is skipped as a pair", "\x80\xF4" "a", kCodeAscii},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectJapaneseCode(c.bytes), c.code) << c.what;
}

TEST(JConvertToIso2022Jp, ShiftJisReadsBackThroughIconv)
{
    const std::string texts[] = {
        "外為オンラインの残高は123万4567円です",
        "■ 自動売買を実行します\r\n[重要] 注文エラー\r\n",
        "USDJPY 買い 10枚 @ 91.23 (成行)",
        "表示 ソフト 髙", // second bytes 0x5C, a vendor character outside JIS X 0208
        "日本語\\path~and ascii after a run",
    };
    for (const auto& text : texts) {
        const std::string sjis = Utf8ToCp932(text);
        ASSERT_EQ(DetectJapaneseCode(sjis), kCodeShiftJis) << text;
        const std::string jis = ConvertJapaneseCode(sjis, kCodeIso2022Jp);
        for (unsigned char c : jis)
            ASSERT_LT(c, 0x80) << text;
        std::string expected = text;
        if (text.find("髙") != std::string::npos) // not in JIS X 0208
            expected = Replace(expected, "髙", "〓");
        EXPECT_EQ(UndoJisRoman(ReadIso2022Jp(jis)), expected);
        EXPECT_EQ(ShiftJisToIso2022Jp(sjis), jis);
    }
}

TEST(JConvertToIso2022Jp, VendorRowsFollowTheArithmetic)
{
    // CP932's full-width tilde is JIS 0x2141, which the standard reads as the
    // wave dash; NEC row 13 (①) keeps its row 0x2D as Windows mailers send it,
    // though glibc's strict decoder refuses that row.
    EXPECT_EQ(ReadIso2022Jp(ConvertJapaneseCode(Utf8ToCp932("日～"), kCodeIso2022Jp)), "日\u301C");
    EXPECT_EQ(ConvertJapaneseCode(Utf8ToCp932("日①"), kCodeIso2022Jp), kEsc2022 + "F|-!" + kEscRoman);
}

TEST(JConvertToIso2022Jp, RunsCloseWithJisRomanBeforeLineBreaksAndAtTheEnd)
{
    struct Case {
        const char* what;
        std::string utf8;
        std::string jis;
    } cases[] = {
        {"break inside a run", "あ\r\nい", kEsc2022 + "$\"" + kEscRoman + "\r\n" + kEsc2022 + "$$" + kEscRoman},
        {"lone LF", "あ\nい", kEsc2022 + "$\"" + kEscRoman + "\n" + kEsc2022 + "$$" + kEscRoman},
        {"ascii between runs", "あaい", kEsc2022 + "$\"" + kEscRoman + "a" + kEsc2022 + "$$" + kEscRoman},
        {"one run for neighbours", "ab日本", "ab" + kEsc2022 + "F|K\\" + kEscRoman},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertJapaneseCode(Utf8ToCp932(c.utf8), kCodeIso2022Jp), c.jis) << c.what;
}

TEST(JConvertToIso2022Jp, HalfWidthKatakanaBecomeFullWidth)
{
    struct Case {
        const char* halfWidth;
        const char* fullWidth;
    } cases[] = {
        {"｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ",
         "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜"},
        {"ｶﾞ", "ガ"},
        {"ｳﾞｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞ", "ヴガギグゲゴザジズゼゾダヂヅデド"},
        {"ﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ", "バビブベボパピプペポ"},
        {"ｱﾞﾏﾟｶﾟﾞ", "ア゛マ゜カ゜゛"}, // no combined form: the marks stay
        {"ﾃｽﾄ ﾒｰﾙ", "テスト\x1B(J ﾒｰﾙ"},
    };
    for (const auto& c : cases) {
        // A full-width character first makes the text decidedly Shift-JIS.
        const std::string sjis = Utf8ToCp932(std::string("件名") + c.halfWidth);
        const std::string jis = ConvertJapaneseCode(sjis, kCodeIso2022Jp);
        const std::string expected = std::string("件名") + c.fullWidth;
        if (expected.find('\x1B') == std::string::npos)
            EXPECT_EQ(ReadIso2022Jp(jis), expected) << c.halfWidth;
        else
            EXPECT_EQ(ReadIso2022Jp(jis), "件名テスト メール") << c.halfWidth;
    }
    // Detection alone cannot place a subject of half-width katakana only;
    // the direct conversion can.
    const std::string onlyKana = Utf8ToCp932("ｶﾞｲﾀ");
    EXPECT_EQ(ConvertJapaneseCode(onlyKana, kCodeIso2022Jp), onlyKana);
    EXPECT_EQ(ReadIso2022Jp(ShiftJisToIso2022Jp(onlyKana)), "ガイタ");
}

TEST(JConvertToIso2022Jp, EucJpReadsBackThroughIconv)
{
    // 瑤 (F4 A4) makes the bytes decidedly EUC-JP.
    const std::string texts[] = {"瑤 外為オンライン\r\n残高 123円", "瑤a日本b", "瑤\\~"};
    for (const auto& text : texts) {
        const std::string euc = Iconv(text, "UTF-8", "EUC-JP");
        ASSERT_EQ(DetectJapaneseCode(euc), kCodeEucJp) << text;
        EXPECT_EQ(UndoJisRoman(ReadIso2022Jp(ConvertJapaneseCode(euc, kCodeIso2022Jp))), text);
    }
    const std::string eucKana = Iconv("瑤ｶﾞﾎﾟｱ", "UTF-8", "EUC-JP"); // 8E B6 8E DE ...
    EXPECT_EQ(ReadIso2022Jp(ConvertJapaneseCode(eucKana, kCodeIso2022Jp)), "瑤ガポア");
}

TEST(JConvertToShiftJis, Iso2022JpAndEucJpGiveTheCp932Bytes)
{
    const std::string texts[] = {
        "外為オンライン\r\n残高は123万円です\r\n",
        "USDJPY 買い 10枚",
        "瑤 表示 ソフト 記号「」・ー",
        "ascii only part\r\nそして日本語",
    };
    for (const auto& text : texts) {
        const std::string sjis = Utf8ToCp932(text);
        const std::string jis = Iconv(text, "UTF-8", "ISO-2022-JP");
        EXPECT_EQ(ConvertJapaneseCode(jis, kCodeShiftJis), sjis) << text;
        const std::string euc = Iconv("瑤" + text, "UTF-8", "EUC-JP");
        EXPECT_EQ(ConvertJapaneseCode(euc, kCodeShiftJis), Utf8ToCp932("瑤" + text)) << text;
    }
    const std::string eucKana = Iconv("瑤ｶﾞｲﾀﾒ", "UTF-8", "EUC-JP");
    EXPECT_EQ(ConvertJapaneseCode(eucKana, kCodeShiftJis), Utf8ToCp932("瑤ｶﾞｲﾀﾒ"));
}

TEST(JConvertToShiftJis, EscapeVariants)
{
    struct Case {
        const char* what;
        std::string jis;
        std::string sjis;
    } cases[] = {
        {"old jis escape", "\x1B$@$\"\x1B(Jx", "\x82\xA0x"},
        {"ascii escape", "a\x1B$B$\"$$\x1B(Bb", "a\x82\xA0\x82\xA2" "b"},
        {"katakana set", "\x1B$B$\"\x1B(I6^\x1B(B", "\x82\xA0\xB6\xDE"},
        {"line break inside a run is copied", "\x1B$B$\"\r\n$$\x1B(B", "\x82\xA0\r\n\x82\xA2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertJapaneseCode(c.jis, kCodeShiftJis), c.sjis) << c.what;
}

TEST(JConvert, TextsThatAreLeftAlone)
{
    const std::string iso = Iconv("日本", "UTF-8", "ISO-2022-JP");
    struct Case {
        const char* what;
        std::string bytes;
        int target;
    } cases[] = {
        {"ascii to jis", "plain text\r\n", kCodeIso2022Jp},
        {"ascii to sjis", "plain text\r\n", kCodeShiftJis},
        {"binary", std::string("\x82\xA0\x01", 3), kCodeIso2022Jp},
        {"0xFF marks binary", "\x82\xA0\xFF", kCodeIso2022Jp},
        {"undecided", "\xB3\xB0\xA4\xA2", kCodeIso2022Jp},
        {"already iso-2022-jp", iso, kCodeIso2022Jp},
        {"old jis counts as iso-2022-jp", "\x1B$@$\"\x1B(J", kCodeIso2022Jp},
        {"already sjis", Utf8ToCp932("日本"), kCodeShiftJis},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertJapaneseCode(c.bytes, c.target), c.bytes) << c.what;
}

} // namespace
