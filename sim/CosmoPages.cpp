#include "CosmoPages.h"

#include "HandheldPage.h"
#include "PriceBoard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sim::cosmo {

namespace {

const std::pair<const char*, const char*> kCurrencyNames[] = {
    {"USD", "米ﾄﾞﾙ"}, {"EUR", "ﾕｰﾛ"}, {"GBP", "ﾎﾟﾝﾄﾞ"}, {"JPY", "円"}, {"AUD", "豪ﾄﾞﾙ"}, {"NZD", "NZﾄﾞﾙ"}};

std::string CurrencyName(const std::string& code)
{
    for (const auto& [known, name] : kCurrencyNames)
        if (code == known)
            return name;
    return code;
}

std::string E(const std::string& text) { return EscapeMarkup(text); }

std::string Rate(const std::string& pair, double rate) { return PriceBoard::FormatRate(pair, rate); }

std::string SideName(bool buy) { return buy ? "買" : "売"; }

std::string Cell(const std::string& html) { return "<td>" + html + "</td>"; }
std::string Head(const std::string& html) { return "<th>" + html + "</th>"; }
std::string Row(const std::string& cells) { return "<tr>" + cells + "</tr>\n"; }

std::string Hidden(const std::string& name, const std::string& value)
{
    return "<input type=\"hidden\" name=\"" + name + "\" value=\"" + E(value) + "\">";
}

std::string Radio(const std::string& name, const std::string& value, const std::string& label, bool checked)
{
    return "<label><input type=\"radio\" name=\"" + name + "\" value=\"" + value + "\"" +
           (checked ? " checked" : "") + ">" + label + "</label> ";
}

std::string Button(const std::string& name, const std::string& caption)
{
    return "<input type=\"submit\" name=\"" + name + "\" value=\"" + caption + "\">";
}

std::string Nav()
{
    return "<div class=\"nav\"><a href=\"Home.do\">ホーム</a> | <a href=\"ViewAccountMargin.do\">証拠金状況</a> | "
           "<a href=\"ListContract.do\">建玉一覧</a> | <a href=\"NewSingleOrder.do\">新規注文</a> | "
           "<a href=\"Logout.do\">ログアウト</a></div>\n";
}

std::string Percent(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return buffer;
}

// The order's terms as the entry and confirmation pages carry them on.
std::string ConditionRows(const OrderTicket& order)
{
    return Row(Head("執行条件") + Cell(order.orderType == "MARKET" ? "成行" : E(order.orderType))) +
           Row(Head("有効期限") + Cell(order.expirationType == "DAY" ? "当日限り" : "無期限"));
}

std::string ConditionFields()
{
    return "<p>執行条件 " + Radio("orderType", "MARKET", "成行", false) + Radio("orderType", "LIMIT", "指値", true) +
           "</p>\n<p>有効期限 " + Radio("expirationType", "DAY", "当日限り", false) +
           Radio("expirationType", "GTC", "無期限", true) + "</p>\n";
}

std::string PositionCells(const Position& position, const std::string& amountField, double rate)
{
    return Cell(std::to_string(position.id)) + Cell(E(PairName(position.pair))) + Cell(SideName(position.buy)) +
           Cell(std::to_string(position.lots)) + Cell(amountField) + Cell(LocalTimeText(position.openedAt)) +
           Cell(Rate(position.pair, position.rate)) + Cell(Rate(position.pair, rate));
}

double RateOf(const std::vector<std::pair<std::string, double>>& quotes, const std::string& pair)
{
    for (const auto& [known, rate] : quotes)
        if (known == pair)
            return rate;
    return 0;
}

} // namespace

std::string PairName(const std::string& pair)
{
    return pair.size() == 6 ? CurrencyName(pair.substr(0, 3)) + "/" + CurrencyName(pair.substr(3)) : pair;
}

std::string ProductCode(const std::string& pair)
{
    return pair.size() == 6 ? "SPOT_" + pair.substr(0, 3) + "/" + pair.substr(3) : "";
}

std::string PairOfProduct(const std::string& product)
{
    const std::string prefix = "SPOT_";
    if (product.size() != prefix.size() + 7 || product.compare(0, prefix.size(), prefix) != 0 ||
        product[prefix.size() + 3] != '/')
        return "";
    return product.substr(prefix.size(), 3) + product.substr(prefix.size() + 4, 3);
}

std::string Document(const std::string& title, const std::string& body)
{
    return "<!DOCTYPE html>\n<html lang=\"ja\"><head>\n<meta charset=\"UTF-8\">\n<title>" + E(title) +
           " | コスモFX</title>\n<style>table{border-collapse:collapse}th,td{border:1px solid #999;padding:2px 6px}"
           ".nav{margin:8px 0}.message{color:#c00}</style>\n</head><body>\n<h1>コスモFX</h1>\n" +
           body + "</body></html>\n";
}

std::string LoginPage(const std::string& message)
{
    std::string body = "<h2>ログイン</h2>\n";
    if (!message.empty())
        body += "<p class=\"message\">" + E(message) + "</p>\n";
    body += "<form name=\"loginForm\" action=\"LoginAction.do\" method=\"post\">\n"
            "<p>ログインID <input type=\"text\" name=\"loginId\" value=\"\"></p>\n"
            "<p>パスワード <input type=\"password\" name=\"password\" value=\"\"></p>\n"
            "<p><input type=\"submit\" value=\"ログイン\"></p>\n</form>\n";
    return Document("ログイン", body);
}

std::string LogoutPage()
{
    return Document("ログアウト", "<p>ログアウトしました。</p>\n<p><a href=\"Login.do\">ログイン画面へ</a></p>\n");
}

std::string ErrorPage(const std::string& message)
{
    return Document("エラー", Nav() + "<p class=\"message\">" + E(message) + "</p>\n");
}

std::string HomePage(const std::string& accountName, const Figures& figures)
{
    std::string body = Nav() + "<p>" + E(accountName) + " 様</p>\n<table class=\"homeSummary\">\n" +
                       Row(Head("有効証拠金") + Cell(MoneyText(figures.valuation) + " 円")) +
                       Row(Head("評価損益") + Cell(MoneyText(figures.unrealized) + " 円")) + "</table>\n";
    return Document("ホーム", body);
}

std::string MarginPage(const Figures& figures, double pending)
{
    double ratio = figures.margin > 0 ? figures.valuation * 100 / figures.margin : 0;
    double free = std::max(0.0, figures.valuation - figures.margin);
    std::string body = Nav() + "<h2>証拠金状況</h2>\n<table class=\"marginSummary\">\n" +
                       Row(Head("預託証拠金額(円)") + Head("有効証拠金額(円)") + Head("評価損益(円)") +
                           Head("発注可能額(円)")) +
                       Row(Cell(MoneyText(figures.deposit - pending)) + Cell(MoneyText(figures.valuation)) +
                           Cell(MoneyText(figures.unrealized)) + Cell(MoneyText(free))) +
                       "</table>\n<table class=\"marginRatio\">\n" +
                       Row(Head("必要証拠金額(円)") + Head("発注証拠金額(円)") + Head("有効比率(%)") +
                           Head("ロスカット基準(%)") + Head("未受渡損益(円)")) +
                       Row(Cell(MoneyText(figures.margin)) + Cell("0") +
                           Cell(figures.margin > 0 ? Percent(ratio) : "-") + Cell("50") + Cell(MoneyText(pending))) +
                       "</table>\n";
    return Document("証拠金状況", body);
}

std::string ContractListPage(const ListView& view)
{
    const int total = static_cast<int>(view.positions.size());
    const int pages = std::max(1, (total + view.pageSize - 1) / view.pageSize);
    const int page = std::clamp(view.page, 1, pages);
    const int first = (page - 1) * view.pageSize;
    const int last = std::min(total, first + view.pageSize);

    std::string pairOptions = "<option value=\"\">指定なし</option>";
    for (const auto& [pair, rate] : view.quotes)
        pairOptions += "<option value=\"" + pair + "\"" + (pair == view.pairFilter ? " selected" : "") + ">" +
                       E(PairName(pair)) + "</option>";
    std::string sizeOptions;
    for (int size : kPageSizes)
        sizeOptions += "<option value=\"" + std::to_string(size) + "\"" + (size == view.pageSize ? " selected" : "") +
                       ">" + std::to_string(size) + "件</option>";
    std::string query = "ListContract.do?pair=" + view.pairFilter + "&pageSize=" + std::to_string(view.pageSize);
    std::string pager;
    if (page > 1)
        pager += "<a href=\"" + E(query + "&page=" + std::to_string(page - 1)) + "\">&lt;前へ</a> ";
    if (page < pages)
        pager += "<a href=\"" + E(query + "&page=" + std::to_string(page + 1)) + "\">次へ&gt;</a>";

    std::string body = Nav() + "<h2>建玉一覧</h2>\n"
                       "<form name=\"searchForm\" action=\"ListContract.do\" method=\"get\">\n"
                       "通貨ペア <select name=\"pair\">" + pairOptions + "</select>\n"
                       "表示件数 <select name=\"pageSize\">" + sizeOptions + "</select>\n" +
                       Button("searchBtn", "表示") + "\n</form>\n<table class=\"listInfo\">" +
                       Row(Cell("全" + std::to_string(total) + "件") +
                           Cell(total == 0 ? "-" : std::to_string(first + 1) + "～" + std::to_string(last) + "件を表示") +
                           Cell(pager.empty() ? "&nbsp;" : pager)) +
                       "</table>\n<form name=\"contractForm\" action=\"ForwardCloseSingleOrder.do\" method=\"post\">\n"
                       "<table class=\"PagedList\">\n" +
                       Row(Head("約定番号") + Head("通貨ペア") + Head("売買") + Head("建玉数量(Lot)") +
                           Head("決済数量") + Head("約定日時") + Head("約定価格") + Head("評価レート") +
                           Head("決済"));
    for (int i = first; i < last; ++i) {
        const Position& position = view.positions[static_cast<size_t>(i)];
        std::string amount = "<table class=\"amount\"><tr><td>" + Hidden("contractId", std::to_string(position.id)) +
                             "<input type=\"text\" name=\"closeOrderAmount\" value=\"\" size=\"5\"></td>"
                             "<td>Lot</td></tr></table>";
        body += Row(PositionCells(position, amount, RateOf(view.quotes, position.pair)) +
                    Cell("<a href=\"javascript:doForwardCloseSingleOrder()\">決済</a>"));
    }
    body += "</table>\n</form>\n"
            "<script>function doForwardCloseSingleOrder(){document.forms['contractForm'].submit();}</script>\n";
    return Document("建玉一覧", body);
}

std::string NewOrderPage(const std::vector<std::pair<std::string, double>>& quotes)
{
    std::string options;
    for (const auto& [pair, rate] : quotes)
        options += "<option value=\"" + E(ProductCode(pair)) + "\">" + E(PairName(pair)) + " (" + Rate(pair, rate) +
                   ")</option>";
    std::string body = Nav() + "<h2>新規注文</h2>\n"
                       "<form name=\"orderForm\" action=\"ConfirmSingleOrder.do\" method=\"post\">\n"
                       "<p>通貨ペア <select name=\"productId\">" + options + "</select></p>\n"
                       "<p>売買 " + Radio("buySellType", "BUY", "買", false) + Radio("buySellType", "SELL", "売", false) +
                       "</p>\n<p>数量 <input type=\"text\" name=\"orderAmount\" value=\"\" size=\"5\"> Lot</p>\n" +
                       ConditionFields() + "<p>" + Button("confirmBtn", "注文確認") + "</p>\n</form>\n";
    return Document("新規注文", body);
}

std::string OrderConfirmPage(const OrderTicket& order, double rate, const std::string& token)
{
    std::string body = Nav() + "<h2>新規注文 確認</h2>\n<table class=\"orderInfo\">\n" +
                       Row(Head("通貨ペア") + Cell(E(PairName(order.pair)))) +
                       Row(Head("売買") + Cell(SideName(order.buy))) +
                       Row(Head("数量(Lot)") + Cell(std::to_string(order.lots))) + ConditionRows(order) +
                       Row(Head("参考レート") + Cell(Rate(order.pair, rate))) + "</table>\n"
                       "<form name=\"orderForm\" action=\"ExecuteSingleOrder.do\" method=\"post\">\n" +
                       Hidden("token", token) + "\n<p>" + Button("orderBtn", "注文する") +
                       "</p>\n</form>\n";
    return Document("新規注文 確認", body);
}

std::string OrderDonePage(const OrderResult& result)
{
    std::string rows;
    for (const Execution& execution : result.executions)
        rows += Row(Cell(execution.kind == "open" ? "新規" : "決済") + Cell(E(PairName(execution.pair))) +
                    Cell(SideName(execution.buy)) + Cell(std::to_string(execution.lots)) +
                    Cell(Rate(execution.pair, execution.rate)));
    return Document("注文完了", Nav() + "<p>ご注文を受け付け、約定しました。</p>\n<table class=\"executions\">\n" +
                                   rows + "</table>\n<p><a href=\"Home.do\">ホームへ</a></p>\n");
}

std::string CloseEntryPage(const Position& position, int lots)
{
    std::string body = Nav() + "<h2>決済注文</h2>\n<table class=\"orderInfo\">\n" +
                       Row(Head("約定番号") + Cell(std::to_string(position.id))) +
                       Row(Head("通貨ペア") + Cell(E(PairName(position.pair)))) +
                       Row(Head("売買") + Cell(SideName(position.buy))) +
                       Row(Head("建玉数量(Lot)") + Cell(std::to_string(position.lots))) +
                       Row(Head("決済数量(Lot)") + Cell(std::to_string(lots))) + "</table>\n"
                       "<form name=\"closeForm\" action=\"ConfirmCloseSingleOrder.do\" method=\"post\">\n" +
                       Hidden("contractId", std::to_string(position.id)) + Hidden("closeOrderAmount", std::to_string(lots)) +
                       "\n" + ConditionFields() + "<p>" + Button("confirmBtn", "注文確認") + "</p>\n</form>\n";
    return Document("決済注文", body);
}

std::string CloseConfirmPage(const Position& position, const OrderTicket& close, double rate,
                             const std::string& token)
{
    std::string body = Nav() + "<h2>決済注文 確認</h2>\n<table class=\"orderInfo\">\n" +
                       Row(Head("約定番号") + Cell(std::to_string(position.id))) +
                       Row(Head("通貨ペア") + Cell(E(PairName(position.pair)))) +
                       Row(Head("決済売買") + Cell(SideName(!position.buy))) +
                       Row(Head("決済数量(Lot)") + Cell(std::to_string(close.lots))) + ConditionRows(close) +
                       Row(Head("参考レート") + Cell(Rate(position.pair, rate))) + "</table>\n"
                       "<form name=\"closeForm\" action=\"ExecuteCloseSingleOrder.do\" method=\"post\">\n" +
                       Hidden("token", token) + "\n<p>" + Button("orderBtn", "注文する") +
                       "</p>\n</form>\n";
    return Document("決済注文 確認", body);
}

std::string CloseDonePage(const Execution& execution)
{
    return Document("決済完了", Nav() + "<p>決済注文を受け付け、約定しました。</p>\n<table class=\"executions\">\n" +
                                   Row(Cell(E(PairName(execution.pair))) + Cell(SideName(execution.buy)) +
                                       Cell(std::to_string(execution.lots)) +
                                       Cell(Rate(execution.pair, execution.rate)) +
                                       Cell(MoneyText(execution.realized) + " 円")) +
                                   "</table>\n<p><a href=\"Home.do\">ホームへ</a></p>\n");
}

} // namespace sim::cosmo
