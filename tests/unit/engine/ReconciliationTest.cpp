// Close-then-open fixing, the final position check and its HoldPosition
// record, net lots and the currency list, over the in-memory broker.

#include "broker/Reconciliation.h"
#include "documents/DocumentNodes.h"
#include "unit/engine/EngineFixtures.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {

std::shared_ptr<InMemoryBook> SideBySideBook() {
    auto book = std::make_shared<InMemoryBook>();
    book->CounterTradeCloses = false;
    return book;
}

struct FixCase {
    const char* title;
    std::vector<int> startLots;  // USDJPY positions, negative = sell
    bool buy;
    int maxLots;
    int lots;
    std::map<int, bool> unknown;
    bool expectedResult;
    std::vector<std::string> expectedOrders;
    int expectedNet;
    std::string expectedLine;
};

class FixPositionCases : public ::testing::TestWithParam<FixCase> {};

TEST_P(FixPositionCases, ClosesOppositePositionsThenOpensTheRest) {
    const FixCase& c = GetParam();
    auto book = SideBySideBook();
    for (int lots : c.startLots) book->Hold("USDJPY", lots);
    book->UnknownOutcome = c.unknown;
    LogCapture log;
    auto session = Session(book, log);
    ASSERT_TRUE(session->Active);

    pugi::xml_document doc;
    pugi::xml_node holding = doc.append_child("HoldPosition");
    pugi::xml_node moved = doc.append_child("MovedPosition");
    EXPECT_EQ(session->FixPosition("USDJPY", c.buy, holding, moved, c.maxLots, c.lots), c.expectedResult);
    EXPECT_EQ(book->Orders, c.expectedOrders);
    EXPECT_EQ(book->NetLots("USDJPY"), c.expectedNet);
    if (!c.expectedLine.empty()) EXPECT_TRUE(log.Has("[外為オンライン] " + c.expectedLine)) << c.expectedLine;
}

INSTANTIATE_TEST_SUITE_P(
    Engine, FixPositionCases,
    ::testing::Values(
        FixCase{"ClosesWholeThenOnePartially", {-3, -2, -5}, true, 10, 6, {}, true,
                {"Close T1 -1", "Close T2 -1", "Close T3 1"}, -4,
                "[FixPosition] 正常に 6 Lot分の決済に成功。FixPositionを終了します"},
        FixCase{"OpensInOrdersOfAtMostTheMaximum", {}, true, 3, 7, {}, true,
                {"Open USDJPY Buy 3", "Open USDJPY Buy 3", "Open USDJPY Buy 1"}, 7,
                "[FixPosition] Sellポジションはありませんので、7 Lotを BuyOpenします"},
        FixCase{"ClosesAllThenOpensTheRest", {-1, 4, -1}, true, 10, 5, {}, true,
                {"Close T1 -1", "Close T3 -1", "Open USDJPY Buy 3"}, 7,
                "[FixPosition] Sellポジションは全て決済したので、残り 3 Lotは BuyOpenします"},
        FixCase{"SellDirectionClosesBuys", {2, 2}, false, 10, 3, {}, true,
                {"Close T1 -1", "Close T2 1"}, 1, "[FixPosition] Buy 1 Lotの部分決済に成功. 残り 0 Lot"},
        FixCase{"UnknownOpenStopsTheOrders", {}, false, 3, 7, {{2, false}}, false,
                {"Open USDJPY Sell 3"}, -3,
                "[FixPosition] Error! USDJPY 3 LotのSellOpenの成否が不明です。重複を避けるため、次回実行時に再確認します"},
        FixCase{"UnknownWholeCloseEndsAtOnce", {-3, -2}, true, 10, 6, {{1, true}}, false, {"Close T1 -1"}, -2,
                "[FixPosition] Erorr! Ticket=T1 Sell-3 Unitsの決済の成否が不明です。残り 6 "
                "Unitsの処理が残っていますが、重複を避けるため今回は処理を抜けます"},
        FixCase{"UnknownPartialCloseEndsAtOnce", {-5}, true, 10, 2, {{1, false}}, false, {}, -5,
                "[FixPosition] Erorr! Ticket=T1 Sell-2 Lotの決済の成否が不明です。残り 2 "
                "Lotの処理が残っていますが、重複を避けるため今回は処理を抜けます"},
        FixCase{"OrderSizeBelowOneFailsWithoutTrading", {-1}, true, 0, 3, {}, false, {}, -1, ""}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(FixPosition, BaseVersionOnlyReportsTheConfigurationError) {
    auto book = std::make_shared<InMemoryBook>();  // closes by counter trade
    LogCapture log;
    auto session = Session(book, log, "LionFX");
    pugi::xml_document doc;
    EXPECT_FALSE(session->FixPosition("USDJPY", true, doc, doc, 10, 3));
    EXPECT_TRUE(book->Orders.empty());
    ASSERT_EQ(log.CountContaining(" .FixPosition Error! LionFXは本来反対売買による決済が可能なので"), 1);
}

// ---------------------------------------------------------------------------

struct CheckSetup {
    std::shared_ptr<InMemoryBook> book = std::make_shared<InMemoryBook>();
    LogCapture log;
    pugi::xml_document signal;
    pugi::xml_document account;
    pugi::xml_node holding;

    explicit CheckSetup(const std::vector<std::string>& signalPairs) {
        pugi::xml_node summary = signal.append_child("HoldPositionSummary");
        for (const auto& p : signalPairs) summary.append_child(p.c_str());
        holding = account.append_child("HoldPosition");
        holding.append_child("Stale");
    }
    bool Run(const TUnitSizeArray& targets) {
        auto session = Session(book, log);
        return session->EnumTicketEx(holding, signal.child("HoldPositionSummary"), targets);
    }
};

TEST(EnumTicketEx, RecordsEveryReportedPairWithWeightedRateAndSignedNet) {
    CheckSetup s({"USDJPY", "EURUSD", "EURJPY"});
    s.book->CounterTradeCloses = false;
    s.book->Hold("USDJPY", 3, "100.5");
    s.book->Hold("USDJPY", -1, "101.5");
    s.book->Hold("EURUSD", -2, "1.1");
    s.book->Hold("EURJPY", 1, "150");
    s.book->Hold("EURJPY", -1, "151");
    EXPECT_TRUE(s.Run({{2, "USDJPY"}, {-2, "eurusd"}, {0, "EURJPY"}}));

    EXPECT_FALSE(s.holding.child("Stale"));
    EXPECT_FALSE(AttributeValue(s.holding, "LatestDateTime").empty());
    pugi::xml_node summary = s.holding.child("Summary");
    std::vector<std::string> names;
    for (pugi::xml_node n : ChildElements(summary)) names.push_back(n.name());
    EXPECT_EQ(names, std::vector<std::string>(kReportingPairs.begin(), kReportingPairs.end()));
    // (100.5*3 - 101.5*1) / 2 = 100
    EXPECT_EQ(ChildValue(summary.child("USDJPY"), "OpenRate"), "100");
    EXPECT_EQ(ChildValue(summary.child("USDJPY"), "Trend"), "Buy");
    EXPECT_EQ(ChildValue(summary.child("USDJPY"), "Units"), "2");
    EXPECT_EQ(ChildValue(summary.child("EURUSD"), "Trend"), "Sell");
    EXPECT_EQ(ChildValue(summary.child("EURUSD"), "Units"), "-2");
    EXPECT_EQ(ChildValue(summary.child("EURUSD"), "OpenRate"), "1.1");
    EXPECT_FALSE(summary.child("EURJPY").first_child());  // net 0: empty

    pugi::xml_node currency = s.holding.child("Currency");
    EXPECT_STREQ(currency.first_child().name(), "Other");
    pugi::xml_node sell = currency.child("USDJPY").child("Position").next_sibling("Position");
    EXPECT_EQ(ChildValue(sell, "OpenRate"), "101.5");
    EXPECT_EQ(ChildValue(sell, "Trend"), "Sell");
    EXPECT_EQ(ChildValue(sell, "Units"), "1");
    EXPECT_TRUE(s.log.Has("[外為オンライン] [EnumTicketEx] EURJPY SignalLots = 0, ServerLots = 0"));
    EXPECT_TRUE(s.log.Has("[外為オンライン] [EnumTicketEx] EURJPY のLot数は一致しています"));
    EXPECT_TRUE(s.book->Orders.empty());
}

TEST(EnumTicketEx, RateIsCutToSixCharacters) {
    CheckSetup s({"EURUSD"});
    s.book->Hold("EURUSD", 1, "1.123456");
    s.book->Hold("EURUSD", 2, "1.2");
    EXPECT_TRUE(s.Run({{3, "EURUSD"}}));
    EXPECT_EQ(ChildValue(s.holding.child("Summary").child("EURUSD"), "OpenRate"), "1.1744");
    s.book->Positions.clear();
    s.book->Hold("EURUSD", 3, "1.1234567");
    EXPECT_TRUE(s.Run({{3, "EURUSD"}}));
    EXPECT_EQ(ChildValue(s.holding.child("Summary").child("EURUSD"), "OpenRate"), "1.1234");
}

struct ScopeCase {
    const char* title;
    std::map<int, bool> unknown;
    bool expected;
};

class OutOfScopeCases : public ::testing::TestWithParam<ScopeCase> {};

TEST_P(OutOfScopeCases, PositionsInPairsTheSignalDoesNotNameAreClosed) {
    CheckSetup s({"USDJPY"});
    s.book->Hold("USDJPY", 2);
    s.book->Hold("GBPJPY", -3);  // a reporting pair, but not in the signal
    s.book->UnknownOutcome = GetParam().unknown;
    EXPECT_EQ(s.Run({{2, "USDJPY"}}), GetParam().expected);
    EXPECT_TRUE(s.log.Has("[外為オンライン] [EnumTicketEx] 対象外の通貨 GBPJPY のポジション(Ticket=T2)を確認。手仕舞います"));
    EXPECT_FALSE(s.holding.child("Currency").child("GBPJPY").first_child());
    EXPECT_EQ(s.log.Has("[外為オンライン] 手仕舞いに成功しました"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Engine, OutOfScopeCases,
                         ::testing::Values(ScopeCase{"CloseSucceeds", {}, true},
                                           ScopeCase{"CloseOutcomeUnknown", {{1, true}}, false}),
                         [](const auto& info) { return std::string(info.param.title); });

TEST(EnumTicketEx, MismatchIsReportedAndFails) {
    CheckSetup s({"USDJPY"});
    s.book->Hold("USDJPY", 1);
    EXPECT_FALSE(s.Run({{2, "USDJPY"}}));
    EXPECT_TRUE(s.log.Has("[外為オンライン] [EnumTicketEx] USDJPY のLot数にはズレがあります"));
}

TEST(EnumTicketEx, SignalPairsOutsideTheReportedSixAreStillCompared) {
    CheckSetup s({"AUDJPY"});
    s.book->Hold("AUDJPY", 1);
    EXPECT_FALSE(s.Run({{2, "AUDJPY"}}));
    EXPECT_TRUE(s.book->Orders.empty());  // in scope: never closed
    EXPECT_FALSE(s.holding.child("Currency").child("AUDJPY"));
}

TEST(EnumTicketEx, UnreadablePositionsLeaveOnlyTheMark) {
    CheckSetup s({"USDJPY"});
    s.book->FailEnumTickets = 1000;
    EXPECT_FALSE(s.Run({{0, "USDJPY"}}));
    EXPECT_TRUE(ChildElements(s.holding).empty());
    EXPECT_EQ(NodeText(s.holding), "miss:EnumTicket");
    EXPECT_FALSE(AttributeValue(s.holding, "LatestDateTime").empty());
}

TEST(EnumTicketEx, BrokenPositionTextLeavesTheOverrideMark) {
    CheckSetup s({"USDJPY"});
    s.book->Hold("USDJPY", 1);
    s.book->Hold("GBPJPY", 1);
    s.book->Positions[0].Units = "1.5";
    EXPECT_FALSE(s.Run({{1, "USDJPY"}}));
    EXPECT_EQ(NodeText(s.holding), "miss:EnumTicketOverride");
    EXPECT_FALSE(s.holding.child("Summary"));
    EXPECT_TRUE(s.book->Orders.empty());  // nothing closed after the error
}

// ---------------------------------------------------------------------------

TEST(EnumUnits, SumsSignedSizesPerPairInOrderOfFirstAppearance) {
    auto book = SideBySideBook();
    book->Hold("EURUSD", -2);
    book->Hold("USDJPY", 3);
    book->Hold("eurusd", 5);
    book->Hold("USDJPY", -3);
    LogCapture log;
    TUnitSizeArray units;
    ASSERT_TRUE(Session(book, log)->EnumUnits(units));
    ASSERT_EQ(units.size(), 2u);
    EXPECT_EQ(units[0].Pair, "EURUSD");
    EXPECT_EQ(units[0].Lots, 3);
    EXPECT_EQ(units[1].Pair, "USDJPY");
    EXPECT_EQ(units[1].Lots, 0);

    book->Positions[1].Units = "three";
    EXPECT_FALSE(Session(book, log)->EnumUnits(units));
    book->FailEnumTickets = 1000;
    EXPECT_FALSE(Session(book, log)->EnumUnits(units));
}

TEST(CurrencyList, StoresPairsWithoutSlashAndIgnoresCase) {
    TCurrencyList list;
    EXPECT_TRUE(list.AllPairs);
    list.Add("EUR/USD");
    list.Add("eurusd");
    list.Add("USDJPY");
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Items().front(), "EURUSD");
    EXPECT_TRUE(list.Contains("Eur/Usd"));
    EXPECT_FALSE(list.Contains("GBPJPY"));
}

} // namespace
