// Japanese code detection and conversion on byte strings (Shift-JIS,
// EUC-JP, ISO-2022-JP).
#include "reporting/jconvert.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr unsigned char kEsc = 0x1B;
const char* const kEnterJisX0208 = "\x1B$B";
const char* const kEnterJisRoman = "\x1B(J";
// 〓 (geta) stands in for a character ISO-2022-JP and JIS X 0208 cannot carry.
constexpr unsigned kGetaJis = 0x222E;
const char* const kGetaShiftJis = "\x81\xAC";

bool In(unsigned c, unsigned low, unsigned high)
{
    return c >= low && c <= high;
}

unsigned ByteAt(const std::string& text, size_t i)
{
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
}

// --- Detection -------------------------------------------------------------

constexpr int kNoDecision = -1;

// After a half-width katakana followed by E0..EF: look further, up to the
// next byte of 0x3F or below, for a byte only one of the two codes uses.
int DecideByFollowingBytes(const std::string& text, size_t from)
{
    for (size_t j = from; j < text.size() && ByteAt(text, j) > 0x3F; ++j) {
        const unsigned c = ByteAt(text, j);
        if (In(c, 0x81, 0x8D) || In(c, 0x8F, 0x9C))
            return kCodeShiftJis;
        if (In(c, 0xFD, 0xFE))
            return kCodeEucJp;
    }
    return kCodeEucOrShiftJis;
}

int DecideHalfWidthLead(const std::string& text, size_t i, unsigned next)
{
    if (In(next, 0xF0, 0xFE))
        return kCodeEucJp;
    if (In(next, 0xA1, 0xDF))
        return kCodeEucOrShiftJis;
    if (In(next, 0xE0, 0xEF))
        return DecideByFollowingBytes(text, i + 2);
    if (next <= 0x9F)
        return kCodeShiftJis;
    return kNoDecision;
}

// Decision for the pair of bytes starting with a byte of 0x80 or above.
int DecidePair(const std::string& text, size_t i)
{
    const unsigned c = ByteAt(text, i);
    const unsigned next = ByteAt(text, i + 1);
    if (In(c, 0x81, 0x8D) || In(c, 0x8F, 0x9F))
        return kCodeShiftJis;
    if (c == 0x8E) {
        if (In(next, 0x40, 0x7E) || In(next, 0x80, 0xA0) || In(next, 0xE0, 0xFC))
            return kCodeShiftJis;
        return In(next, 0xA1, 0xDF) ? kCodeEucOrShiftJis : kNoDecision;
    }
    if (In(c, 0xF0, 0xFE))
        return kCodeEucJp;
    if (In(c, 0xE0, 0xEF)) {
        if (In(next, 0x40, 0x7E) || In(next, 0x80, 0xA0))
            return kCodeShiftJis;
        if (In(next, 0xFD, 0xFE))
            return kCodeEucJp;
        return In(next, 0xA1, 0xFC) ? kCodeEucOrShiftJis : kNoDecision;
    }
    if (In(c, 0xA1, 0xDF))
        return DecideHalfWidthLead(text, i, next);
    return kNoDecision;
}

int DecideEscape(const std::string& text, size_t i)
{
    if (ByteAt(text, i + 1) != 0x24)
        return kNoDecision;
    if (ByteAt(text, i + 2) == 0x42)
        return kCodeIso2022Jp;
    if (ByteAt(text, i + 2) == 0x40)
        return kCodeOldJis;
    return kNoDecision;
}

bool IsBinaryByte(unsigned c)
{
    return c <= 0x07 || c == 0xFF;
}

// --- Character arithmetic --------------------------------------------------

bool IsShiftJisLead(unsigned c)
{
    return In(c, 0x81, 0x9F) || In(c, 0xE0, 0xFC);
}

bool IsShiftJisTrail(unsigned c)
{
    return In(c, 0x40, 0x7E) || In(c, 0x80, 0xFC);
}

bool IsJisByte(unsigned c)
{
    return In(c, 0x21, 0x7E);
}

unsigned ShiftJisToJis(unsigned lead, unsigned trail)
{
    unsigned row = (lead - (lead <= 0x9F ? 0x70 : 0xB0)) * 2;
    unsigned cell;
    if (trail < 0x9F) {
        row -= 1;
        cell = trail - 0x1F - (trail > 0x7F ? 1 : 0);
    } else {
        cell = trail - 0x7E;
    }
    // User-defined and vendor rows fall outside JIS X 0208.
    return IsJisByte(row) && IsJisByte(cell) ? (row << 8 | cell) : kGetaJis;
}

void AppendJisAsShiftJis(unsigned row, unsigned cell, std::string& out)
{
    const unsigned lead = ((row + 1) >> 1) + (row <= 0x5E ? 0x70 : 0xB0);
    const unsigned trail = (row & 1) ? cell + (cell <= 0x5F ? 0x1F : 0x20) : cell + 0x7E;
    out += static_cast<char>(lead);
    out += static_cast<char>(trail);
}

// JIS X 0208 codes of the half-width katakana 0xA1..0xDF.
constexpr std::uint16_t kFullWidthKana[] = {
    0x2123, 0x2156, 0x2157, 0x2122, 0x2126, 0x2572, 0x2521, 0x2523, 0x2525, 0x2527, 0x2529, // ｡｢｣､･ｦｧｨｩｪｫ
    0x2563, 0x2565, 0x2567, 0x2543, 0x213C, 0x2522, 0x2524, 0x2526, 0x2528, 0x252A, 0x252B, // ｬｭｮｯｰｱｲｳｴｵｶ
    0x252D, 0x252F, 0x2531, 0x2533, 0x2535, 0x2537, 0x2539, 0x253B, 0x253D, 0x253F, 0x2541, // ｷｸｹｺｻｼｽｾｿﾀﾁ
    0x2544, 0x2546, 0x2548, 0x254A, 0x254B, 0x254C, 0x254D, 0x254E, 0x254F, 0x2552, 0x2555, // ﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌ
    0x2558, 0x255B, 0x255E, 0x255F, 0x2560, 0x2561, 0x2562, 0x2564, 0x2566, 0x2568, 0x2569, // ﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗ
    0x256A, 0x256B, 0x256C, 0x256D, 0x256F, 0x2573, 0x212B, 0x212C,                         // ﾘﾙﾚﾛﾜﾝﾞﾟ
};
constexpr unsigned kVoicedMark = 0xDE;
constexpr unsigned kSemiVoicedMark = 0xDF;
constexpr unsigned kJisVu = 0x2574;

// Full-width code of a half-width katakana; a following (semi-)voiced mark
// is merged where a combined character exists. `merged` tells whether it was.
unsigned HalfWidthKanaToJis(unsigned kana, unsigned mark, bool& merged)
{
    const unsigned base = kFullWidthKana[kana - 0xA1];
    merged = true;
    if (mark == kVoicedMark && kana == 0xB3)
        return kJisVu;
    if (mark == kVoicedMark && (In(kana, 0xB6, 0xC4) || In(kana, 0xCA, 0xCE)))
        return base + 1;
    if (mark == kSemiVoicedMark && In(kana, 0xCA, 0xCE))
        return base + 2;
    merged = false;
    return base;
}

// Writes ISO-2022-JP: double-byte runs between ESC $ B and ESC ( J.
class JisWriter {
public:
    void Single(unsigned c)
    {
        if (inRun_) {
            out_ += kEnterJisRoman;
            inRun_ = false;
        }
        out_ += static_cast<char>(c);
    }
    void Double(unsigned code)
    {
        if (!inRun_) {
            out_ += kEnterJisX0208;
            inRun_ = true;
        }
        out_ += static_cast<char>(code >> 8);
        out_ += static_cast<char>(code & 0xFF);
    }
    std::string Finish()
    {
        if (inRun_)
            out_ += kEnterJisRoman;
        inRun_ = false;
        return std::move(out_);
    }

private:
    std::string out_;
    bool inRun_ = false;
};

// --- Conversions -----------------------------------------------------------

std::string EucJpToIso2022Jp(const std::string& euc)
{
    JisWriter writer;
    size_t i = 0;
    while (i < euc.size()) {
        const unsigned c = ByteAt(euc, i);
        const bool hasNext = i + 1 < euc.size();
        if (c == 0x8E && hasNext && In(ByteAt(euc, i + 1), 0xA1, 0xDF)) {
            const unsigned mark = ByteAt(euc, i + 2) == 0x8E ? ByteAt(euc, i + 3) : 0;
            bool merged = false;
            writer.Double(HalfWidthKanaToJis(ByteAt(euc, i + 1), mark, merged));
            i += merged ? 4 : 2;
        } else if (c == 0x8F && i + 2 < euc.size()) {
            writer.Double(kGetaJis); // JIS X 0212 has no place in ISO-2022-JP
            i += 3;
        } else if (In(c, 0xA1, 0xFE) && hasNext) {
            writer.Double((c & 0x7F) << 8 | (ByteAt(euc, i + 1) & 0x7F));
            i += 2;
        } else {
            writer.Single(c);
            ++i;
        }
    }
    return writer.Finish();
}

std::string Iso2022JpToShiftJis(const std::string& jis)
{
    enum class Mode { Single, Double, Katakana } mode = Mode::Single;
    std::string out;
    size_t i = 0;
    while (i < jis.size()) {
        const unsigned c = ByteAt(jis, i);
        const unsigned next = ByteAt(jis, i + 1);
        if (c == kEsc && (next == 0x24 || next == 0x28) && i + 2 < jis.size()) {
            if (next == 0x24)
                mode = Mode::Double;
            else
                mode = ByteAt(jis, i + 2) == 'I' ? Mode::Katakana : Mode::Single;
            i += 3;
        } else if (mode == Mode::Double && IsJisByte(c) && IsJisByte(next) && i + 1 < jis.size()) {
            AppendJisAsShiftJis(c, next, out);
            i += 2;
        } else {
            out += static_cast<char>(mode == Mode::Katakana && In(c, 0x21, 0x5F) ? c | 0x80 : c);
            ++i;
        }
    }
    return out;
}

std::string EucJpToShiftJis(const std::string& euc)
{
    std::string out;
    size_t i = 0;
    while (i < euc.size()) {
        const unsigned c = ByteAt(euc, i);
        const bool hasNext = i + 1 < euc.size();
        if (c < 0x80 || c == 0x80 || c == 0xFF || !hasNext) {
            out += static_cast<char>(c);
            ++i;
        } else if (c == 0x8E) {
            out += euc[i + 1];
            i += 2;
        } else if (c == 0x8F) {
            out += kGetaShiftJis;
            i += 3;
        } else {
            AppendJisAsShiftJis(c & 0x7F, ByteAt(euc, i + 1) & 0x7F, out);
            i += 2;
        }
    }
    return out;
}

} // namespace

int DetectJapaneseCode(const std::string& text)
{
    const size_t head = std::min<size_t>(text.size(), 512);
    for (size_t i = 0; i < head; ++i)
        if (IsBinaryByte(ByteAt(text, i)))
            return kCodeBinary;

    int code = kCodeAscii;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned c = ByteAt(text, i);
        int decision = kNoDecision;
        size_t step = 1;
        if (IsBinaryByte(c))
            decision = kCodeBinary;
        else if (c == kEsc)
            decision = DecideEscape(text, i);
        else if (c >= 0x80) {
            decision = DecidePair(text, i);
            step = 2;
        }
        if (decision == kCodeEucOrShiftJis)
            code = decision;
        else if (decision != kNoDecision)
            return decision;
        i += step;
    }
    return code;
}

std::string ShiftJisToIso2022Jp(const std::string& sjis)
{
    JisWriter writer;
    size_t i = 0;
    while (i < sjis.size()) {
        const unsigned c = ByteAt(sjis, i);
        if (IsShiftJisLead(c) && i + 1 < sjis.size() && IsShiftJisTrail(ByteAt(sjis, i + 1))) {
            writer.Double(ShiftJisToJis(c, ByteAt(sjis, i + 1)));
            i += 2;
        } else if (In(c, 0xA1, 0xDF)) {
            bool merged = false;
            writer.Double(HalfWidthKanaToJis(c, ByteAt(sjis, i + 1), merged));
            i += merged ? 2 : 1;
        } else {
            writer.Single(c);
            ++i;
        }
    }
    return writer.Finish();
}

std::string ConvertJapaneseCode(const std::string& text, int targetCode)
{
    const int code = DetectJapaneseCode(text);
    const bool isJis = code == kCodeIso2022Jp || code == kCodeOldJis;
    if (targetCode == kCodeIso2022Jp && code == kCodeShiftJis)
        return ShiftJisToIso2022Jp(text);
    if (targetCode == kCodeIso2022Jp && code == kCodeEucJp)
        return EucJpToIso2022Jp(text);
    if (targetCode == kCodeShiftJis && isJis)
        return Iso2022JpToShiftJis(text);
    if (targetCode == kCodeShiftJis && code == kCodeEucJp)
        return EucJpToShiftJis(text);
    // ASCII, binary, undecided, already in the target, or a pair not converted.
    return text;
}
