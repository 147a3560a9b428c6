#include "HttpUtil.h"

#include "base/TextCodec.h"

#include <charconv>

namespace sim {

void SetNoStore(httplib::Response& res)
{
    res.set_header("Cache-Control", "no-store, no-cache, must-revalidate");
    res.set_header("Pragma", "no-cache");
}

void SendJson(httplib::Response& res, const Json& json, int status)
{
    res.status = status;
    SetNoStore(res);
    res.set_content(DumpJson(json), "application/json; charset=utf-8");
}

void SendJsonError(httplib::Response& res, int status, const std::string& message)
{
    Json json = Json::object();
    json["error"] = message;
    SendJson(res, json, status);
}

Json JsonBody(const httplib::Request& req)
{
    if (req.body.find_first_not_of(" \t\r\n") == std::string::npos)
        return Json::object();
    return ParseJson(req.body);
}

std::string CookieValue(const httplib::Request& req, const std::string& name)
{
    for (size_t i = 0; i < req.get_header_value_count("Cookie"); ++i) {
        std::string header = req.get_header_value("Cookie", i);
        size_t pos = 0;
        while (pos < header.size()) {
            size_t end = header.find(';', pos);
            if (end == std::string::npos)
                end = header.size();
            std::string part = header.substr(pos, end - pos);
            size_t start = part.find_first_not_of(' ');
            if (start != std::string::npos) {
                part = part.substr(start);
                size_t eq = part.find('=');
                if (eq != std::string::npos && part.substr(0, eq) == name)
                    return part.substr(eq + 1);
            }
            pos = end + 1;
        }
    }
    return "";
}

std::string FieldValue(const httplib::Request& req, const std::string& name)
{
    return DecodeExternalText(req.get_param_value(name));
}

std::optional<int> ParseWhole(const std::string& text)
{
    int value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

// httplib's own parameters drop a repeated identical pair ("amount=" twice),
// which would shift one list of a form's repeated fields against another;
// the raw text keeps every pair in form order.
std::vector<std::string> FieldValues(const httplib::Request& req, const std::string& name)
{
    const bool formBody = req.get_header_value("Content-Type").find("application/x-www-form-urlencoded") == 0;
    const size_t query = req.target.find('?');
    const std::string text = formBody ? req.body : query == std::string::npos ? "" : req.target.substr(query + 1);
    std::vector<std::string> values;
    size_t pos = 0;
    while (pos <= text.size() && !text.empty()) {
        size_t end = text.find('&', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string pair = text.substr(pos, end - pos);
        const size_t eq = pair.find('=');
        if (httplib::detail::decode_url(pair.substr(0, eq), true) == name)
            values.push_back(DecodeExternalText(
                eq == std::string::npos ? "" : httplib::detail::decode_url(pair.substr(eq + 1), true)));
        pos = end + 1;
    }
    return values;
}

} // namespace sim
