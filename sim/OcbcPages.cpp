#include "OcbcPages.h"

#include "HandheldPage.h"
#include "PriceBoard.h"

#include <algorithm>
#include <cmath>

namespace sim::ocbc {

namespace {

std::string Line(const std::string& html)
{
    return html + "<br>\n";
}

std::string Heading(const std::string& text)
{
    return "<p>" + EscapeMarkup(text) + "</p>\n";
}

std::string MenuLink()
{
    return "<a href=\"Menu.do\" accesskey=\"0\">メニューへ</a>";
}

// Every page inside a session ends with the way back to the menu.
std::string Footer()
{
    return "<hr>\n" + Line(MenuLink());
}

std::string Slashed(const std::string& pair)
{
    return pair.size() == 6 ? pair.substr(0, 3) + "/" + pair.substr(3) : pair;
}

std::string Rate(const std::string& pair, double rate)
{
    return PriceBoard::FormatRate(pair, rate);
}

std::string SideWord(bool buy) { return buy ? "買" : "売"; }

// A figure line of the account page: the amount is the line's first tag.
std::string FigureLine(const std::string& label, const std::string& amount, const std::string& unit)
{
    return Line(label + ":<font color=\"#000080\">" + amount + "</font>" + unit);
}

std::string Field(const std::string& caption, const std::string& name, const std::string& value,
                  const std::string& unit)
{
    return Line(caption + ":<input type=\"text\" name=\"" + name + "\" value=\"" + EscapeMarkup(value) +
                "\" size=\"4\" istyle=\"4\">" + unit);
}

std::string SubmitButton(const std::string& caption)
{
    return "<input type=\"submit\" name=\"submit\" value=\"" + caption + "\">\n";
}

std::string KeyForm(const std::string& action, const std::string& key, const std::string& inner)
{
    return "<form action=\"" + action + "\" method=\"post\">\n<input type=\"hidden\" name=\"henkouKey\" value=\"" +
           EscapeMarkup(key) + "\">\n" + inner + "</form>\n";
}

} // namespace

Page LoginPage(const std::string& message)
{
    std::string body = Heading("FXﾓﾊﾞｲﾙ ﾛｸﾞｲﾝ");
    if (!message.empty())
        body += Line("<font color=\"#ff0000\">" + EscapeMarkup(message) + "</font>");
    body += "<form action=\"LoginAction.do\" method=\"post\">\n" +
            Line("ﾛｸﾞｲﾝID<br>\n<input type=\"text\" name=\"loginId\" value=\"\" size=\"12\" istyle=\"3\">") +
            Line("ﾊﾟｽﾜｰﾄﾞ<br>\n<input type=\"password\" name=\"password\" value=\"\" size=\"12\">") +
            "<input type=\"submit\" value=\"ﾛｸﾞｲﾝ\">\n</form>\n";
    return {"ﾛｸﾞｲﾝ", body};
}

Page LogoutPage()
{
    return {"ﾛｸﾞｱｳﾄ", Heading("ﾛｸﾞｱｳﾄしました。") + Line(Link("Login.do", "ﾛｸﾞｲﾝ画面へ"))};
}

Page SessionEndedPage()
{
    return {"ﾀｲﾑｱｳﾄ", Heading("一定時間操作がなかったため、接続が切れました。再度ﾛｸﾞｲﾝしてください。") +
                          Line(Link("Login.do", "ﾛｸﾞｲﾝ画面へ"))};
}

Page NoticePage(const std::string& message)
{
    return {"ｴﾗｰ", Heading(message) + Footer()};
}

Page PasswordExpiredPage(const std::string& key)
{
    std::string body = Heading("ﾊﾟｽﾜｰﾄﾞの有効期限が近づいています。") +
                       Line("お客様の安全のため、ﾊﾟｽﾜｰﾄﾞを変更してください。") +
                       KeyForm("PasswordChange.do", key, SubmitButton("パスワード変更画面へ"));
    return {"ﾊﾟｽﾜｰﾄﾞ有効期限", body};
}

Page PasswordFormPage(const std::string& key, const std::string& message)
{
    std::string body = Heading("ﾊﾟｽﾜｰﾄﾞ変更");
    if (!message.empty())
        body += Line("<font color=\"#ff0000\">" + EscapeMarkup(message) + "</font>");
    body += KeyForm("PasswordConfirm.do", key,
                    Line("新しいﾊﾟｽﾜｰﾄﾞ<br>\n<input type=\"password\" name=\"newPassword\" value=\"\" size=\"12\">") +
                        Line("新しいﾊﾟｽﾜｰﾄﾞ(確認)<br>\n<input type=\"password\" name=\"newPasswordConfirm\" value=\"\" "
                             "size=\"12\">") +
                        SubmitButton("確認"));
    return {"ﾊﾟｽﾜｰﾄﾞ変更", body};
}

Page PasswordConfirmPage(const std::string& key)
{
    std::string body = Heading("ﾊﾟｽﾜｰﾄﾞ変更確認") + Line("入力されたﾊﾟｽﾜｰﾄﾞに変更します。よろしいですか？") +
                       KeyForm("PasswordDone.do", key, SubmitButton("変更"));
    return {"ﾊﾟｽﾜｰﾄﾞ変更確認", body};
}

Page PasswordChangedPage()
{
    return {"ﾊﾟｽﾜｰﾄﾞ変更完了", Heading("ﾊﾟｽﾜｰﾄﾞを変更しました。新しいﾊﾟｽﾜｰﾄﾞで再度ﾛｸﾞｲﾝしてください。") +
                                   Line(Link("Login.do", "ﾛｸﾞｲﾝ画面へ"))};
}

Page MenuPage(const std::string& accountName)
{
    std::string body = Heading("ﾒﾆｭｰ") + Line(EscapeMarkup(accountName) + " 様") +
                       Line("<a href=\"Account.do\" accesskey=\"1\">口座状況</a>") +
                       Line("<a href=\"OrderMenu.do\" accesskey=\"2\">注文</a>") +
                       Line("<a href=\"SettlementList.do\" accesskey=\"3\">決済</a>") +
                       "<hr>\n" +
                       Line("<a href=\"Logout.do\" accesskey=\"9\">ログアウト</a>");
    return {"ﾒﾆｭｰ", body};
}

Page AccountPage(const Figures& figures)
{
    double free = figures.valuation - figures.margin;
    std::string ratio = figures.margin > 0 ? std::to_string(std::llround(figures.valuation * 100 / figures.margin)) : "-";
    std::string body = Heading("口座状況") + FigureLine("(1)口座資産", MoneyText(figures.deposit), "円") +
                       FigureLine("(2)評価損益", MoneyText(figures.unrealized), "円") +
                       FigureLine("(3)有効証拠金", MoneyText(figures.valuation), "円") +
                       FigureLine("(4)必要証拠金", MoneyText(figures.margin), "円") +
                       FigureLine("(5)発注可能額", MoneyText(free > 0 ? free : 0), "円") +
                       FigureLine("(6)証拠金維持率", ratio, "%") + Footer();
    return {"口座状況", body};
}

Page OrderMenuPage(const std::vector<std::pair<std::string, double>>& quotes)
{
    std::string body = Heading("注文 通貨ﾍﾟｱ選択");
    for (const auto& [pair, rate] : quotes)
        body += Line(Slashed(pair) + " " + Rate(pair, rate) + " " + Link("NewOrder.do?pair=" + pair, "新規注文"));
    return {"注文", body + Footer()};
}

Page OrderFormPage(const std::string& pair, double rate, const std::string& token)
{
    std::string body =
        Heading("新規注文 " + Slashed(pair)) + Line("現在ﾚｰﾄ " + Rate(pair, rate)) +
        "<form action=\"OrderAction.do\" method=\"post\">\n<input type=\"hidden\" name=\"token\" value=\"" +
        EscapeMarkup(token) + "\">\n" +
        Line("<input type=\"radio\" name=\"baibaiKubun\" value=\"" + std::string(kBuy) +
             "\">買 <input type=\"radio\" name=\"baibaiKubun\" value=\"" + kSell + "\">売") +
        Field("数量", "suuryou", "", "枚") + Field("許容ｽﾘｯﾌﾟ", "kyoyouSlip", "", "pips") + SubmitButton("成行注文") +
        "</form>\n" + Footer();
    return {"新規注文", body};
}

Page OrderDonePage(const OrderResult& result)
{
    std::string body = Heading("ご注文が約定しました。");
    for (const Execution& execution : result.executions)
        body += Line(std::string(execution.kind == "open" ? "新規 " : "決済 ") + Slashed(execution.pair) + " " +
                     SideWord(execution.buy) + " " + std::to_string(execution.lots) + "枚 " +
                     Rate(execution.pair, execution.rate));
    return {"注文完了", body + Footer()};
}

Page SettlementListPage(const std::vector<Position>& positions)
{
    std::string body = Heading("決済 建玉一覧");
    if (positions.empty())
        body += Line("保有建玉はありません。");
    std::vector<std::string> pairs;
    for (const Position& position : positions)
        if (std::find(pairs.begin(), pairs.end(), position.pair) == pairs.end())
            pairs.push_back(position.pair);
    for (const std::string& pair : pairs) {
        body += "<hr>\n" + Line("通貨ペア:" + Slashed(pair));
        std::string shownRate;
        for (const Position& position : positions) {
            if (position.pair != pair)
                continue;
            std::string rate = Rate(pair, position.rate);
            if (rate != shownRate)
                body += Line("約定R:" + rate);
            shownRate = rate;
            body += Line(SideWord(position.buy) + ":" + std::to_string(position.lots));
            std::string number = std::to_string(position.id);
            body += Line("注文番号:" + number + " " + Link("PositionDetail.do?pbangou=" + number, "決済"));
        }
    }
    return {"決済", body + Footer()};
}

Page PositionPage(const Position& position)
{
    std::string number = std::to_string(position.id);
    std::string body = Heading("建玉詳細") + Line(Link("CloseForm.do?pbangou=" + number, "決済")) +
                       Line("通貨ﾍﾟｱ " + Slashed(position.pair)) + Line("売買 " + SideWord(position.buy)) +
                       Line("数量 " + std::to_string(position.lots) + "枚") +
                       Line("約定ﾚｰﾄ " + Rate(position.pair, position.rate)) + Line("注文番号 " + number) + Footer();
    return {"建玉詳細", body};
}

Page CloseFormPage(const Position& position, const std::string& token)
{
    std::string number = std::to_string(position.id);
    std::string body = Heading("決済注文 " + Slashed(position.pair) + " " + SideWord(position.buy)) +
                       "<form action=\"CloseAction.do\" method=\"post\">\n<input type=\"hidden\" name=\"pbangou\" value=\"" +
                       number + "\">\n<input type=\"hidden\" name=\"token\" value=\"" + EscapeMarkup(token) + "\">\n" +
                       Field("数量", "suuryou", std::to_string(position.lots), "枚") +
                       Field("許容ｽﾘｯﾌﾟ", "kyoyouSlip", "", "pips") + SubmitButton("成行決済") + "</form>\n" + Footer();
    return {"決済注文", body};
}

Page CloseDonePage(const Execution& execution)
{
    std::string body = Heading("決済注文が約定しました。") +
                       Line(Slashed(execution.pair) + " " + std::to_string(execution.lots) + "枚 " +
                            Rate(execution.pair, execution.rate)) +
                       Line("決済損益 " + MoneyText(execution.realized) + "円") + Footer();
    return {"決済完了", body};
}

} // namespace sim::ocbc
