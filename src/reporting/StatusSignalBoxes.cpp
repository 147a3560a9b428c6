#include "reporting/StatusSignalBoxes.h"

#include "base/AkUnit.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"
#include "documents/SignalDocument.h"
#include "reporting/SignalPositions.h"
#include "reporting/StatusFormats.h"

#include <cmath>

namespace {

const char kDots[] = "　…　";

std::string SignalLine(pugi::xml_node pair, pugi::xml_node account, pugi::xml_node portfolio, bool demoMode)
{
    const std::string name = HtmlEscape(SignalName(pair));
    const TSignalTarget target = SignalTargetOf(account, portfolio, pair, demoMode);
    if (!target.Readable) return name + kDots + kBadValueText + "<br>";
    const std::string size = target.Lots != 0 ? kDots + std::string("<b>") + (target.Sum >= 0 ? "Buy" : "Sell") + " " +
                                                    std::to_string(target.Lots) + "</b> <font size=\"-2\">lot　"
                                              : kDots + std::string("ノーポジション <font size=\"-2\">");
    return name + size + "(signal : " +
           MoneyHtml(FormatDecimal(target.BaseAmount), ChildValue(account, "AccountBaseCurrency")) + " x " +
           FormatFactor(std::fabs(target.Sum), 3) + " = " + std::to_string(std::llabs(RoundHalfAway(target.Units))) +
           " Units)</font><br>";
}

std::string HeldLine(pugi::xml_node pair, pugi::xml_node account)
{
    const std::string name = HtmlEscape(SignalName(pair));
    const THeldPosition held = HeldPositionOf(account, SignalName(pair));
    switch (held.state) {
    case THeldPosition::State::CheckFailed:
        return name + kDots + "<b style=\"color:#0000FF; font-size:80%\">取得に失敗</b><br>";
    case THeldPosition::State::None:
        return name + kDots + "ノーポジション<br>";
    case THeldPosition::State::Held:
        break;
    }
    return name + kDots + "<b>" + HtmlEscape(held.trend) + " " + HtmlEscape(held.units) +
           "</b> <font size=\"-2\">lot　(server : 平均 " + HtmlEscape(held.openRate) + " で保有中)</font><br>";
}

std::string CheckStamp(pugi::xml_node account)
{
    const pugi::xml_attribute first = account.child("Status").child("HoldPosition").first_attribute();
    if (!first) return "";
    return "<font size=\"-2\" style=\"font-weight:normal\">　[" + HtmlEscape(first.value()) + "]</font>";
}

} // namespace

std::string SignalStrengthBox(pugi::xml_node signalPair)
{
    std::string lines;
    double sum = 0;
    for (pugi::xml_node system : SignalSystems(signalPair)) {
        lines += HtmlEscape(SignalName(system)) + " … ";
        try {
            const std::int32_t count = PositionCountOf(system);
            if (count == 0) {
                lines += "ノーポジション<br>";
                continue;
            }
            const double strength = SignalStrength(system);
            sum += strength;
            lines += std::string(count > 0 ? "Buy" : "Sell") + " " + FormatFactor(std::fabs(strength), 3) +
                     " 倍　</font><br>";
        } catch (const DocumentValueError&) {
            lines += std::string(kBadValueText) + "<br>";
        }
    }
    const std::string title = HtmlEscape(SignalName(signalPair)) + "　<!--<font size=\"-1\">… " +
                              (sum > 0 ? "Buy" : "Sell") + " " + FormatFactor(std::fabs(sum), 3) + " 倍</font>-->";
    return StatusBox(title, "<p style=\"margin-top:10px;line-height: 1.8\">" + lines + "</p>");
}

std::string SignalPositionBox(pugi::xml_node account, pugi::xml_node portfolio, pugi::xml_node holdPositionSummary,
                              bool demoMode)
{
    std::string lines;
    for (pugi::xml_node pair : SignalPairs(holdPositionSummary))
        lines += SignalLine(pair, account, portfolio, demoMode) + HeldLine(pair, account);
    return StatusBox(HtmlEscape(AccountName(account)) + "　" + CheckStamp(account),
                     "<p style=\"margin-top:10px\">" + lines + "</p>");
}

std::string HeldPositionsBox(pugi::xml_node account)
{
    std::string html = "<span class=\"chart\"><span class=\"chart_title\"><b>" + HtmlEscape(AccountName(account)) +
                       "</b></span>\r\n<span class=\"chart_body\">\r\n";
    for (pugi::xml_node pair : ChildElements(account.child("Status").child("HoldPosition").child("Currency"))) {
        if (!pair.first_child()) continue;
        html += "<p style=\"margin-top:10px\"><span style=\"width:20%;float:left\"><b>" + HtmlEscape(pair.name()) +
                "</b></span>\r\n<span style=\"width:80%\">";
        for (pugi::xml_node position : ChildElements(pair))
            if (ChildElements(position).size() > 1)
                html += HtmlEscape(ChildValue(position, "OpenRate")) + " " + HtmlEscape(ChildValue(position, "Trend")) +
                        " , " + HtmlEscape(ChildValue(position, "Units")) + " <font size=\"-2\">lot</font><br>";
        html += "</span></p>\r\n";
    }
    return html + "</span></span>\r\n";
}
