// The Cosmo adapter in a real browser engine against the simulator's Cosmo
// site: pages addressed by name, the margin tables, the paged position
// table with the site's currency names, closes entered in a position's
// row, and orders placed beside opposite positions.
#include "AdapterTestKit.h"
#include "broker/Cosmo.h"

using namespace browsertest;

namespace {

class CosmoAdapter : public AdapterSuite<TCosmo> {
protected:
    CosmoAdapter() : AdapterSuite({"cosmo", "/cosmo/Login.do", "コスモ"}) {}
    static void SetUpTestSuite() { StartSim(); }
};

TEST_F(CosmoAdapter, TheMarginTablesGiveTheBalanceWithTodaysUndeliveredProfit) {
    // 2 lots bought 1 yen below the market: 20,000 yen in profit.
    SetPositions(R"([{"pair":"USDJPY","side":"buy","lots":2,"rate":149.0}])");
    auto session = Open();
    ASSERT_TRUE(session->Active);
    EXPECT_EQ(session->BaseURL, sim->Url("/cosmo/"));
    EXPECT_EQ(session->Balance, 1234567);
    EXPECT_EQ(session->BalancePL, 1254567);

    TTicketArray tickets;
    ASSERT_TRUE(session->EnumTicket(tickets));
    ASSERT_TRUE(session->ClosePosition(tickets.at(0), -1));
    // The profit is booked but not yet delivered: the site lists it apart.
    ASSERT_TRUE(session->LogOnAndCheck());
    EXPECT_EQ(session->Balance, 1254567);
    EXPECT_EQ(session->BalancePL, 1254567);
}

TEST_F(CosmoAdapter, RowsGiveSignedTicketsAndClosesAreEnteredInTheirRow) {
    SetPositions(R"([{"pair":"EURJPY","side":"sell","lots":2,"rate":163.25},
                     {"pair":"GBPUSD","side":"buy","lots":5,"rate":1.27},
                     {"pair":"USDJPY","side":"buy","lots":1}])");
    const auto book = Book();
    auto session = Open();
    ASSERT_TRUE(session->Active);

    TTicketArray tickets;
    ASSERT_TRUE(session->EnumTicket(tickets));
    ASSERT_EQ(tickets.size(), 3u);
    EXPECT_EQ(tickets[0].Ticket, book[0].ticket);
    EXPECT_EQ(tickets[0].Pair, "EURJPY") << "the site writes ﾕｰﾛ/円";
    EXPECT_EQ(tickets[0].Units, "-2");
    EXPECT_FALSE(tickets[0].IsBuy);
    EXPECT_EQ(tickets[0].OpenRate, "163.250");
    EXPECT_EQ(tickets[1].Pair, "GBPUSD");
    EXPECT_EQ(tickets[1].Units, "5");
    EXPECT_TRUE(Logged("[EnumTicket] " + book[0].ticket + ", EURJPY, 163.250, Sell, 2 Lot"));
    EXPECT_TRUE(Logged("建玉全 3 件"));
    EXPECT_FALSE(Logged("List拡張..."));

    // The third row: the two empty amounts before it must not shift the row closed.
    ASSERT_TRUE(session->ClosePosition(tickets[2], -1));
    ASSERT_TRUE(session->ClosePosition(tickets[1], 3));
    EXPECT_EQ(Net(), (std::map<std::string, int>{{"EURJPY", -2}, {"GBPUSD", 2}}));

    // A ticket whose rate differs from its row's names no row: nothing is submitted.
    TTicket stale = tickets[0];
    stale.OpenRate = "1.00000";
    const long long closes = Counter("closes");
    EXPECT_FALSE(session->ClosePosition(stale, -1));
    EXPECT_TRUE(Logged("[ClosePosi] Ticket=" + stale.Ticket + " の建玉が一覧に見当たりません。決済は行いません"));
    EXPECT_EQ(Counter("closes"), closes);
}

TEST_F(CosmoAdapter, ALongListIsSwitchedToTheLargestPageSize) {
    std::string positions = "[";
    for (int i = 0; i < 45; ++i) positions += std::string(i ? "," : "") + R"({"pair":"EURUSD","side":"buy","lots":1})";
    SetPositions(positions + "]");
    auto session = Open();
    ASSERT_TRUE(session->Active);
    TTicketArray tickets;
    ASSERT_TRUE(session->EnumTicket(tickets));
    EXPECT_EQ(tickets.size(), 45u);
    EXPECT_TRUE(Logged("建玉全 45 件"));
    EXPECT_TRUE(Logged("List拡張..."));
}

TEST_F(CosmoAdapter, LostAnswersAreNeverSentAgain) {
    SetPositions(R"([{"pair":"EURUSD","side":"sell","lots":2}])");
    auto session = Open();
    ASSERT_TRUE(session->Active);
    LoseAnswersOfAnOrderAndAClose(*session, R"([{"kind":"lostAnswer","family":"cosmo","path":"ExecuteSingleOrder","answer":"drop"},
        {"kind":"lostAnswer","family":"cosmo","path":"ExecuteCloseSingleOrder","answer":"empty"}])");
}

TEST_F(CosmoAdapter, OrdersOpenBesideOppositePositionsUntilTheSessionEnds) {
    auto session = Open();
    ASSERT_TRUE(session->Active);
    ASSERT_TRUE(session->OpenPosition("USDJPY", true, 2, {}, {}, "MergePosition", 0));
    ASSERT_TRUE(session->OpenPosition("USDJPY", false, 1, {}, {}, "MergePosition", 0));
    EXPECT_EQ(Book().size(), 2u) << "the sell stands beside the buy";
    EXPECT_EQ(Net(), (std::map<std::string, int>{{"USDJPY", 1}}));

    ASSERT_TRUE(sim->Post(AccountPath() + "/expire-sessions", "").ok());
    TTicketArray tickets;
    EXPECT_FALSE(session->EnumTicket(tickets)) << "the list page leads back to the log-on";
    ASSERT_TRUE(session->LogOnAndCheck());
    ASSERT_TRUE(session->EnumTicket(tickets));
    EXPECT_EQ(tickets.size(), 2u);
}

} // namespace
