#include "documents/XmlEncoding.h"

#include "base/AkUnit.h"
#include "base/TextCodec.h"

#include <iconv.h>

#include <array>
#include <cerrno>

namespace {

const std::string kUtf8Bom = "\xEF\xBB\xBF";

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsCp932Name(const std::string& name)
{
    static const std::array<const char*, 8> names = {"shift_jis", "shift-jis", "sjis", "x-sjis",
                                                     "windows-31j", "cp932", "ms_kanji", "csshiftjis"};
    for (const char* candidate : names)
        if (EqualsNoCase(name, candidate)) return true;
    return false;
}

bool IsUtf8Name(const std::string& name)
{
    return EqualsNoCase(name, "utf-8") || EqualsNoCase(name, "utf8");
}

bool IconvToUtf8(const std::string& bytes, const std::string& from, std::string& utf8, std::string& error)
{
    iconv_t cd = iconv_open("UTF-8", from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        error = "unsupported encoding " + from;
        return false;
    }
    std::string out;
    std::string input = bytes;
    char* in = input.data();
    size_t inLeft = input.size();
    std::array<char, 4096> buffer{};
    bool ok = true;
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    if (!ok) {
        error = "bytes are not valid " + from;
        return false;
    }
    utf8 = out;
    return true;
}

} // namespace

std::string DeclaredXmlEncoding(const std::string& bytes)
{
    std::string head = StartsWith(bytes, kUtf8Bom) ? bytes.substr(kUtf8Bom.size()) : bytes;
    if (!StartsWith(head, "<?xml")) return {};
    std::string declaration = head.substr(0, head.find("?>"));
    size_t key = declaration.find("encoding");
    if (key == std::string::npos) return {};
    size_t quote = declaration.find_first_of("\"'", key);
    if (quote == std::string::npos) return {};
    size_t end = declaration.find(declaration[quote], quote + 1);
    if (end == std::string::npos) return {};
    return declaration.substr(quote + 1, end - quote - 1);
}

bool DecodeXmlBytes(const std::string& bytes, std::string& utf8, std::string& error)
{
    if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF"))
        return IconvToUtf8(bytes, "UTF-16", utf8, error);
    const bool hasBom = StartsWith(bytes, kUtf8Bom);
    const std::string body = hasBom ? bytes.substr(kUtf8Bom.size()) : bytes;
    const std::string declared = DeclaredXmlEncoding(bytes);
    if (hasBom || IsUtf8Name(declared)) {
        if (!IsValidUtf8(body)) {
            error = "bytes are not valid UTF-8";
            return false;
        }
        utf8 = body;
        return true;
    }
    if (IsCp932Name(declared)) {
        utf8 = Cp932ToUtf8(body);
        return true;
    }
    if (!declared.empty()) return IconvToUtf8(body, declared, utf8, error);
    utf8 = DecodeExternalText(body);
    return true;
}
