#include "reporting/MailMime.h"

#include "base/AkUnit.h"
#include "base/TextCodec.h"
#include "reporting/jconvert.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {

// Base64 lengths (multiples of 4) per encoded word, so that a word with its
// frame stays within RFC 2047's 75 characters and, behind "Subject: ", within
// the 78 characters of a header line.
constexpr std::size_t kJisWordBase64 = 48;   // 78 - "Subject: " - "=?ISO-2022-JP?B?" - "?="
constexpr std::size_t kUtf8WordBase64 = 56;  // 78 - "Subject: " - "=?UTF-8?B?" - "?="
constexpr std::size_t kMaxLineOctets = 998;  // RFC 5322
constexpr std::size_t kBase64LineLength = 76;
constexpr std::size_t kFoldAt = 76;

bool IsAscii(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Header values never carry a line break of their own.
std::string OneLine(const std::string& text)
{
    std::string line = text;
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::replace(line.begin(), line.end(), '\n', ' ');
    return Trim(line);
}

std::size_t Base64Length(std::size_t bytes) { return (bytes + 2) / 3 * 4; }

bool IsShiftJisLeadByte(unsigned c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// CP932 text cut into characters; a half-width voiced or semi-voiced mark
// stays with the kana before it, which the conversion merges with it.
std::vector<std::string> Cp932Characters(const std::string& sjis)
{
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < sjis.size();) {
        const unsigned c = static_cast<unsigned char>(sjis[i]);
        const std::size_t length = IsShiftJisLeadByte(c) && i + 1 < sjis.size() ? 2 : 1;
        const bool mark = c == 0xDE || c == 0xDF;
        if (mark && !characters.empty())
            characters.back() += sjis.substr(i, length);
        else
            characters.push_back(sjis.substr(i, length));
        i += length;
    }
    return characters;
}

std::vector<std::string> Utf8Characters(const std::string& utf8)
{
    std::vector<std::string> characters;
    for (char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) == 0x80 && !characters.empty())
            characters.back() += c;
        else
            characters.emplace_back(1, c);
    }
    return characters;
}

// Groups characters into pieces whose encoded form fits one word; each
// piece is encoded on its own, so every word stands complete.
template <class Encode>
std::vector<std::string> EncodedPieces(const std::vector<std::string>& characters, std::size_t maxBase64,
                                       Encode encode)
{
    std::vector<std::string> pieces;
    std::string piece;
    for (const std::string& character : characters) {
        if (!piece.empty() && Base64Length(encode(piece + character).size()) > maxBase64) {
            pieces.push_back(encode(piece));
            piece.clear();
        }
        piece += character;
    }
    if (!piece.empty())
        pieces.push_back(encode(piece));
    return pieces;
}

std::string JoinWords(const std::vector<std::string>& pieces, const std::string& charset)
{
    std::string words;
    for (const std::string& piece : pieces) {
        if (!words.empty())
            words += "\r\n ";
        words += "=?" + charset + "?B?" + EncodeBase64(piece) + "?=";
    }
    return words;
}

std::string JisEncodedWords(const std::string& utf8)
{
    return JoinWords(EncodedPieces(Cp932Characters(Utf8ToCp932(utf8)), kJisWordBase64, ShiftJisToIso2022Jp),
                     "ISO-2022-JP");
}

std::string Utf8EncodedWords(const std::string& utf8)
{
    return JoinWords(EncodedPieces(Utf8Characters(utf8), kUtf8WordBase64, [](const std::string& s) { return s; }),
                     "UTF-8");
}

bool NeedsQuoting(const std::string& name)
{
    return name.find_first_of("()<>[]:;@\\,.\"") != std::string::npos;
}

std::string QuotedString(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// Lines re-ended with CR LF, the last one too.
std::string CrlfLines(const std::string& text)
{
    std::string out;
    for (const std::string& line : SplitLines(text))
        out += line + "\r\n";
    return out;
}

bool FitsSevenBit(const std::string& text)
{
    std::size_t lineLength = 0;
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
        lineLength = c == '\n' ? 0 : lineLength + 1;
        if (lineLength > kMaxLineOctets + 1) // the CR before LF is counted here
            return false;
    }
    return true;
}

std::string Base64Lines(const std::string& bytes)
{
    const std::string encoded = EncodeBase64(bytes);
    std::string out;
    for (std::size_t i = 0; i < encoded.size(); i += kBase64LineLength)
        out += encoded.substr(i, kBase64LineLength) + "\r\n";
    return out;
}

struct EncodedBody {
    std::string charset;
    std::string transferEncoding;
    std::string text;
};

EncodedBody EncodeBody(const std::string& body, bool utf8)
{
    const std::string lines = CrlfLines(body);
    if (utf8)
        return {"UTF-8", "base64", Base64Lines(lines)};
    const std::string jis = ShiftJisToIso2022Jp(Utf8ToCp932(lines));
    // A line too long for 7bit still goes out whole, in Base64.
    if (!FitsSevenBit(jis))
        return {"ISO-2022-JP", "base64", Base64Lines(jis)};
    return {"ISO-2022-JP", "7bit", jis};
}

// "a@x, b@y" folded before an address that would pass the line length.
std::string AddressList(const std::vector<std::string>& addresses, std::size_t headerNameLength)
{
    std::string list;
    std::size_t lineLength = headerNameLength;
    for (const std::string& address : addresses) {
        if (!list.empty()) {
            list += ",";
            ++lineLength;
            if (lineLength + 1 + address.size() > kFoldAt) {
                list += "\r\n";
                lineLength = 0;
            }
            list += " ";
            ++lineLength;
        }
        list += address;
        lineLength += address.size();
    }
    return list;
}

std::string MessageId(const std::string& senderAddress, std::chrono::system_clock::time_point when)
{
    static std::atomic<unsigned> counter{0};
    const auto at = senderAddress.find('@');
    const std::string domain = at == std::string::npos ? "pellago.localhost" : senderAddress.substr(at + 1);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    return "<" + std::to_string(millis) + "." + std::to_string(getpid()) + "." + std::to_string(++counter) + "@" +
           domain + ">";
}

std::string FromHeader(const TMailContent& mail)
{
    const std::string address = "<" + OneLine(mail.SenderAddress) + ">";
    const std::string name = EncodeJisHeaderWord(OneLine(mail.SenderName));
    return "From: " + (name.empty() ? address : name + " " + address) + "\r\n";
}

} // namespace

std::vector<std::string> SplitRecipients(const std::string& field)
{
    std::vector<std::string> addresses;
    std::string current;
    for (char c : OneLine(field) + ";") {
        if (c == ';' || c == ',') {
            if (!Trim(current).empty())
                addresses.push_back(Trim(current));
            current.clear();
        } else {
            current += c;
        }
    }
    return addresses;
}

std::string EncodeBase64(const std::string& bytes)
{
    static const char* const kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve(Base64Length(bytes.size()));
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            value |= static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[(value >> 18) & 63];
        out += kAlphabet[(value >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(value >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[value & 63] : '=';
    }
    return out;
}

std::string EncodeJisHeaderWord(const std::string& name)
{
    if (!IsAscii(name))
        return JisEncodedWords(name);
    return NeedsQuoting(name) ? QuotedString(name) : name;
}

std::string EncodeHeaderText(const std::string& text, bool utf8)
{
    if (IsAscii(text))
        return text;
    return utf8 ? Utf8EncodedWords(text) : JisEncodedWords(text);
}

std::string MailDate(std::chrono::system_clock::time_point when)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    const long offsetMinutes = local.tm_gmtoff / 60;
    const DateTime date = ToLocal(when);
    const char sign = offsetMinutes < 0 ? '-' : '+';
    return DayAbbrev(date) + ", " + std::to_string(date.day) + " " + MonthAbbrev(date) + " " +
           ZeroPad(date.year, 4) + " " + ZeroPad(date.hour, 2) + ":" + ZeroPad(date.minute, 2) + ":" +
           ZeroPad(date.second, 2) + " " + sign + ZeroPad(std::labs(offsetMinutes) / 60, 2) +
           ZeroPad(std::labs(offsetMinutes) % 60, 2);
}

std::string BuildMailMessage(const TMailContent& mail, std::chrono::system_clock::time_point when)
{
    const EncodedBody body = EncodeBody(mail.Body, mail.Utf8);
    std::string message = "Date: " + MailDate(when) + "\r\n";
    if (!OneLine(mail.SenderAddress).empty())
        message += FromHeader(mail);
    message += "To: " + AddressList(SplitRecipients(mail.Recipients), 4) + "\r\n";
    message += "Subject: " + EncodeHeaderText(OneLine(mail.Subject), mail.Utf8) + "\r\n";
    message += "Message-ID: " + MessageId(OneLine(mail.SenderAddress), when) + "\r\n";
    message += "MIME-Version: 1.0\r\n";
    message += "Content-Type: text/plain; charset=" + body.charset + "\r\n";
    message += "Content-Transfer-Encoding: " + body.transferEncoding + "\r\n";
    return message + "\r\n" + body.text;
}
