#include "documents/DocumentValues.h"

#include "base/AkUnit.h"
#include "documents/DocumentNodes.h"

#include <limits>

namespace {

[[noreturn]] void Fail(const std::string& text, const std::string& kind, const std::string& what)
{
    std::string message = "'" + text + "' is not a valid " + kind;
    if (!what.empty()) message += " (" + what + ")";
    throw DocumentValueError(message);
}

} // namespace

bool TryParseBoolean(const std::string& text, bool& value)
{
    if (EqualsNoCase(text, "True")) { value = true; return true; }
    if (EqualsNoCase(text, "False")) { value = false; return true; }
    double number = 0;
    if (!TryParseDecimal(text, number)) return false;
    value = number != 0;
    return true;
}

bool ParseBoolean(const std::string& text, const std::string& what)
{
    bool value = false;
    if (!TryParseBoolean(text, value)) Fail(text, "boolean value", what);
    return value;
}

double ParseDecimal(const std::string& text, const std::string& what)
{
    double value = 0;
    if (!TryParseDecimal(text, value)) Fail(text, "floating point value", what);
    return value;
}

long long ParseInteger(const std::string& text, const std::string& what)
{
    long long value = 0;
    if (!TryParseInteger(text, value)) Fail(text, "integer value", what);
    return value;
}

std::int32_t ParseInt32(const std::string& text, const std::string& what)
{
    long long value = ParseInteger(text, what);
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        Fail(text, "integer value", what);
    return static_cast<std::int32_t>(value);
}

bool ChildBoolean(pugi::xml_node parent, const std::string& name)
{
    return ParseBoolean(ChildValue(parent, name), name);
}

double ChildDecimal(pugi::xml_node parent, const std::string& name)
{
    return ParseDecimal(ChildValue(parent, name), name);
}

std::int32_t ChildInt32(pugi::xml_node parent, const std::string& name)
{
    return ParseInt32(ChildValue(parent, name), name);
}

bool IsTrueText(const std::string& text)
{
    return EqualsNoCase(text, "True");
}

std::string BooleanText(bool value)
{
    return value ? "True" : "False";
}
