#include "app/MailMessage.h"

#include "base/AkUnit.h"
#include "base/TextCodec.h"
#include "reporting/jconvert.h"

#include <map>
#include <vector>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Bytes in the named character set to UTF-8.
std::string CharsetToUtf8(const std::string& bytes, const std::string& charset)
{
    std::string name = ToLowerAscii(charset);
    if (name == "utf-8" || name == "utf8" || name == "us-ascii")
        return bytes;
    return JapaneseBytesToUtf8(bytes);
}

struct MimePart {
    std::map<std::string, std::string> headers; // lower-case names, unfolded values
    std::string body;
};

MimePart SplitHeaders(const std::string& raw)
{
    MimePart part;
    std::size_t end = raw.find("\r\n\r\n");
    std::size_t bodyStart = end == std::string::npos ? std::string::npos : end + 4;
    if (end == std::string::npos) {
        end = raw.find("\n\n");
        bodyStart = end == std::string::npos ? raw.size() : end + 2;
    }
    std::string head = raw.substr(0, end == std::string::npos ? raw.size() : end);
    part.body = bodyStart < raw.size() ? raw.substr(bodyStart) : std::string();

    std::string name;
    std::size_t pos = 0;
    while (pos <= head.size()) {
        std::size_t eol = head.find('\n', pos);
        std::string line = head.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            if (!name.empty())
                part.headers[name] += " " + Trim(line);
        } else if (auto colon = line.find(':'); colon != std::string::npos) {
            name = ToLowerAscii(Trim(line.substr(0, colon)));
            part.headers[name] = Trim(line.substr(colon + 1));
        }
        if (eol == std::string::npos)
            break;
        pos = eol + 1;
    }
    return part;
}

// A parameter of a structured header: charset=..., boundary="...".
std::string HeaderParameter(const std::string& value, const std::string& parameter)
{
    std::string lower = ToLowerAscii(value);
    std::size_t at = lower.find(parameter + "=");
    if (at == std::string::npos)
        return {};
    std::size_t start = at + parameter.size() + 1;
    if (start < value.size() && value[start] == '"') {
        std::size_t close = value.find('"', start + 1);
        return value.substr(start + 1, close == std::string::npos ? std::string::npos : close - start - 1);
    }
    std::size_t stop = value.find_first_of("; \t", start);
    return value.substr(start, stop == std::string::npos ? std::string::npos : stop - start);
}

std::string DecodeTransfer(const std::string& body, const std::string& encoding)
{
    std::string name = ToLowerAscii(Trim(encoding));
    if (name == "base64")
        return DecodeBase64(body);
    if (name == "quoted-printable")
        return DecodeQuotedPrintable(body);
    return body;
}

// The first text part of a multipart body, or the first part at all.
MimePart FirstTextPart(const MimePart& multipart, const std::string& boundary)
{
    const std::string marker = "--" + boundary;
    std::vector<MimePart> parts;
    std::size_t pos = multipart.body.find(marker);
    while (pos != std::string::npos) {
        std::size_t start = multipart.body.find('\n', pos);
        if (start == std::string::npos || multipart.body.compare(pos, marker.size() + 2, marker + "--") == 0)
            break;
        std::size_t next = multipart.body.find("\n" + marker, start);
        std::string raw = multipart.body.substr(start + 1, next == std::string::npos ? std::string::npos
                                                                                     : next - start - 1);
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        parts.push_back(SplitHeaders(raw));
        pos = next == std::string::npos ? next : next + 1;
    }
    for (const auto& part : parts) {
        auto type = part.headers.find("content-type");
        if (type == part.headers.end() || ToLowerAscii(type->second).rfind("text/", 0) == 0)
            return part;
    }
    return parts.empty() ? MimePart{} : parts.front();
}

std::string Header(const MimePart& part, const std::string& name)
{
    auto it = part.headers.find(name);
    return it == part.headers.end() ? std::string() : it->second;
}

} // namespace

std::string JapaneseBytesToUtf8(const std::string& bytes)
{
    if (bytes.find('\x1b') == std::string::npos && IsValidUtf8(bytes))
        return bytes;
    return Cp932ToUtf8(ConvertJapaneseCode(bytes, kCodeShiftJis));
}

std::string DecodeBase64(const std::string& text)
{
    std::string out;
    int buffer = 0;
    int bits = 0;
    for (char c : text) {
        int v = Base64Value(c);
        if (v < 0)
            continue;
        buffer = (buffer << 6) | v;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    return out;
}

std::string DecodeQuotedPrintable(const std::string& text, bool headerForm)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '_' && headerForm) {
            out += ' ';
        } else if (c == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else if (c == '=' && i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n')) {
            // Soft line break.
            i += text[i + 1] == '\r' && i + 2 < text.size() && text[i + 2] == '\n' ? 2 : 1;
        } else {
            out += c;
        }
    }
    return out;
}

std::string DecodeHeaderText(const std::string& text)
{
    std::string out;
    std::size_t pos = 0;
    bool lastWasEncoded = false;
    while (pos < text.size()) {
        std::size_t start = text.find("=?", pos);
        std::size_t q1 = start == std::string::npos ? start : text.find('?', start + 2);
        std::size_t q2 = q1 == std::string::npos ? q1 : text.find('?', q1 + 1);
        std::size_t end = q2 == std::string::npos ? q2 : text.find("?=", q2 + 1);
        if (end == std::string::npos) {
            out += JapaneseBytesToUtf8(text.substr(pos));
            break;
        }
        std::string between = text.substr(pos, start - pos);
        // Blanks between two encoded words are not part of the text.
        if (!(lastWasEncoded && Trim(between).empty()))
            out += JapaneseBytesToUtf8(between);
        std::string charset = text.substr(start + 2, q1 - start - 2);
        std::string mode = ToUpperAscii(text.substr(q1 + 1, q2 - q1 - 1));
        std::string payload = text.substr(q2 + 1, end - q2 - 1);
        std::string bytes = mode == "B" ? DecodeBase64(payload) : DecodeQuotedPrintable(payload, true);
        out += CharsetToUtf8(bytes, charset.substr(0, charset.find('*')));
        lastWasEncoded = true;
        pos = end + 2;
    }
    return out;
}

ReceivedMail ParseReceivedMail(const std::string& raw)
{
    MimePart top = SplitHeaders(raw);
    MimePart part = top;
    std::string type = Header(top, "content-type");
    if (ToLowerAscii(type).rfind("multipart/", 0) == 0) {
        std::string boundary = HeaderParameter(type, "boundary");
        if (!boundary.empty())
            part = FirstTextPart(top, boundary);
    }
    ReceivedMail mail;
    mail.subject = DecodeHeaderText(Header(top, "subject"));
    mail.body = DecodeTransfer(part.body, Header(part, "content-transfer-encoding"));
    mail.charset = ToLowerAscii(HeaderParameter(Header(part, "content-type"), "charset"));
    return mail;
}
