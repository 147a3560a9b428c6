// The in/out page below the grid: the whole history as one large chart.

#include "reporting/HtmlReadme.h"

#include "reporting/GoogleChart.h"
#include "reporting/StatusFormats.h"

#include <filesystem>

std::optional<std::string> InOutPageHtml(const TStatusPageContext& context)
{
    if (context.AccountPath.empty()) return std::nullopt;
    if (!std::filesystem::exists(context.AccountPath)) return std::string(kAccountFileFailureText);
    const std::string chart =
        MakeBalanceCharts({InOutChartRequest(ChartAreaWidth(context.PanelWidth), context.BrowserHeight)});
    return "<h2 style=\"margin-bottom:5px\">口座推移　<font size=\"-1\"><a href=\"" + HtmlEscape(context.WebBase) +
           "inout.html\" target=\"_blank\" style=\"color:#FFFFFF\">※ 使い方の詳細はこちら</a></font></h2>" +
           StatusBox("全期間", chart);
}
