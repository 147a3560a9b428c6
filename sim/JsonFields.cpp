#include "JsonFields.h"

#include <cmath>

namespace sim {

namespace {

[[noreturn]] void WrongType(const std::string& what, const Json& value)
{
    throw Json::type_error::create(302, what + " expected, not " + std::string(value.type_name()), nullptr);
}

// The member, or nothing for a missing or null one (and for a non-object).
const Json* Member(const Json& json, const std::string& key)
{
    if (!json.is_object())
        WrongType("an object", json);
    auto it = json.find(key);
    return it == json.end() || it->is_null() ? nullptr : &*it;
}

} // namespace

Json ParseJson(const std::string& text)
{
    return Json::parse(text);
}

std::string DumpJson(const Json& json)
{
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string StringField(const Json& json, const std::string& key, const std::string& fallback)
{
    const Json* value = Member(json, key);
    if (!value)
        return fallback;
    if (!value->is_string())
        WrongType("\"" + key + "\": a string", *value);
    return value->get<std::string>();
}

double NumberField(const Json& json, const std::string& key, double fallback)
{
    const Json* value = Member(json, key);
    return value ? NumberValue(*value) : fallback;
}

long long IntegerField(const Json& json, const std::string& key, long long fallback)
{
    const Json* value = Member(json, key);
    if (!value)
        return fallback;
    if (value->is_number_integer())
        return value->get<long long>();
    double number = NumberValue(*value);
    if (number != std::trunc(number) || std::fabs(number) > 9.0e15)
        WrongType("\"" + key + "\": a whole number", *value);
    return static_cast<long long>(number);
}

bool BoolField(const Json& json, const std::string& key, bool fallback)
{
    const Json* value = Member(json, key);
    if (!value)
        return fallback;
    if (!value->is_boolean())
        WrongType("\"" + key + "\": true or false", *value);
    return value->get<bool>();
}

const Json& ArrayField(const Json& json, const std::string& key)
{
    static const Json empty = Json::array();
    const Json* value = Member(json, key);
    return value ? ArrayValue(*value) : empty;
}

const Json& ObjectField(const Json& json, const std::string& key)
{
    static const Json empty = Json::object();
    const Json* value = Member(json, key);
    if (value && !value->is_object())
        WrongType("\"" + key + "\": an object", *value);
    return value ? *value : empty;
}

double NumberValue(const Json& value)
{
    if (!value.is_number())
        WrongType("a number", value);
    return value.get<double>();
}

const Json& ArrayValue(const Json& value)
{
    if (!value.is_array())
        WrongType("an array", value);
    return value;
}

} // namespace sim
