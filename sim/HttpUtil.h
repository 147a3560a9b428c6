#pragma once
// Small request and response helpers shared by the control API and the
// site families.

#include "JsonFields.h"

#include <httplib.h>

#include <optional>
#include <string>
#include <vector>

namespace sim {

// Every page and answer of the simulator is fresh: no browser may keep one.
void SetNoStore(httplib::Response& res);
void SendJson(httplib::Response& res, const Json& json, int status = 200);
void SendJsonError(httplib::Response& res, int status, const std::string& message);
// The request body as JSON; an empty body is an empty object. Raises JsonError.
Json JsonBody(const httplib::Request& req);
// A cookie of the request; empty when it was not sent.
std::string CookieValue(const httplib::Request& req, const std::string& name);
// A form or query field as UTF-8 (pages in Shift_JIS post CP932 bytes).
std::string FieldValue(const httplib::Request& req, const std::string& name);
// A whole number as a form field holds it; nothing for anything else.
std::optional<int> ParseWhole(const std::string& text);
// Every value of a field that a form sends several times, in form order.
std::vector<std::string> FieldValues(const httplib::Request& req, const std::string& name);

} // namespace sim
