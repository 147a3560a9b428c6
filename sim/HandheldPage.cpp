#include "HandheldPage.h"

#include "HttpUtil.h"
#include "base/TextCodec.h"

#include <cmath>

namespace sim {

std::string GroupThousands(long long value)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    std::string out;
    int count = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (count > 0 && count % 3 == 0)
            out.insert(out.begin(), ',');
        out.insert(out.begin(), *it);
        ++count;
    }
    return value < 0 ? "-" + out : out;
}

std::string MoneyText(double amount)
{
    return GroupThousands(std::llround(amount));
}

std::string AccessKeyLink(int key, const std::string& href, const std::string& caption)
{
    std::string k = std::to_string(key);
    return "<a href=\"" + EscapeMarkup(href) + "\" accesskey=\"" + k + "\">[" + k + "]" + EscapeMarkup(caption) + "</a>";
}

std::string Link(const std::string& href, const std::string& caption)
{
    return "<a href=\"" + EscapeMarkup(href) + "\">" + EscapeMarkup(caption) + "</a>";
}

std::string LabelValue(const std::string& label, const std::string& value)
{
    return "<div>" + EscapeMarkup(label) + "</div>\n<div>" + EscapeMarkup(value) + "</div>\n";
}

void SendShiftJisPage(httplib::Response& res, const std::string& title, const std::string& body, int status)
{
    std::string html =
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD Compact HTML 1.0 Draft//EN\">\n"
        "<html><head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n"
        "<title>" + EscapeMarkup(title) + "</title>\n"
        "</head><body>\n" + body + "</body></html>\n";
    res.status = status;
    SetNoStore(res);
    res.set_content(Utf8ToCp932(html), "text/html; charset=Shift_JIS");
}

} // namespace sim
