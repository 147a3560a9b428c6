// Target lots per pair from the signal, the leverages and the balance.

#include "trading/Sizing.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"
#include "documents/XmlFile.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct Account {
    std::string currency = "JPY";
    std::string unitSize = "10000";
    std::string minLot = "1";
    std::string virtualMode = "False";
    std::string virtualBalance = "0";
    std::string autoModel = "False";
    std::string ratio = "1";
};

std::string AccountXml(const Account& a)
{
    return "<A Name=\"Acc\"><UniqueNumber Visible=\"False\">40183.5</UniqueNumber><AccountBaseCurrency>" +
           a.currency + "</AccountBaseCurrency><AccountBaseUnitSize>" + a.unitSize +
           "</AccountBaseUnitSize><MinLotSize>" + a.minLot + "</MinLotSize><AutoModelCase>" + a.autoModel +
           "</AutoModelCase><AutoModelRatio>" + a.ratio + "</AutoModelRatio><VirtualBalanceMode>" + a.virtualMode +
           "</VirtualBalanceMode><VirtualBalance>" + a.virtualBalance + "</VirtualBalance></A>";
}

// A document with the portfolio items Alpha and Beta on USDJPY, leverages as given.
std::string PortfolioXml(const std::string& alphaLeverage, const std::string& betaLeverage)
{
    return "<Portfolio><G Name=\"USDJPY\"><I Name=\"Alpha\" RealModel=\"4\" DemoModel=\"6\">" + alphaLeverage +
           "</I><I Name=\"Beta\" RealModel=\"1\" DemoModel=\"1\">" + betaLeverage + "</I></G></Portfolio>";
}

std::string Leverage(const std::string& value)
{
    return "<UN40183.5 Visible=\"False\">" + value + "</UN40183.5>";
}

struct Fixture {
    pugi::xml_document doc;
    pugi::xml_document signal;
    std::vector<std::string> log;
    bool cancel = false;

    Fixture(const Account& account, const std::string& portfolio, const std::string& pairs)
    {
        EXPECT_TRUE(ParseXmlBytes("<root>" + portfolio + "<Accounts>" + AccountXml(account) + "</Accounts></root>", doc));
        EXPECT_TRUE(ParseXmlBytes("<S><HoldPositionSummary>" + pairs + "</HoldPositionSummary></S>", signal));
    }
    pugi::xml_node account() { return AccountAt(doc, 0); }
    TUnitSizeArray targets(double balance, bool realMode = true)
    {
        TUnitSizeArray result;
        EXPECT_TRUE(ComputeTargets(account(), PortfolioElement(doc), signal.document_element().child("HoldPositionSummary"),
                                   balance, realMode, cancel, [this](const std::string& l) { log.push_back(l); },
                                   result));
        return result;
    }
};

std::string System(const std::string& name, int count, int slots)
{
    return "<" + name + " UseSystemCount=\"" + std::to_string(slots) + "\" PositionCount=\"" + std::to_string(count) +
           "\"/>";
}

std::string UsdJpy(const std::string& systems)
{
    return "<USDJPY>" + systems + "</USDJPY>";
}

TEST(Sizing, TargetsRoundOnceToTheOrderStep)
{
    struct Case {
        const char* label;
        Account account;
        std::string alphaLeverage;
        int count;
        int slots;
        double balance;
        std::int32_t lots;
    };
    Account minLot2;
    minLot2.minLot = "2";
    Account dollar;
    dollar.currency = "USD";
    dollar.unitSize = "1000";
    Account virtualFunds;
    virtualFunds.virtualMode = "True";
    virtualFunds.virtualBalance = "500000";
    Account virtualDebt = virtualFunds;
    virtualDebt.virtualBalance = "-500000";
    const Case cases[] = {
        {"yen: 1.5 lots round up", {}, "3", 1, 2, 1000000, 2},
        {"yen, short", {}, "3", -1, 2, 1000000, -2},
        {"order step 2: 0.75 steps round to 1", minLot2, "3", 1, 2, 1000000, 2},
        {"dollar account is not divided by 100", dollar, "1", 1, 1, 10000, 10},
        {"virtual funds double the base", virtualFunds, "3", 1, 2, 500000, 2},
        {"negative virtual funds shrink it", virtualDebt, "3", 1, 2, 1000000, 1},
        {"-0.5 lots round away from zero", {}, "1", -1, 2, 1000000, -1},
        {"0.49 lots round to 0", {}, "1", 49, 100, 1000000, 0},
        {"0.5 lots round to 1", {}, "1", 1, 2, 1000000, 1},
        {"decimal leverage", {}, "0.35", 2, 3, 3000000, 1},  // 0.7 lots
    };
    for (const Case& c : cases) {
        Fixture f(c.account, PortfolioXml(Leverage(c.alphaLeverage), Leverage("0")),
                  UsdJpy(System("Alpha", c.count, c.slots)));
        const TUnitSizeArray targets = f.targets(c.balance);
        ASSERT_EQ(targets.size(), 1u) << c.label;
        EXPECT_EQ(targets[0].Lots, c.lots) << c.label;
        EXPECT_EQ(targets[0].Pair, "USDJPY") << c.label;
    }
}

TEST(Sizing, OpposingSystemsCancelOut)
{
    Fixture f({}, PortfolioXml(Leverage("2"), Leverage("2")),
              UsdJpy(System("Alpha", 1, 1) + System("Beta", -2, 2)));
    EXPECT_EQ(f.targets(1000000)[0].Lots, 0);
}

TEST(Sizing, OnePerPairInSignalOrderAndUnknownSystemsSkipped)
{
    Fixture f({}, PortfolioXml(Leverage("1"), Leverage("1")),
              "<EURUSD>" + System("Alpha", 1, 1) + "</EURUSD><usdjpy>" + System("zeta", 1, 1) + System("ALPHA", 1, 1) +
                  "</usdjpy><GBPJPY/>");
    const TUnitSizeArray targets = f.targets(1000000);
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(targets[0].Pair, "EURUSD");
    EXPECT_EQ(targets[0].Lots, 0) << "Alpha is not listed for EURUSD";
    EXPECT_EQ(targets[1].Pair, "usdjpy") << "the signal's spelling is kept";
    EXPECT_EQ(targets[1].Lots, 1);
    EXPECT_EQ(targets[2].Lots, 0);
    EXPECT_EQ(f.log, (std::vector<std::string>{
                         "[Acc] [0] Portfolio = Alphaは無効に設定されているので、スルーします",
                         "[Acc] [1] Portfolio = zetaは無効に設定されているので、スルーします",
                         "[Acc] [usdjpy] ALPHA = 1倍",
                     }));
}

TEST(Sizing, MissingLeverageIsCreatedAsZeroAndTradesNothing)
{
    Account modelCase;
    modelCase.autoModel = "True";
    for (const Account& account : {Account{}, modelCase}) {
        Fixture f(account, PortfolioXml("", Leverage("")), UsdJpy(System("Alpha", 1, 1) + System("Beta", 1, 1)));
        EXPECT_EQ(f.targets(1000000)[0].Lots, 0);
        pugi::xml_node group = PortfolioElement(f.doc).first_child();
        for (pugi::xml_node item : ChildElements(group)) {
            pugi::xml_node leverage = item.child("UN40183.5");
            EXPECT_EQ(NodeText(leverage), "0");
            EXPECT_TRUE(IsHiddenNode(leverage));
        }
        EXPECT_EQ(f.log[0], "[Acc] [USDJPY] Alpha = 0倍");
    }
}

TEST(Sizing, ModelCaseUsesTheModelLeverageTimesTheRatio)
{
    Account modelCase;
    modelCase.autoModel = "true";
    modelCase.ratio = "0.5";
    const struct {
        bool realMode;
        const char* line;
    } cases[] = {{true, "[Acc] [USDJPY] Alpha = 2倍"}, {false, "[Acc] [USDJPY] Alpha = 3倍"}};
    for (const auto& c : cases) {
        Fixture f(modelCase, PortfolioXml(Leverage("7"), Leverage("0")), UsdJpy(System("Alpha", 1, 1)));
        f.targets(10000, c.realMode);
        EXPECT_EQ(f.log[0], c.line);
    }
}

TEST(Sizing, LaterGroupOfTheSamePairIsSearchedToo)
{
    pugi::xml_document doc;
    ASSERT_TRUE(ParseXmlBytes("<root><Portfolio><G Name=\"USDJPY\"><I Name=\"Other\"/></G><G Name=\"usdjpy\">"
                              "<I Name=\"Alpha\">" + Leverage("1.5") + "</I></G></Portfolio><Accounts>" +
                                  AccountXml({}) + "</Accounts></root>",
                              doc));
    const TPortfolioLeverage found =
        FindPortfolioLeverage(PortfolioElement(doc), "UsdJpy", "alpha", AccountAt(doc, 0), true, [](auto&) {});
    EXPECT_TRUE(found.Found);
    EXPECT_DOUBLE_EQ(found.Leverage, 1.5);
    EXPECT_FALSE(FindPortfolioLeverage(PortfolioElement(doc), "EURUSD", "Alpha", AccountAt(doc, 0), true,
                                       [](auto&) {}).Found);
}

TEST(Sizing, RequiredValuesThatDoNotConvertEndTheRun)
{
    struct Case {
        const char* label;
        Account account;
        std::string alphaLeverage;
        std::string system;
    };
    auto with = [](auto change) {
        Account a;
        change(a);
        return a;
    };
    const std::string good = System("Alpha", 1, 2);
    const Case cases[] = {
        {"MinLotSize 0", with([](Account& a) { a.minLot = "0"; }), "1", good},
        {"MinLotSize text", with([](Account& a) { a.minLot = "x"; }), "1", good},
        {"AccountBaseUnitSize 0", with([](Account& a) { a.unitSize = "0"; }), "1", good},
        {"VirtualBalanceMode empty", with([](Account& a) { a.virtualMode = ""; }), "1", good},
        {"VirtualBalance empty in that mode",
         with([](Account& a) {
             a.virtualMode = "True";
             a.virtualBalance = "";
         }),
         "1", good},
        {"AutoModelCase empty", with([](Account& a) { a.autoModel = ""; }), "1", good},
        {"ratio empty in model case",
         with([](Account& a) {
             a.autoModel = "True";
             a.ratio = "";
         }),
         "1", good},
        {"leverage text", {}, "abc", good},
        {"UseSystemCount 0", {}, "1", System("Alpha", 0, 0)},
        {"PositionCount text", {}, "1", "<Alpha UseSystemCount=\"2\" PositionCount=\"one\"/>"},
    };
    for (const Case& c : cases) {
        Fixture f(c.account, PortfolioXml(Leverage(c.alphaLeverage), Leverage("0")), UsdJpy(c.system));
        TUnitSizeArray targets;
        EXPECT_THROW(ComputeTargets(f.account(), PortfolioElement(f.doc),
                                    f.signal.document_element().child("HoldPositionSummary"), 1000000, true, f.cancel,
                                    [](auto&) {}, targets),
                     DocumentValueError)
            << c.label;
    }
}

TEST(Sizing, UnlistedSystemsAreNeverConverted)
{
    Fixture f({}, PortfolioXml(Leverage("1"), Leverage("1")),
              UsdJpy("<Unknown UseSystemCount=\"0\" PositionCount=\"x\"/>" + System("Alpha", 1, 1)));
    EXPECT_EQ(f.targets(1000000)[0].Lots, 1);
}

TEST(Sizing, CancelStopsBeforeTheNextPair)
{
    Fixture f({}, PortfolioXml(Leverage("1"), Leverage("1")), UsdJpy(System("Alpha", 1, 1)));
    f.cancel = true;
    TUnitSizeArray targets{{5, "X"}};
    EXPECT_FALSE(ComputeTargets(f.account(), PortfolioElement(f.doc),
                                f.signal.document_element().child("HoldPositionSummary"), 1000000, true, f.cancel,
                                [](auto&) {}, targets));
    EXPECT_TRUE(targets.empty());
}

} // namespace
