// The main status page: totals, the accounts, virtual funds, balance charts,
// the signal's strengths, the signal's target against the held position per
// account, and every position held. Drawing reads; it never changes or
// deletes a file, so an unreadable signal shows as such on the page.

#include "reporting/HtmlReadme.h"

#include "base/AkUnit.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/SignalDocument.h"
#include "reporting/GoogleChart.h"
#include "reporting/StatusSignalBoxes.h"
#include "reporting/StatusFormats.h"

#include <filesystem>

namespace {

const char kNoAccounts[] = "<p>口座がまだ登録されておりません</p>";

std::string PageHeading(pugi::xml_node summary)
{
    pugi::xml_node latest = summary.child("LatestUpdate");
    const std::string stamp = IsTextElement(latest) ? "最終更新 : " + HtmlEscape(NodeText(latest)) : std::string();
    return "<h2>口座ステータス一覧　<font color=\"#FFFFFF\" size=\"-1\">" + stamp + "</font></h2>\r\n";
}

std::string Totals(pugi::xml_node summary)
{
    pugi::xml_node today = summary.child("Today");
    return "<span class=\"account_box\"><span class=\"account_total\"><h3>全口座・総合</h3><ul>"
           "<li>口座資産:" + MoneyHtml(ChildValue(today, "Balance"), "JPY") +
           "<li>評価資産:" + MoneyHtml(ChildValue(today, "BalancePL"), "JPY") +
           "<li>含み損益:" + MoneyHtml(ChildValue(today, "PL"), "JPY", true) + "</ul></span>";
}

std::string AccountValuations(const std::vector<pugi::xml_node>& accounts)
{
    std::string html = "<span class=\"account_trader\"><h3>各口座・評価資産</h3><ul>";
    if (accounts.empty()) html += "<li>なし</li>";
    for (pugi::xml_node account : accounts) {
        pugi::xml_node today = account.child("Today");
        html += "<li>" + HtmlEscape(AccountName(account)) + " … " +
                MoneyHtml(ChildValue(today, "BalancePL"), ChildValue(account, "AccountBaseCurrency")) + " (" +
                ProfitPercentText(today) + ")</li>";
    }
    return html + "</ul></span>";
}

std::string FundsCell(double amount)
{
    return "<td>&nbsp" + MoneyHtml(FormatDecimal(amount), "JPY") + "&nbsp</td>";
}

std::string VirtualFundsRow(pugi::xml_node account)
{
    const std::string name = "<tr><td>" + HtmlEscape(AccountName(account)) + "</td>";
    const std::string unreadable = name + "<td colspan=\"3\">" + kBadValueText + "</td></tr>";
    double real = 0;
    double difference = 0;
    if (!ChildNumber(account.child("Today"), "Balance", real)) return unreadable;
    const bool virtualMode = ReadsAsTrue(ChildValue(account, "VirtualBalanceMode"));
    if (virtualMode && !ChildNumber(account, "VirtualBalance", difference)) return unreadable;
    return name + FundsCell(virtualMode ? real + difference : 0) + FundsCell(real) + FundsCell(difference) + "</tr>";
}

std::string VirtualFunds(const std::vector<pugi::xml_node>& accounts)
{
    std::string html = "<span class=\"account_trader\"><h3 style=\"margin-bottom:5px\">仮想資金ステータス</h3>"
                       "<table style=\"margin-left:30px; font-size:80%\">";
    html += accounts.empty() ? "<ul><li>なし</li></ul>"
                             : "<tr><td></td><td align=\"center\">仮想資金</td><td align=\"center\">実資金</td>"
                               "<td align=\"center\">差額</td></tr>";
    for (pugi::xml_node account : accounts) html += VirtualFundsRow(account);
    return html + "</table></span>";
}

std::string BalanceCharts(int panelWidth)
{
    const int w = ChartAreaWidth(panelWidth);
    const int half = static_cast<int>(RoundHalfAway(w / 2.3));
    const int full = static_cast<int>(RoundHalfAway(w / 1.05));
    const std::vector<std::string> shortCharts =
        SplitLines(MakeBalanceCharts({{7, "", half, 100}, {30, "", half, 100}, {180, "", full, 100}}));
    const std::string whole = MakeBalanceCharts({{-1, "", full, 120}});
    return SectionHeading("口座推移") +
           "<span class=\"chart\"><span class=\"chart_title2\"><b>1週間</b></span>"
           "<span class=\"chart_title2\"><b>1ヶ月</b></span>"
           "<span class=\"chart_body2\">" + shortCharts.at(0) + "</span>"
           "<span class=\"chart_body2\">" + shortCharts.at(1) + "</span></span>"
           "<span class=\"chart\"><span class=\"chart_title\"><b>半年</b></span><span class=\"chart_body\">" +
           shortCharts.at(2) + "</span></span>"
           "<span class=\"chart\"><span class=\"chart_title\"><b>全期間</b></span><span class=\"chart_body\">" +
           whole + "</span></span>\r\n";
}

std::string SignalFileFailure(const std::string& signalPath)
{
    return "<p>シグナルファイル \"" + HtmlEscape(std::filesystem::path(signalPath).filename().string()) +
           "\" を読み込めませんでした</p>";
}

std::string SignalList(const std::string& signalPath, pugi::xml_document* signal)
{
    std::string html = SectionHeading("シグナル一覧");
    if (signalPath.empty()) return html + "<p>まだシグナルを一度も受信しておりません</p>";
    html += "<p style=\"margin-bottom:5px\"><font size=\"-1\">以下、現在の各シグナルの強さです（値は０～１の範囲）</font></p>";
    if (!signal) return html + SignalFileFailure(signalPath);
    for (pugi::xml_node pair : SignalPairs(HoldPositionSummaryOf(*signal))) html += SignalStrengthBox(pair);
    return html;
}

std::string SignalPositionsSection(const std::string& signalPath, pugi::xml_document* signal,
                                   pugi::xml_document& accountDoc, bool demoMode)
{
    std::string html = SectionHeading("シグナルポジション一覧");
    if (signalPath.empty()) {
        html += "<p>まだ自動売買を一度も実行しておりません</p>";
    } else {
        html += "<p><font size=\"-1\"><b>上段がシグナル</b>の指定するポジションサイズ、<b>下段が口座</b>で実際に建っているポジションサイズです<br>"
                "シグナルのポジションサイズは、<a href=\"Portfolio_Tab\">[ポートフォリオ]タブ</a>で設定された口座別・ポートフォリオレバレッジを反映したポジションサイズです"
                "<br>(口座のポジションサイズ = 口座資産 x 口座のポートフォリオレバレッジの合計)</font></p>";
        const std::vector<pugi::xml_node> accounts = AccountElements(accountDoc);
        if (accounts.empty()) html += kNoAccounts;
        else if (!signal) html += SignalFileFailure(signalPath);
        else
            for (pugi::xml_node account : accounts)
                html += SignalPositionBox(account, PortfolioElement(accountDoc), HoldPositionSummaryOf(*signal), demoMode);
    }
    return html + "<p><font size=\"-1\">※ 適用シグナルファイル : " +
           HtmlEscape(std::filesystem::path(signalPath).filename().string()) + "</font></p>";
}

std::string AllPositions(const std::vector<pugi::xml_node>& accounts)
{
    std::string html = SectionHeading("全ポジション一覧") +
                       "<p><font size=\"-1\">サーバー上で確認された、実際に現在保有中の全ポジションの詳細です</font></p>";
    if (accounts.empty()) html += kNoAccounts;
    for (pugi::xml_node account : accounts) html += HeldPositionsBox(account);
    return html;
}

} // namespace

const char kAccountFileFailureText[] =
    "<h2>口座ファイルを取得できませんでした</h2>\r\n"
    "<p>ネットワーク設定を見直してから、Pellago本体を再起動してください</p>\r\n"
    "<p>※特殊なネットワーク環境にある方はProxyの設定が必要な場合があります。<br>\r\n"
    "Proxyの設定は<a href=\"User_Tab\">[ユーザー]タブ</a>の左側下方にある\"<b>Proxyを使用して通信する</b>\"から行ってください";

std::optional<std::string> MainStatusPageHtml(const TStatusPageContext& context)
{
    if (context.AccountPath.empty()) return std::nullopt;
    pugi::xml_document doc;
    if (!std::filesystem::exists(context.AccountPath) || !LoadAccountDocument(doc, context.AccountPath))
        return std::string(kAccountFileFailureText);
    pugi::xml_node summary = DocumentRoot(doc).child("AccountSummary");
    const std::vector<pugi::xml_node> accounts = AccountElements(doc);
    pugi::xml_document signalDoc;
    pugi::xml_document* signal =
        !context.SignalPath.empty() && LoadSignalDocument(context.SignalPath, signalDoc) ? &signalDoc : nullptr;
    return PageHeading(summary) + Totals(summary) + AccountValuations(accounts) + VirtualFunds(accounts) +
           BalanceCharts(context.PanelWidth) + SignalList(context.SignalPath, signal) +
           SignalPositionsSection(context.SignalPath, signal, doc, context.DemoMode) + AllPositions(accounts);
}
