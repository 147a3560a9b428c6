#include "base/TextCodec.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace {

// One conversion descriptor for the life of a call.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as possible; returns the errno that stopped it (0 = all done).
    // `in`/`left` advance past what was consumed.
    int Run(const char*& in, size_t& left, std::string& out)
    {
        char buffer[4096];
        while (left > 0) {
            char* inPtr = const_cast<char*>(in);
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t rc = iconv(cd_, &inPtr, &left, &outPtr, &outLeft);
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            in = inPtr;
            if (rc == static_cast<size_t>(-1) && errno != E2BIG)
                return errno;
        }
        return 0;
    }

private:
    iconv_t cd_;
};

// Length of the UTF-8 sequence starting at `p` (at least 1, at most `left`).
size_t Utf8SequenceLength(const unsigned char* p, size_t left)
{
    size_t length = 1;
    if (p[0] >= 0xF0)
        length = 4;
    else if (p[0] >= 0xE0)
        length = 3;
    else if (p[0] >= 0xC0)
        length = 2;
    size_t valid = 1;
    while (valid < length && valid < left && (p[valid] & 0xC0) == 0x80)
        ++valid;
    return valid;
}

size_t OneByte(const unsigned char*, size_t)
{
    return 1;
}

// Converts all of `text`; each stretch the converter rejects (as long as
// `rejected` says) is replaced by `standIn`.
std::string ConvertReplacing(const char* to, const char* from, const std::string& text, const char* standIn,
                             size_t (*rejected)(const unsigned char*, size_t))
{
    Converter converter(to, from);
    std::string out;
    const char* in = text.data();
    size_t left = text.size();
    while (left > 0) {
        if (converter.Run(in, left, out) == 0)
            break;
        const size_t skip = rejected(reinterpret_cast<const unsigned char*>(in), left);
        out += standIn;
        in += skip;
        left -= skip;
    }
    return out;
}

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

} // namespace

bool IsValidUtf8(const std::string& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t length;
        unsigned int code;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + length > n)
            return false;
        for (size_t k = 1; k < length; ++k) {
            if (!IsContinuation(p[i + k]))
                return false;
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
        const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
        if (overlong || surrogate || code > 0x10FFFF)
            return false;
        i += length;
    }
    return true;
}

std::string Utf8ToCp932(const std::string& utf8)
{
    // Unrepresentable or broken character: one "?" in its place, go on.
    return ConvertReplacing("CP932", "UTF-8", utf8, "?", Utf8SequenceLength);
}

std::string Cp932ToUtf8(const std::string& cp932)
{
    return ConvertReplacing("UTF-8", "CP932", cp932, "\xEF\xBF\xBD", OneByte);
}

std::string DecodeExternalText(const std::string& bytes)
{
    return IsValidUtf8(bytes) ? bytes : Cp932ToUtf8(bytes);
}

bool IsCp932Representable(const std::string& utf8)
{
    if (!IsValidUtf8(utf8))
        return false;
    Converter converter("CP932", "UTF-8");
    std::string out;
    const char* in = utf8.data();
    size_t left = utf8.size();
    return converter.Run(in, left, out) == 0;
}
