// String cutting. Positions are byte positions; UTF-8 never matches a part
// in the middle of a character, so plain byte searches are multibyte-safe.
#include "base/AkUnit.h"

#include <algorithm>

namespace {

// Like find, but an empty part is never found.
size_t FindPart(const std::string& text, const std::string& part, size_t from = 0)
{
    return part.empty() ? std::string::npos : text.find(part, from);
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Comma text: items separated by commas or blanks, double quotes group an
// item (a doubled quote inside stands for one quote).
std::vector<std::string> SplitCommaText(const std::string& text)
{
    std::vector<std::string> items;
    size_t i = 0;
    const size_t n = text.size();
    auto skipBlanks = [&] {
        while (i < n && IsBlank(text[i]))
            ++i;
    };
    skipBlanks();
    while (i < n) {
        std::string item;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < n && !IsBlank(text[i]) && text[i] != ',')
                item += text[i++];
        }
        items.push_back(item);
        skipBlanks();
        if (i < n && text[i] == ',') {
            ++i;
            skipBlanks();
        }
    }
    return items;
}

} // namespace

std::string TextBefore(const std::string& text, const std::string& part)
{
    const size_t pos = FindPart(text, part);
    return pos == std::string::npos ? std::string() : text.substr(0, pos);
}

std::string TextAfter(const std::string& text, const std::string& part)
{
    const size_t pos = FindPart(text, part);
    return pos == std::string::npos ? text : text.substr(pos + part.size());
}

std::string TextBetween(const std::string& text, const std::string& start, const std::string& end)
{
    if (text.size() <= 2)
        return {};
    const size_t pos = FindPart(text, start);
    if (pos == std::string::npos)
        return text;
    const std::string rest = text.substr(pos + start.size());
    const size_t stop = FindPart(rest, end);
    return stop == std::string::npos ? rest : rest.substr(0, stop);
}

std::string ReplaceAll(const std::string& text, const std::string& find, const std::string& replacement)
{
    if (find.empty())
        return text;
    std::string out;
    size_t from = 0;
    for (size_t pos = text.find(find); pos != std::string::npos; pos = text.find(find, from)) {
        out.append(text, from, pos - from);
        out += replacement;
        from = pos + find.size();
    }
    out.append(text, from, std::string::npos);
    return out;
}

std::vector<std::string> SplitTrimmed(const std::string& text, const std::string& separator)
{
    if (text.size() <= 2 || separator.empty())
        return {Trim(text)};
    std::vector<std::string> items;
    size_t from = 0;
    for (size_t pos = text.find(separator); pos != std::string::npos; pos = text.find(separator, from)) {
        items.push_back(Trim(text.substr(from, pos - from)));
        from = pos + separator.size();
    }
    items.push_back(Trim(text.substr(from)));
    return items;
}

std::vector<std::string> SplitToArray(const std::string& text, const std::string& separator)
{
    if (text.empty())
        return {};
    return separator.empty() ? SplitCommaText(text) : SplitTrimmed(text, separator);
}

std::string QuoteArg(const std::string& text)
{
    // A quote inside is doubled, as SplitCommandLine reads it back, so a whole
    // command line can travel as one argument of a helper program.
    return "\"" + ReplaceAll(text, "\"", "\"\"") + "\" ";
}

std::string Trim(const std::string& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const size_t start = i;
        while (i < n && text[i] != '\r' && text[i] != '\n')
            ++i;
        lines.push_back(text.substr(start, i - start));
        if (i < n && text[i] == '\r')
            ++i;
        if (i < n && text[i] == '\n')
            ++i;
    }
    return lines;
}

bool ContainsNoCase(const std::string& text, const std::string& part)
{
    return FindPart(ToLowerAscii(text), ToLowerAscii(part)) != std::string::npos;
}

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && ToLowerAscii(a) == ToLowerAscii(b);
}

std::string ToUpperAscii(const std::string& text)
{
    std::string out = text;
    std::transform(out.begin(), out.end(), out.begin(), UpperAscii);
    return out;
}

std::string ToLowerAscii(const std::string& text)
{
    std::string out = text;
    std::transform(out.begin(), out.end(), out.begin(), LowerAscii);
    return out;
}

std::string HtmlEscape(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}
