#pragma once
// A small JSON value with a reader and a writer: enough for the control API
// and the state file, nothing more (no comments, no trailing commas).

#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace sim {

class JsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Json {
public:
    using Array = std::vector<Json>;
    // Keys keep their insertion order so written files read naturally.
    using Object = std::vector<std::pair<std::string, Json>>;

    Json() = default; // null
    Json(std::nullptr_t) {}
    Json(bool value) : value_(value) {}
    Json(int value) : value_(static_cast<double>(value)) {}
    Json(long value) : value_(static_cast<double>(value)) {}
    Json(long long value) : value_(static_cast<double>(value)) {}
    Json(double value) : value_(value) {}
    Json(const char* value) : value_(std::string(value)) {}
    Json(std::string value) : value_(std::move(value)) {}
    Json(Array value) : value_(std::move(value)) {}
    Json(Object value) : value_(std::move(value)) {}

    static Json MakeArray() { return Json(Array{}); }
    static Json MakeObject() { return Json(Object{}); }

    bool IsNull() const { return std::holds_alternative<std::monostate>(value_); }
    bool IsBool() const { return std::holds_alternative<bool>(value_); }
    bool IsNumber() const { return std::holds_alternative<double>(value_); }
    bool IsString() const { return std::holds_alternative<std::string>(value_); }
    bool IsArray() const { return std::holds_alternative<Array>(value_); }
    bool IsObject() const { return std::holds_alternative<Object>(value_); }

    // Typed reads raise JsonError when the value has another type.
    bool AsBool() const;
    double AsNumber() const;
    // A number that must be whole (lots, counts, ids).
    long long AsInteger() const;
    const std::string& AsString() const;
    const Array& AsArray() const;
    const Object& AsObject() const;

    // Object access: Get gives null for a missing key.
    bool Has(const std::string& key) const;
    const Json& Get(const std::string& key) const;
    // Adds or replaces a member (turns a null value into an object).
    Json& Set(const std::string& key, Json value);
    // Appends to an array (turns a null value into an array).
    Json& Push(Json value);

    // Reads with a fallback when the key is missing or null.
    std::string GetString(const std::string& key, const std::string& fallback = "") const;
    double GetNumber(const std::string& key, double fallback = 0) const;
    long long GetInteger(const std::string& key, long long fallback = 0) const;
    bool GetBool(const std::string& key, bool fallback = false) const;

    std::string Dump() const;
    static Json Parse(const std::string& text);

private:
    std::variant<std::monostate, bool, double, std::string, Array, Object> value_;
};

} // namespace sim
