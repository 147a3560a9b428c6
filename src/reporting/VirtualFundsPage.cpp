// The virtual-funds status page of one account: its real figures, the
// virtual ones when virtual funds are on, and the help that goes with them.

#include "reporting/HtmlReadme.h"

#include "base/AkUnit.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "reporting/SignalPositions.h"
#include "reporting/StatusFormats.h"

namespace {

std::string Money(double amount, const std::string& currency)
{
    return MoneyHtml(FormatDecimal(amount), currency);
}

// The virtual lines of the box, or nothing in real mode; `virtualBalance`
// becomes the balance the account trades with.
std::string VirtualLines(pugi::xml_node account, double balance, double& virtualBalance)
{
    virtualBalance = balance;
    if (!ReadsAsTrue(ChildValue(account, "VirtualBalanceMode"))) return "";
    const std::string currency = ChildValue(account, "AccountBaseCurrency");
    double funds = 0;
    double valuation = 0;
    if (!ChildNumber(account, "VirtualBalance", funds) || !ChildNumber(account.child("Today"), "BalancePL", valuation))
        return std::string("<li>") + kBadValueText + "<br><br>";
    virtualBalance = balance + funds;
    const double virtualValuation = valuation + funds;
    return "<li>仮想口座資産 … <b>" + Money(virtualBalance, currency) + "</b><br>" + "<li>仮想評価資産 … <b>" +
           Money(virtualValuation, currency) + "</b>(" + ChangePercentText(virtualValuation, virtualBalance) +
           ")<br>" + "<li>実口座との差 … <b>" + Money(funds, currency) + "</b><br><br>";
}

} // namespace

TVirtualFundsPage VirtualFundsPageHtml(pugi::xml_node account)
{
    pugi::xml_node today = account.child("Today");
    const std::string currency = ChildValue(account, "AccountBaseCurrency");
    const std::string title = "<h2>" + HtmlEscape(AccountName(account)) + " 仮想資金ステータス</h2>";
    std::string box = "<span class=\"account_box\"><span class=\"account_total\" style=\"width:500px\"><ul><li>口座資産 … " +
                      MoneyHtml(ChildValue(today, "Balance"), currency) + "<br><li>評価資産 … " +
                      MoneyHtml(ChildValue(today, "BalancePL"), currency) + "(" + ProfitPercentText(today) + ")<br><br>";
    const std::string end = "</ul></span></span>" + HelpPageHtml(THelpPage::VirtualFunds);
    double balance = 0;
    if (!ChildNumber(today, "Balance", balance)) return {title + box + end, false};
    if (balance < 1) return {title + box + end, true};
    double virtualBalance = balance;
    box += VirtualLines(account, balance, virtualBalance);
    const std::string ratio = "<p>仮想資金倍率 … <b>" + FormatFactor(virtualBalance / balance, 2) + " 倍</b>　</p>";
    return {title + ratio + box + end, false};
}
