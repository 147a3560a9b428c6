#pragma once
// Conversions of document values. Booleans are "True"/"False" in any letter
// case or a decimal number (0 false, else true); the empty text is an error.
// The throwing forms raise DocumentValueError, which the trade run catches at
// its boundary and turns into a failed run.

#include <pugixml.hpp>

#include <cstdint>
#include <stdexcept>
#include <string>

class DocumentValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

bool TryParseBoolean(const std::string& text, bool& value);

bool ParseBoolean(const std::string& text, const std::string& what = "");
double ParseDecimal(const std::string& text, const std::string& what = "");
long long ParseInteger(const std::string& text, const std::string& what = "");
// A 32-bit integer (lots, counts); out of range is an error.
std::int32_t ParseInt32(const std::string& text, const std::string& what = "");

// The value of child `name` converted; missing or unconvertible throws, naming the element.
bool ChildBoolean(pugi::xml_node parent, const std::string& name);
double ChildDecimal(pugi::xml_node parent, const std::string& name);
std::int32_t ChildInt32(pugi::xml_node parent, const std::string& name);

// "True" in any letter case; everything else is false (CounterTradeIsClose, Demo).
bool IsTrueText(const std::string& text);
std::string BooleanText(bool value);
