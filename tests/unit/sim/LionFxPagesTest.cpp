#include "HandheldPage.h"
#include "LionFxPages.h"

#include <gtest/gtest.h>

#include <regex>

using namespace sim;
using namespace sim::lionfx;

namespace {

std::vector<std::string> Divs(const std::string& body)
{
    std::vector<std::string> divs;
    std::regex div("<div>([^<]*)</div>");
    for (auto it = std::sregex_iterator(body.begin(), body.end(), div); it != std::sregex_iterator(); ++it)
        divs.push_back((*it)[1]);
    return divs;
}

struct Anchor {
    std::string href;
    std::string accessKey;
    std::string text;
};

std::vector<Anchor> Anchors(const std::string& body)
{
    std::vector<Anchor> anchors;
    std::regex a(R"re(<a href="([^"]*)"(?: accesskey="(\d)")?>([^<]*)</a>)re");
    for (auto it = std::sregex_iterator(body.begin(), body.end(), a); it != std::sregex_iterator(); ++it)
        anchors.push_back({(*it)[1], (*it)[2], (*it)[3]});
    return anchors;
}

std::vector<std::string> Keys(const std::string& body)
{
    std::vector<std::string> keys;
    for (const Anchor& anchor : Anchors(body))
        if (!anchor.accessKey.empty())
            keys.push_back(anchor.accessKey);
    return keys;
}

std::string ValueAfter(const std::vector<std::string>& divs, const std::string& label)
{
    for (size_t i = 0; i + 1 < divs.size(); ++i)
        if (divs[i] == label)
            return divs[i + 1];
    return "<missing>";
}

Position MakePosition(long long id, bool buy, int lots)
{
    Position position;
    position.id = id;
    position.ticket = "2024/05/01 10:00:0" + std::to_string(id);
    position.pair = "EURUSD";
    position.buy = buy;
    position.lots = lots;
    position.rate = 1.0851;
    return position;
}

} // namespace

TEST(LionFxPages, DivListIsFlatLabelValuePairs)
{
    Figures figures{1234567, -8901, 1225666};
    OrderResult result;
    result.executions.push_back(Execution{1, 0, "open", "EURUSD", true, 2, 1.08, 1, 0});
    Page pages[] = {AccountPage(figures), PairSummaryPage("EURUSD", 3, 5), PositionPage(MakePosition(1, true, 3), 1, 1),
                    CloseFormPage(MakePosition(1, true, 3)), OrderDonePage(result), MenuPage(), LoginPage("x")};
    for (const Page& page : pages) {
        EXPECT_EQ(page.body.find("<div><div"), std::string::npos);
        size_t opened = 0, closed = 0;
        for (size_t p = page.body.find("<div"); p != std::string::npos; p = page.body.find("<div", p + 1))
            ++opened;
        for (size_t p = page.body.find("</div>"); p != std::string::npos; p = page.body.find("</div>", p + 1))
            ++closed;
        EXPECT_EQ(opened, Divs(page.body).size()) << page.title << ": every div is a plain text div";
        EXPECT_EQ(opened, closed);
        EXPECT_EQ(Divs(page.body).size() % 2, 0u) << page.title;
        EXPECT_EQ(page.body.find("ページを"), std::string::npos) << "a good page never reads like a server error";
        EXPECT_EQ(page.body.find("Login.do"), std::string::npos) << page.title;
    }
}

TEST(LionFxPages, FiguresAreGroupedDigitsAndSizesEndInMai)
{
    auto account = Divs(AccountPage(Figures{1234567, -8901, 1225666}).body);
    EXPECT_EQ(ValueAfter(account, "証拠金預託額"), "1,234,567");
    EXPECT_EQ(ValueAfter(account, "有効証拠金額"), "1,225,666");
    auto summary = Divs(PairSummaryPage("EURUSD", 3, 5).body);
    EXPECT_EQ(ValueAfter(summary, "買数量"), "3枚");
    EXPECT_EQ(ValueAfter(summary, "売数量"), "5枚");
    auto position = Divs(PositionPage(MakePosition(1, false, 10), 1, 1).body);
    EXPECT_EQ(ValueAfter(position, "約定日時"), "2024/05/01 10:00:01");
    EXPECT_EQ(ValueAfter(position, "売買"), "売");
    EXPECT_EQ(ValueAfter(position, "約定価格"), "1.08510");
    EXPECT_EQ(ValueAfter(position, "残数量"), "10枚");
}

TEST(LionFxPages, ThousandsSeparators)
{
    struct Case {
        long long value;
        const char* text;
    } cases[] = {{0, "0"}, {999, "999"}, {1000, "1,000"}, {-1000, "-1,000"}, {1234567, "1,234,567"}, {-12, "-12"}};
    for (const Case& c : cases)
        EXPECT_EQ(GroupThousands(c.value), c.text);
    EXPECT_EQ(MoneyText(1234.5), "1,235");
}

TEST(LionFxPages, AccessKeysLeadWhereTheSiteSays)
{
    struct Case {
        Page page;
        std::vector<std::string> keys;
    } cases[] = {
        {MenuPage(), {"1", "3", "5"}},
        {InquiryPage(), {"1", "2", "0"}},
        {TradePage(), {"1", "2", "0"}},
        {OrderMenuPage(), {"1", "0"}},
        {PairSummaryPage("EURUSD", 0, 0), {"2", "0"}},
        {PositionPage(MakePosition(1, true, 1), 1, 3), {"2", "1", "0"}},
        {PositionPage(MakePosition(3, true, 1), 3, 3), {"1", "0"}}, // no next on the last page
        {NoPositionPage("EURUSD"), {"1", "0"}},
        {LoginPage(""), {}},
        {SessionEndedPage(), {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Keys(c.page.body), c.keys) << c.page.title;
}

TEST(LionFxPages, OnePositionPerPageWithOneExactCloseLink)
{
    std::string body = PositionPage(MakePosition(7, true, 2), 2, 3).body;
    int tickets = 0;
    for (const std::string& div : Divs(body))
        tickets += div == "約定日時";
    EXPECT_EQ(tickets, 1);
    int closeLinks = 0;
    for (const Anchor& anchor : Anchors(body))
        if (anchor.text == "決済") {
            ++closeLinks;
            EXPECT_EQ(anchor.href, "CloseForm.do?position=7");
        }
    EXPECT_EQ(closeLinks, 1);
}

TEST(LionFxPages, PairLinksCarryTheSlashedPairText)
{
    auto links = Anchors(PositionPairsPage({{"EURUSD", 2}, {"USDJPY", 1}}).body);
    ASSERT_GE(links.size(), 2u);
    EXPECT_NE(links[0].text.find("EUR/USD"), std::string::npos);
    EXPECT_NE(links[1].text.find("USD/JPY"), std::string::npos);
    auto summary = Anchors(SummaryPairsPage({"GBPJPY"}).body);
    EXPECT_EQ(summary.at(0).text, "GBP/JPY");
}

TEST(LionFxPages, FormsCarryTheFieldNamesClientsFill)
{
    struct Case {
        Page page;
        std::vector<std::string> names;
    } cases[] = {
        {LoginPage(""), {"id", "password", "submit"}},
        {OrderFormPage({"EURUSD"}), {"comCode", "tradeSignAsString", "straddlingAsString", "oexcSignAsString", "orderCount", "submit"}},
        {OrderConfirmPage(PendingOrder{"EURUSD", true, 2, false}, 1.08, "t1"), {"token", "submit"}},
        {CloseFormPage(MakePosition(1, true, 1)), {"position", "oexcSignAsString", "submit"}},
        {CloseConfirmPage(MakePosition(1, true, 1), "t2"), {"token", "submit"}},
    };
    for (const Case& c : cases)
        for (const std::string& name : c.names)
            EXPECT_NE(c.page.body.find("name=\"" + name + "\""), std::string::npos) << c.page.title << " " << name;
    EXPECT_NE(OrderFormPage({"EURUSD"}).body.find("value=\"B\""), std::string::npos);
    EXPECT_NE(OrderFormPage({"EURUSD"}).body.find("value=\"S\""), std::string::npos);
}

TEST(LionFxPages, OnlyTheSessionPagesLeadToLogin)
{
    for (const Page& page : {SessionEndedPage(), LogoutPage()}) {
        auto links = Anchors(page.body);
        ASSERT_EQ(links.size(), 1u);
        EXPECT_EQ(links[0].href, "Login.do");
    }
    EXPECT_NE(MenuPage().body.find(">ﾛｸﾞｱｳﾄ</a>"), std::string::npos);
}
