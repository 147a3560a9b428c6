#include "LionFxPages.h"

#include "HandheldPage.h"
#include "PriceBoard.h"

namespace sim::lionfx {

namespace {

std::string Heading(const std::string& text)
{
    return "<p>" + EscapeMarkup(text) + "</p>\n";
}

std::string Line(const std::string& html)
{
    return html + "<br>\n";
}

// Every page inside a session ends with the way back to the menu.
std::string MenuFooter()
{
    return "<hr>\n" + Line(AccessKeyLink(0, "Menu.do", "ﾒﾆｭｰ"));
}

std::string SideLabel(bool buy) { return buy ? "買" : "売"; }

std::string Lots(int lots) { return std::to_string(lots) + "枚"; }

std::string PositionFigures(const Position& position)
{
    return LabelValue("約定日時", position.ticket) + LabelValue("売買", SideLabel(position.buy)) +
           LabelValue("約定価格", PriceBoard::FormatRate(position.pair, position.rate)) +
           LabelValue("残数量", Lots(position.lots));
}

std::string ConfirmForm(const std::string& action, const std::string& token, const std::string& caption)
{
    return "<form action=\"" + action + "\" method=\"post\">\n"
           "<input type=\"hidden\" name=\"token\" value=\"" + EscapeMarkup(token) + "\">\n"
           "<input type=\"submit\" name=\"submit\" value=\"" + EscapeMarkup(caption) + "\">\n"
           "</form>\n";
}

std::string MarketOrderSelect()
{
    return "執行条件<br>\n<select name=\"oexcSignAsString\"><option value=\"00\" selected>成行</option></select><br>\n";
}

} // namespace

std::string PairLabel(const std::string& pair)
{
    return pair.size() == 6 ? pair.substr(0, 3) + "/" + pair.substr(3) : pair;
}

Page LoginPage(const std::string& message)
{
    std::string body = Heading("LION FX ﾛｸﾞｲﾝ");
    if (!message.empty())
        body += Heading(message);
    body += "<form action=\"LoginAction.do\" method=\"post\">\n"
            "ﾛｸﾞｲﾝID<br>\n<input type=\"text\" name=\"id\" value=\"\"><br>\n"
            "ﾊﾟｽﾜｰﾄﾞ<br>\n<input type=\"password\" name=\"password\" value=\"\"><br>\n"
            "<input type=\"submit\" name=\"submit\" value=\"ﾛｸﾞｲﾝ\">\n"
            "</form>\n";
    return {"ﾛｸﾞｲﾝ", body};
}

Page LogoutPage()
{
    return {"ﾛｸﾞｱｳﾄ", Heading("ﾛｸﾞｱｳﾄしました。") + Line(Link("Login.do", "ﾛｸﾞｲﾝ画面へ"))};
}

Page SessionEndedPage()
{
    return {"ｾｯｼｮﾝ切断", Heading("ｾｯｼｮﾝが切断されました。再度ﾛｸﾞｲﾝしてください。") +
                              Line(Link("Login.do", "ﾛｸﾞｲﾝ画面へ"))};
}

Page NoticePage(const std::string& title, const std::string& message)
{
    return {title, Heading(message) + MenuFooter()};
}

Page MenuPage()
{
    std::string body = Heading("ﾒﾆｭｰ") + Line(AccessKeyLink(1, "Account.do", "口座状況")) +
                       Line(AccessKeyLink(3, "Trade.do", "取引")) + Line(AccessKeyLink(5, "Inquiry.do", "照会")) +
                       "<hr>\n" + Line(Link("Logout.do", "ﾛｸﾞｱｳﾄ"));
    return {"ﾒﾆｭｰ", body};
}

Page AccountPage(const Figures& figures)
{
    std::string body = Heading("口座状況") + LabelValue("証拠金預託額", MoneyText(figures.deposit)) +
                       LabelValue("評価損益", MoneyText(figures.unrealized)) +
                       LabelValue("有効証拠金額", MoneyText(figures.valuation)) + MenuFooter();
    return {"口座状況", body};
}

Page InquiryPage()
{
    std::string body = Heading("照会") + Line(AccessKeyLink(1, "Account.do", "口座状況")) +
                       Line(AccessKeyLink(2, "PositionSummary.do", "建玉ｻﾏﾘｰ")) + MenuFooter();
    return {"照会", body};
}

Page SummaryPairsPage(const std::vector<std::string>& pairs)
{
    std::string body = Heading("建玉ｻﾏﾘｰ");
    for (const std::string& pair : pairs)
        body += Line(Link("PairSummary.do?pair=" + pair, PairLabel(pair)));
    return {"建玉ｻﾏﾘｰ", body + MenuFooter()};
}

Page PairSummaryPage(const std::string& pair, int buyLots, int sellLots)
{
    std::string body = Heading("建玉ｻﾏﾘｰ " + PairLabel(pair)) + LabelValue("買数量", Lots(buyLots)) +
                       LabelValue("売数量", Lots(sellLots)) +
                       Line(AccessKeyLink(2, "PositionSummary.do", "戻る")) + MenuFooter();
    return {"建玉ｻﾏﾘｰ", body};
}

Page TradePage()
{
    std::string body = Heading("取引") + Line(AccessKeyLink(1, "OrderMenu.do", "新規注文")) +
                       Line(AccessKeyLink(2, "PositionPairs.do", "建玉一覧")) + MenuFooter();
    return {"取引", body};
}

Page OrderMenuPage()
{
    return {"新規注文", Heading("新規注文") + Line(AccessKeyLink(1, "OrderForm.do", "成行注文")) + MenuFooter()};
}

Page OrderFormPage(const std::vector<std::string>& pairs)
{
    std::string options;
    for (const std::string& pair : pairs)
        options += "<option value=\"" + pair + "\">" + PairLabel(pair) + "</option>";
    std::string body =
        Heading("成行注文") +
        "<form action=\"OrderConfirm.do\" method=\"post\">\n"
        "通貨ﾍﾟｱ<br>\n<select name=\"comCode\">" + options + "</select><br>\n"
        "売買<br>\n<input type=\"radio\" name=\"tradeSignAsString\" value=\"B\" checked>買\n"
        "<input type=\"radio\" name=\"tradeSignAsString\" value=\"S\">売<br>\n"
        "両建<br>\n<select name=\"straddlingAsString\"><option value=\"0\" selected>しない</option>"
        "<option value=\"1\">する</option></select><br>\n" +
        MarketOrderSelect() +
        "枚数<br>\n<input type=\"text\" name=\"orderCount\" value=\"\" size=\"4\"><br>\n"
        "<input type=\"submit\" name=\"submit\" value=\"確認\">\n"
        "</form>\n" + MenuFooter();
    return {"成行注文", body};
}

Page OrderConfirmPage(const PendingOrder& order, double rate, const std::string& token)
{
    std::string body = Heading("注文確認") + LabelValue("通貨ﾍﾟｱ", PairLabel(order.pair)) +
                       LabelValue("売買", SideLabel(order.buy)) + LabelValue("枚数", Lots(order.lots)) +
                       LabelValue("執行条件", "成行") +
                       LabelValue("参考ﾚｰﾄ", PriceBoard::FormatRate(order.pair, rate)) +
                       ConfirmForm("OrderExecute.do", token, "注文") + MenuFooter();
    return {"注文確認", body};
}

Page OrderDonePage(const OrderResult& result)
{
    std::string body = Heading("注文が約定しました。");
    for (const Execution& execution : result.executions)
        body += LabelValue(execution.kind == "open" ? "新規" : "決済",
                           PairLabel(execution.pair) + " " + SideLabel(execution.buy) + " " + Lots(execution.lots) +
                               " " + PriceBoard::FormatRate(execution.pair, execution.rate));
    return {"注文完了", body + MenuFooter()};
}

Page PositionPairsPage(const std::vector<std::pair<std::string, int>>& pairs)
{
    std::string body = Heading("建玉一覧");
    if (pairs.empty())
        body += Heading("建玉はありません。");
    for (const auto& [pair, count] : pairs)
        body += Line(Link("PositionList.do?pair=" + pair + "&page=1", PairLabel(pair) + "(" + std::to_string(count) + ")"));
    return {"建玉一覧", body + MenuFooter()};
}

Page PositionPage(const Position& position, int page, int pages)
{
    std::string body = Heading("建玉一覧 " + PairLabel(position.pair) + " " + std::to_string(page) + "/" +
                               std::to_string(pages)) +
                       PositionFigures(position) +
                       Line(Link("CloseForm.do?position=" + std::to_string(position.id), "決済"));
    if (page < pages)
        body += Line(AccessKeyLink(2, "PositionList.do?pair=" + position.pair + "&page=" + std::to_string(page + 1),
                                   "次へ"));
    body += Line(AccessKeyLink(1, "PositionPairs.do", "戻る")) + MenuFooter();
    return {"建玉一覧", body};
}

Page NoPositionPage(const std::string& pair)
{
    std::string body = Heading("建玉一覧 " + PairLabel(pair)) + Heading("建玉はありません。") +
                       Line(AccessKeyLink(1, "PositionPairs.do", "戻る")) + MenuFooter();
    return {"建玉一覧", body};
}

Page CloseFormPage(const Position& position)
{
    std::string body = Heading("決済注文 " + PairLabel(position.pair)) + PositionFigures(position) +
                       "<form action=\"CloseConfirm.do\" method=\"post\">\n"
                       "<input type=\"hidden\" name=\"position\" value=\"" + std::to_string(position.id) + "\">\n" +
                       MarketOrderSelect() +
                       "<input type=\"submit\" name=\"submit\" value=\"確認\">\n"
                       "</form>\n" + MenuFooter();
    return {"決済注文", body};
}

Page CloseConfirmPage(const Position& position, const std::string& token)
{
    std::string body = Heading("決済確認 " + PairLabel(position.pair)) + PositionFigures(position) +
                       LabelValue("執行条件", "成行") + ConfirmForm("CloseExecute.do", token, "決済") + MenuFooter();
    return {"決済確認", body};
}

Page CloseDonePage(const Execution& execution)
{
    std::string body = Heading("決済が約定しました。") +
                       LabelValue("決済", PairLabel(execution.pair) + " " + SideLabel(execution.buy) + " " +
                                              Lots(execution.lots) + " " +
                                              PriceBoard::FormatRate(execution.pair, execution.rate)) +
                       LabelValue("決済損益", MoneyText(execution.realized)) + MenuFooter();
    return {"決済完了", body};
}

} // namespace sim::lionfx
