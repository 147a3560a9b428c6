#pragma once
// Pages for handheld browsers: plain HTML in Shift_JIS, no scripts, no
// styles, figures as digits with thousands separators.

#include "Markup.h"

#include <httplib.h>

#include <string>

namespace sim {

// 1234567 -> "1,234,567"; negative amounts keep their minus sign.
std::string GroupThousands(long long value);
// A money amount rounded to whole units, grouped.
std::string MoneyText(double amount);
// A link with an access key, as the handheld sites write it: "[3]取引".
std::string AccessKeyLink(int key, const std::string& href, const std::string& caption);
std::string Link(const std::string& href, const std::string& caption);
// A label and its value as two consecutive div elements.
std::string LabelValue(const std::string& label, const std::string& value);

// Sends the page (UTF-8 in, Shift_JIS bytes out) with the charset declared
// in the header and in the document, never cached.
void SendShiftJisPage(httplib::Response& res, const std::string& title, const std::string& body,
                      int status = 200);

} // namespace sim
