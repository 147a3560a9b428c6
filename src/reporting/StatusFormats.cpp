#include "reporting/StatusFormats.h"

#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"
#include "reporting/ReportLists.h"
#include "reporting/SignalPositions.h"

const char kBadValueText[] = "<b style=\"color:#0000FF; font-size:80%\">(値を読み取れません)</b>";

std::string StatusBox(const std::string& titleHtml, const std::string& bodyHtml)
{
    return "<span class=\"chart\"><span class=\"chart_title\"><b>" + titleHtml + "</b></span><span class=\"chart_body\">" +
           bodyHtml + "</span></span>";
}

std::string SectionHeading(const std::string& html)
{
    return "<h2>" + html + "</h2>";
}

std::string MoneyHtml(const std::string& amount, const std::string& currency, bool plusSign)
{
    return HtmlEscape(MoneyText(amount, currency, plusSign));
}

std::string ProfitPercentText(pugi::xml_node day)
{
    double balance = 0;
    double profit = 0;
    if (!ChildNumber(day, "Balance", balance) || !ChildNumber(day, "PL", profit)) return kBadValueText;
    if (balance == 0) return "0%";
    return (profit >= 0 ? "+" : "") + FormatFactor(profit / balance * 100, 1) + "%";
}

std::string ChangePercentText(double a, double b)
{
    if (b == 0) return "0%";
    return (a - b >= 0 ? "+" : "") + FormatFactor((a - b) / b * 100, 1) + "%";
}

bool ChildNumber(pugi::xml_node parent, const char* name, double& value)
{
    return TryParseDecimal(ChildValue(parent, name), value);
}

bool ReadsAsTrue(const std::string& text)
{
    bool value = false;
    return TryParseBoolean(text, value) && value;
}
