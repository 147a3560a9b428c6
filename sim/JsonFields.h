#pragma once
// JSON of the control API, the service host's control routes and the state
// file, on nlohmann-json. Objects keep their members in the order written,
// so saved files read naturally. The readers below take a member with a
// fallback for one that is missing or null, and raise JsonError when it has
// another type; the control routes answer JsonError with 400.

#include <nlohmann/json.hpp>

#include <string>

namespace sim {

using Json = nlohmann::ordered_json;
// Malformed text and members of the wrong type.
using JsonError = Json::exception;

Json ParseJson(const std::string& text);
// Compact text; bytes that are not UTF-8 become U+FFFD instead of failing.
std::string DumpJson(const Json& json);

std::string StringField(const Json& json, const std::string& key, const std::string& fallback = "");
double NumberField(const Json& json, const std::string& key, double fallback = 0);
// A whole number (lots, counts, ids): 1.5 is refused.
long long IntegerField(const Json& json, const std::string& key, long long fallback = 0);
bool BoolField(const Json& json, const std::string& key, bool fallback = false);
// Array and object members; a missing or null member is an empty one.
const Json& ArrayField(const Json& json, const std::string& key);
const Json& ObjectField(const Json& json, const std::string& key);

// A value that must be a number, or an array.
double NumberValue(const Json& value);
const Json& ArrayValue(const Json& value);

} // namespace sim
