// The texts of the status pages, built from an account document, the newest
// signal and the balance history in a scratch program folder.

#include "reporting/HtmlReadme.h"
#include "reporting/StatusFormats.h"
#include "support/StatusFixtures.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using statusfixture::Account;
using statusfixture::System;

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

class StatusPages : public ::testing::Test {
protected:
    testsupport::ScratchDir dir;
    statusfixture::Program program{dir.path()};

    std::string MainPage(const std::vector<Account>& accounts, const std::vector<System>& systems)
    {
        program.WriteAccounts(accounts, systems);
        program.WriteSignal(statusfixture::SignalXml(systems));
        return MainStatusPageHtml(program.Context()).value();
    }
};

const System kBreakout{"USDJPY", "Breakout", 1, 2, {{"1", "2"}}};

TEST_F(StatusPages, WithoutAccountsEverySectionSaysSo)
{
    const std::string page = MainPage({}, {kBreakout});
    EXPECT_NE(page.find("<h3>各口座・評価資産</h3><ul><li>なし</li></ul>"), std::string::npos);
    EXPECT_NE(page.find("<table style=\"margin-left:30px; font-size:80%\"><ul><li>なし</li></ul></table>"), std::string::npos);
    EXPECT_EQ(Count(page, "<p>口座がまだ登録されておりません</p>"), 2u);
    EXPECT_NE(page.find("<h2>口座ステータス一覧　<font color=\"#FFFFFF\" size=\"-1\">最終更新 : 2024/01/05 9:30</font></h2>"),
              std::string::npos);
}

TEST_F(StatusPages, SignalTargetAgainstTheHeldPosition)
{
    Account held;
    held.holdPosition = "<Summary><USDJPY><OpenRate>151.2</OpenRate><Trend>Sell</Trend><Units>-3</Units></USDJPY></Summary>";
    const std::string page = MainPage({held}, {kBreakout});
    EXPECT_NE(page.find("<p style=\"margin-top:10px;line-height: 1.8\">Breakout … Buy 0.5 倍　</font><br></p>"),
              std::string::npos);
    EXPECT_NE(page.find("USDJPY　…　<b>Buy 10</b> <font size=\"-2\">lot　(signal : 100万0円 x 1 = 10000 Units)</font><br>"
                        "USDJPY　…　<b>Sell 3</b> <font size=\"-2\">lot　(server : 平均 151.2 で保有中)</font><br>"),
              std::string::npos);
    EXPECT_NE(page.find("※ 適用シグナルファイル : 0105.xml"), std::string::npos);
}

TEST_F(StatusPages, FailedPositionCheckShowsOnEveryPair)
{
    Account failed;
    failed.holdPosition = "miss:EnumTicket";
    const std::string page = MainPage({failed}, {kBreakout, {"EURJPY", "Swing", 0, 2, {}}});
    EXPECT_EQ(Count(page, "　…　<b style=\"color:#0000FF; font-size:80%\">取得に失敗</b><br>"), 2u);
}

TEST_F(StatusPages, UnreadableValuesFailTheirItemOnly)
{
    Account bad;
    bad.name = "Bad";
    bad.unique = "2";
    bad.minLot = "0";
    Account good;
    System system = kBreakout;
    system.leverages["2"] = "2";
    const std::string page = MainPage({bad, good}, {system});
    EXPECT_NE(page.find(std::string("USDJPY　…　") + kBadValueText), std::string::npos);
    EXPECT_NE(page.find("<b>Buy 10</b>"), std::string::npos) << "the other account is still shown";

    program.WriteSignal("<Signal><HoldPositionSummary><USDJPY><Breakout UseSystemCount=\"0\" PositionCount=\"1\"/>"
                        "</USDJPY></HoldPositionSummary></Signal>");
    EXPECT_NE(MainStatusPageHtml(program.Context())->find(std::string("Breakout … ") + kBadValueText),
              std::string::npos);
}

TEST_F(StatusPages, UnreadableSignalIsShownAndKept)
{
    program.WriteAccounts({Account{}}, {kBreakout});
    program.WriteSignal("<Signal><HoldPositionSummary>");
    const std::string page = MainStatusPageHtml(program.Context()).value();
    EXPECT_EQ(Count(page, "<p>シグナルファイル \"0105.xml\" を読み込めませんでした</p>"), 2u);
    EXPECT_TRUE(std::filesystem::exists(program.SignalPath())) << "discarding a signal is the trade run's";
}

TEST_F(StatusPages, TextsFromDocumentsAreEscaped)
{
    Account hostile;
    hostile.name = "&lt;script&gt;alert(1)&lt;/script&gt;"; // as the XML holds it
    const std::string main = MainPage({hostile}, {kBreakout});
    const std::string portfolio = PortfolioStatusPageHtml(program.Context());
    for (const std::string& page : {main, portfolio}) {
        EXPECT_EQ(page.find("<script>"), std::string::npos);
        EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    }
}

TEST_F(StatusPages, PortfolioRowsHoldTwoItems)
{
    program.WriteAccounts({Account{}}, {{"USDJPY", "A", 0, 1, {{"1", "1.5"}}},
                                        {"USDJPY", "B", 0, 1, {{"1", "x"}}},
                                        {"USDJPY", "C", 0, 1, {}}});
    const std::string page = PortfolioStatusPageHtml(program.Context());
    const std::string cell = "<td style=\"padding: 0 0 0 0\">";
    const std::string value = "</td><td style=\"padding: 0 10 0 10\"><font color=\"#884444\"><b>";
    EXPECT_NE(page.find("<tr>" + cell + "A" + value + "1.5 </b>倍</font></td>" + cell + "B" + value +
                        "0 </b>倍</font></td></tr><tr>" + cell + "C" + value + "0 </b>倍</font></td></tr></table>"),
              std::string::npos);
    EXPECT_NE(page.find("LionFX</span><font color=\"#884444\" Style=\"text-align:right\"><b>1.5 </b>倍</font>"),
              std::string::npos);
}

TEST_F(StatusPages, MissingAccountFileAndEmptyPath)
{
    TStatusPageContext context = program.Context();
    EXPECT_EQ(MainStatusPageHtml(context), std::string(kAccountFileFailureText));
    EXPECT_EQ(InOutPageHtml(context), std::string(kAccountFileFailureText));
    EXPECT_NE(PortfolioStatusPageHtml(context).find("口座情報がまだ登録されておりません"), std::string::npos);
    context.AccountPath.clear();
    EXPECT_FALSE(MainStatusPageHtml(context).has_value());
    EXPECT_FALSE(InOutPageHtml(context).has_value());
}

TEST(VirtualFundsPage, RatioAndZeroBalance)
{
    pugi::xml_document doc;
    Account funded;
    funded.virtualMode = "True";
    funded.virtualBalance = "1000000";
    ASSERT_TRUE(doc.load_string(statusfixture::AccountXml(funded).c_str()));
    const TVirtualFundsPage page = VirtualFundsPageHtml(doc.first_child());
    EXPECT_FALSE(page.ZeroBalance);
    EXPECT_NE(page.Html.find("<p>仮想資金倍率 … <b>2 倍</b>　</p><span class=\"account_box\">"), std::string::npos);
    EXPECT_NE(page.Html.find("<li>仮想評価資産 … <b>200万0円</b>(+0%)<br>"), std::string::npos);

    Account empty;
    empty.balance = "0";
    ASSERT_TRUE(doc.load_string(statusfixture::AccountXml(empty).c_str()));
    EXPECT_TRUE(VirtualFundsPageHtml(doc.first_child()).ZeroBalance);
}

} // namespace
