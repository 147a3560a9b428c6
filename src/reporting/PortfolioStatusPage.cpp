// The portfolio status page: each account's total leverage, and each
// portfolio's average leverage over the accounts, followed by the help.

#include "reporting/HtmlReadme.h"

#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "reporting/SignalPositions.h"
#include "reporting/StatusFormats.h"

#include <filesystem>

namespace {

const char kNoAccountsPage[] = "<h2>口座情報がまだ登録されておりません</h2><p>初めてご使用の場合は、ポートフォリオ設定の前に<br>"
                               "「口座」タブより口座情報をご設定ください</p>";

// The account's leverage on the item, counted only where the account has a
// leverage element there.
double Contribution(pugi::xml_node item, pugi::xml_node account, bool demoMode)
{
    return FindChildElementNoCase(item, LeverageElementName(account)) ? AccountLeverage(item, account, demoMode) : 0;
}

std::string AccountTotal(pugi::xml_node portfolio, pugi::xml_node account, bool demoMode)
{
    double total = 0;
    for (pugi::xml_node group : PortfolioGroups(portfolio))
        for (pugi::xml_node item : PortfolioItems(group)) total += Contribution(item, account, demoMode);
    return "<div style=\"width:180px; margin:10 10 0 5; font-size:80%; border-bottom: 1px solid #333333;\">"
           "<span style=\"width:70%; font-weight:bold; margin-left:5px;\">" + HtmlEscape(AccountName(account)) +
           "</span><font color=\"#884444\" Style=\"text-align:right\"><b>" + FormatFactor(total, 2) + " </b>倍</font></div>";
}

std::string ItemCells(pugi::xml_node item, const std::vector<pugi::xml_node>& accounts, bool demoMode)
{
    double sum = 0;
    for (pugi::xml_node account : accounts) sum += Contribution(item, account, demoMode);
    return "<td style=\"padding: 0 0 0 0\">" + HtmlEscape(AttributeValue(item, "Name")) +
           "</td><td style=\"padding: 0 10 0 10\"><font color=\"#884444\"><b>" +
           FormatFactor(sum / static_cast<double>(accounts.size()), 2) + " </b>倍</font></td>";
}

// Two items to a row.
std::string GroupTable(pugi::xml_node group, const std::vector<pugi::xml_node>& accounts, bool demoMode)
{
    const std::vector<pugi::xml_node> items = PortfolioItems(group);
    std::string rows;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i % 2 == 0) rows += "<tr>";
        rows += ItemCells(items[i], accounts, demoMode);
        if (i % 2 == 1 || i + 1 == items.size()) rows += "</tr>";
    }
    return "<h4 style=\"margin:0 10 0 0; padding-left:5px; font-size:80%; border-bottom: 1px solid #333333;\">" +
           HtmlEscape(AttributeValue(group, "Name")) + "</h4><table style=\"font-size:80%; margin : 0 0 0 5; padding:0 0 0 0\">" +
           rows + "</table>";
}

} // namespace

std::string PortfolioStatusPageHtml(const TStatusPageContext& context)
{
    pugi::xml_document doc;
    if (context.AccountPath.empty() || !std::filesystem::exists(context.AccountPath) ||
        !LoadAccountDocument(doc, context.AccountPath))
        return kNoAccountsPage;
    const std::vector<pugi::xml_node> accounts = AccountElements(doc);
    if (accounts.empty()) return kNoAccountsPage;
    pugi::xml_node portfolio = PortfolioElement(doc);
    std::string html = "<h2>ポートフォリオ・ステータス</h2><span class=\"account_box\"><span class=\"account_total\" "
                       "style=\"width:200px\"><h3 style=\"margin-bottom:0px; padding-left:10px\">口座別 レバレッジ合計</h3>";
    for (pugi::xml_node account : accounts) html += AccountTotal(portfolio, account, context.DemoMode);
    html += "</span><span class=\"account_trader\"><h3 style=\"margin-bottom:10px; padding-left:0px\">"
            "ポートフォリオ別 平均レバレッジ</h3>";
    const std::vector<pugi::xml_node> groups = PortfolioGroups(portfolio);
    if (groups.empty()) html += "<p>ポートフォリオがまだ設定されておりません</p>";
    for (size_t i = 0; i < groups.size(); ++i)
        html += (i ? "<br>" : "") + GroupTable(groups[i], accounts, context.DemoMode);
    return html + "</span></span>" + HelpPageHtml(THelpPage::Portfolio);
}
