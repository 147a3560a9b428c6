#include "Json.h"

#include <charconv>
#include <cmath>

namespace sim {

namespace {

const Json& NullJson()
{
    static const Json null;
    return null;
}

void AppendUtf8(std::string& out, unsigned code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void WriteString(std::string& out, const std::string& text)
{
    out += '"';
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                static const char* hex = "0123456789abcdef";
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    out += '"';
}

void WriteNumber(std::string& out, double value)
{
    if (!std::isfinite(value))
        throw JsonError("JSON cannot hold a non-finite number");
    // Whole numbers (money, lots, ids) read best without an exponent.
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        out += std::to_string(static_cast<long long>(value));
        return;
    }
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void Write(std::string& out, const Json& value)
{
    if (value.IsNull()) {
        out += "null";
    } else if (value.IsBool()) {
        out += value.AsBool() ? "true" : "false";
    } else if (value.IsNumber()) {
        WriteNumber(out, value.AsNumber());
    } else if (value.IsString()) {
        WriteString(out, value.AsString());
    } else if (value.IsArray()) {
        out += '[';
        bool first = true;
        for (const Json& item : value.AsArray()) {
            if (!first)
                out += ',';
            first = false;
            Write(out, item);
        }
        out += ']';
    } else {
        out += '{';
        bool first = true;
        for (const auto& [key, item] : value.AsObject()) {
            if (!first)
                out += ',';
            first = false;
            WriteString(out, key);
            out += ':';
            Write(out, item);
        }
        out += '}';
    }
}

class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    Json ReadDocument()
    {
        Json value = ReadValue(0);
        SkipSpace();
        if (pos_ != text_.size())
            Fail("unexpected text after the value");
        return value;
    }

private:
    // Deep nesting would exhaust the stack on hostile input.
    static constexpr int kMaxDepth = 64;

    [[noreturn]] void Fail(const std::string& what) const
    {
        throw JsonError("JSON: " + what + " at offset " + std::to_string(pos_));
    }

    void SkipSpace()
    {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }

    bool Consume(const char* word)
    {
        std::string_view w(word);
        if (text_.compare(pos_, w.size(), w) != 0)
            return false;
        pos_ += w.size();
        return true;
    }

    Json ReadValue(int depth)
    {
        if (depth > kMaxDepth)
            Fail("nesting too deep");
        SkipSpace();
        if (pos_ >= text_.size())
            Fail("unexpected end");
        char c = text_[pos_];
        if (c == '{')
            return ReadObject(depth);
        if (c == '[')
            return ReadArray(depth);
        if (c == '"')
            return Json(ReadString());
        if (Consume("true"))
            return Json(true);
        if (Consume("false"))
            return Json(false);
        if (Consume("null"))
            return Json();
        return Json(ReadNumber());
    }

    Json ReadObject(int depth)
    {
        ++pos_;
        Json result = Json::MakeObject();
        SkipSpace();
        if (pos_ < text_.size() && text_[pos_] == '}') {
            ++pos_;
            return result;
        }
        for (;;) {
            SkipSpace();
            if (pos_ >= text_.size() || text_[pos_] != '"')
                Fail("expected a key");
            std::string key = ReadString();
            SkipSpace();
            if (pos_ >= text_.size() || text_[pos_] != ':')
                Fail("expected ':'");
            ++pos_;
            result.Set(key, ReadValue(depth + 1));
            SkipSpace();
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == '}') {
                ++pos_;
                return result;
            }
            Fail("expected ',' or '}'");
        }
    }

    Json ReadArray(int depth)
    {
        ++pos_;
        Json result = Json::MakeArray();
        SkipSpace();
        if (pos_ < text_.size() && text_[pos_] == ']') {
            ++pos_;
            return result;
        }
        for (;;) {
            result.Push(ReadValue(depth + 1));
            SkipSpace();
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == ']') {
                ++pos_;
                return result;
            }
            Fail("expected ',' or ']'");
        }
    }

    unsigned ReadHex4()
    {
        if (pos_ + 4 > text_.size())
            Fail("short \\u escape");
        unsigned code = 0;
        auto result = std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, code, 16);
        if (result.ptr != text_.data() + pos_ + 4)
            Fail("bad \\u escape");
        pos_ += 4;
        return code;
    }

    unsigned ReadEscapedCode()
    {
        unsigned code = ReadHex4();
        if (code >= 0xD800 && code < 0xDC00) {
            if (!Consume("\\u"))
                Fail("lone surrogate");
            unsigned low = ReadHex4();
            if (low < 0xDC00 || low >= 0xE000)
                Fail("bad surrogate pair");
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        } else if (code >= 0xDC00 && code < 0xE000) {
            Fail("lone surrogate");
        }
        return code;
    }

    std::string ReadString()
    {
        ++pos_;
        std::string out;
        while (pos_ < text_.size()) {
            char c = text_[pos_++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                Fail("control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size())
                break;
            char e = text_[pos_++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': AppendUtf8(out, ReadEscapedCode()); break;
            default: Fail("unknown escape");
            }
        }
        Fail("unterminated string");
    }

    double ReadNumber()
    {
        size_t start = pos_;
        if (pos_ < text_.size() && text_[pos_] == '-')
            ++pos_;
        while (pos_ < text_.size() && std::string_view("0123456789.eE+-").find(text_[pos_]) != std::string_view::npos)
            ++pos_;
        double value = 0;
        auto result = std::from_chars(text_.data() + start, text_.data() + pos_, value);
        if (start == pos_ || result.ec != std::errc() || result.ptr != text_.data() + pos_) {
            pos_ = start;
            Fail("expected a value");
        }
        return value;
    }

    const std::string& text_;
    size_t pos_ = 0;
};

} // namespace

bool Json::AsBool() const
{
    if (!IsBool())
        throw JsonError("JSON: expected true or false");
    return std::get<bool>(value_);
}

double Json::AsNumber() const
{
    if (!IsNumber())
        throw JsonError("JSON: expected a number");
    return std::get<double>(value_);
}

long long Json::AsInteger() const
{
    double value = AsNumber();
    if (value != std::floor(value) || std::fabs(value) > 9.0e15)
        throw JsonError("JSON: expected a whole number");
    return static_cast<long long>(value);
}

const std::string& Json::AsString() const
{
    if (!IsString())
        throw JsonError("JSON: expected a string");
    return std::get<std::string>(value_);
}

const Json::Array& Json::AsArray() const
{
    if (!IsArray())
        throw JsonError("JSON: expected an array");
    return std::get<Array>(value_);
}

const Json::Object& Json::AsObject() const
{
    if (!IsObject())
        throw JsonError("JSON: expected an object");
    return std::get<Object>(value_);
}

bool Json::Has(const std::string& key) const
{
    if (!IsObject())
        return false;
    for (const auto& member : std::get<Object>(value_))
        if (member.first == key)
            return true;
    return false;
}

const Json& Json::Get(const std::string& key) const
{
    if (IsObject())
        for (const auto& member : std::get<Object>(value_))
            if (member.first == key)
                return member.second;
    return NullJson();
}

Json& Json::Set(const std::string& key, Json value)
{
    if (IsNull())
        value_ = Object{};
    if (!IsObject())
        throw JsonError("JSON: not an object");
    auto& members = std::get<Object>(value_);
    for (auto& member : members)
        if (member.first == key) {
            member.second = std::move(value);
            return *this;
        }
    members.emplace_back(key, std::move(value));
    return *this;
}

Json& Json::Push(Json value)
{
    if (IsNull())
        value_ = Array{};
    if (!IsArray())
        throw JsonError("JSON: not an array");
    std::get<Array>(value_).push_back(std::move(value));
    return *this;
}

std::string Json::GetString(const std::string& key, const std::string& fallback) const
{
    const Json& value = Get(key);
    return value.IsNull() ? fallback : value.AsString();
}

double Json::GetNumber(const std::string& key, double fallback) const
{
    const Json& value = Get(key);
    return value.IsNull() ? fallback : value.AsNumber();
}

long long Json::GetInteger(const std::string& key, long long fallback) const
{
    const Json& value = Get(key);
    return value.IsNull() ? fallback : value.AsInteger();
}

bool Json::GetBool(const std::string& key, bool fallback) const
{
    const Json& value = Get(key);
    return value.IsNull() ? fallback : value.AsBool();
}

std::string Json::Dump() const
{
    std::string out;
    Write(out, *this);
    return out;
}

Json Json::Parse(const std::string& text)
{
    return Reader(text).ReadDocument();
}

} // namespace sim
