#include "PageFaults.h"

#include "HandheldPage.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace sim {

namespace {

// A JavaScript string literal in plain ASCII, whatever the page's charset.
std::string JsStringLiteral(const std::string& utf8)
{
    std::string out = "\"";
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        unsigned code = c;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra > 0) {
            code = c & (0x3F >> extra);
            for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
                code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += static_cast<size_t>(extra) + 1;
        auto escape = [&out](unsigned unit) {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", unit);
            out += buffer;
        };
        if (code >= 0x10000) {
            escape(0xD800 + ((code - 0x10000) >> 10));
            escape(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else if (code < 0x20 || code >= 0x7F || code == '"' || code == '\\' || code == '<') {
            escape(code);
        } else {
            out += static_cast<char>(code);
        }
    }
    return out + "\"";
}

void SendBrokenPage(httplib::Response& res, const std::string& kind, int status)
{
    if (kind == "drop") {
        // The status line goes out, then the connection closes before a
        // byte of the page: the browser's load fails.
        res.set_content_provider(1024, "text/html", [](size_t, size_t, httplib::DataSink&) { return false; });
    } else if (kind == "error") {
        SendShiftJisPage(res, "ページを表示できません",
                         "<h1>ページを表示できません</h1>\n<p>サーバーが混雑しているか、メンテナンス中です。</p>\n",
                         status ? status : 500);
    } else if (kind == "notfound") {
        SendShiftJisPage(res, "ページが見つかりません", "<h1>ページが見つかりません</h1>\n", status ? status : 404);
    } else {
        res.status = status ? status : 200;
        res.set_header("Cache-Control", "no-store");
        res.set_content("", "text/html");
    }
}

// True when the request met a broken page instead of the real one.
bool BeforePage(SimContext& context, const httplib::Request& req, httplib::Response& res)
{
    std::string family = FamilyOfPath(req.path);
    context.counters.Add("pages/" + (family.empty() ? std::string("service") : family));
    auto fault = context.faults.TakePageFault(FaultBoard::Stage::BeforePage, req.path, req.method);
    if (!fault)
        return false;
    if (fault->kind == "slow") {
        std::this_thread::sleep_for(std::chrono::milliseconds(fault->delayMs));
        return false;
    }
    SendBrokenPage(res, fault->kind, fault->status);
    return true;
}

void AfterPage(SimContext& context, const httplib::Request& req, httplib::Response& res)
{
    bool isPage = (res.status == 200 || res.status == -1) &&
                  res.get_header_value("Content-Type").rfind("text/html", 0) == 0 && !res.body.empty();
    if (!isPage)
        return;
    auto fault = context.faults.TakePageFault(FaultBoard::Stage::AfterPage, req.path, req.method);
    if (!fault)
        return;
    std::string script = ConfirmScript(fault->message);
    size_t end = res.body.rfind("</body>");
    res.body.insert(end == std::string::npos ? res.body.size() : end, script);
}

} // namespace

bool AnswerLost(SimContext& context, const httplib::Request& req, const std::string& account,
                httplib::Response& res)
{
    auto fault = context.faults.TakeOrderFault("lostAnswer", req.path, account);
    if (!fault)
        return false;
    SendBrokenPage(res, fault->answer, fault->status);
    return true;
}

std::string ConfirmScript(const std::string& message)
{
    return "<script>(function(){var ok=confirm(" + JsStringLiteral(message) +
           ");new Image().src=\"" + std::string(kControlPrefix) +
           "dialog?accepted=\"+(ok?1:0);})();</script>\n";
}

httplib::Server::Handler WithPageFaults(SimContext& context, httplib::Server::Handler page)
{
    return [&context, page = std::move(page)](const httplib::Request& req, httplib::Response& res) {
        if (BeforePage(context, req, res))
            return;
        page(req, res);
        AfterPage(context, req, res);
    };
}

} // namespace sim
