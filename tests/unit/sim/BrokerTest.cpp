#include "Broker.h"

#include <gtest/gtest.h>

using namespace sim;

namespace {

// A broker at a fixed second, with a market that stays where it is put.
struct BrokerFixture : ::testing::Test {
    long long now = 1700000000;
    Broker broker{[this] { return now; }};

    void SetUp() override
    {
        broker.SetPricesMoving(false);
        broker.SetPrice("USDJPY", 150.0);
        broker.SetPrice("EURUSD", 1.1);
    }

    void AddAccount(const std::string& id, bool counterTradeCloses, TicketStyle style = TicketStyle::ExecutionTime)
    {
        Account account;
        account.family = "lionfx";
        account.id = id;
        account.password = "pw";
        account.deposit = 1000000;
        account.unitSize = 10000;
        account.counterTradeCloses = counterTradeCloses;
        account.ticketStyle = style;
        broker.PutAccount(account);
    }

    std::vector<Position> Positions(const std::string& id) { return broker.GetAccount("lionfx", id).positions; }
};

struct CounterTradeCase {
    const char* name;
    std::vector<PositionSpec> before;
    bool buy;
    int lots;
    // Lots of the positions left, in list order (negative: sell).
    std::vector<int> after;
};

class CounterTrade : public BrokerFixture, public ::testing::WithParamInterface<CounterTradeCase> {};

TEST_P(CounterTrade, OppositeOrdersCloseOldestFirstAndOpenTheRest)
{
    const CounterTradeCase& c = GetParam();
    AddAccount("a", true);
    broker.SetPositions("lionfx", "a", c.before);
    broker.PlaceOrder("lionfx", "a", "USDJPY", c.buy, c.lots);
    std::vector<int> after;
    for (const Position& position : Positions("a"))
        after.push_back(position.buy ? position.lots : -position.lots);
    EXPECT_EQ(after, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Broker, CounterTrade,
    ::testing::Values(
        CounterTradeCase{"SameSideAdds", {{"USDJPY", true, 2, 0}}, true, 3, {2, 3}},
        CounterTradeCase{"ClosesWholly", {{"USDJPY", true, 2, 0}}, false, 2, {}},
        CounterTradeCase{"ClosesPartly", {{"USDJPY", true, 5, 0}}, false, 2, {3}},
        CounterTradeCase{"ClosesAllThenOpens", {{"USDJPY", true, 2, 0}, {"USDJPY", true, 1, 0}}, false, 5, {-2}},
        CounterTradeCase{"OldestFirst", {{"USDJPY", false, 3, 0}, {"USDJPY", false, 4, 0}}, true, 5, {-2}},
        CounterTradeCase{"OtherPairsUntouched", {{"EURUSD", true, 2, 0}}, false, 1, {2, -1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BrokerFixture, PartialCloseKeepsTheTicketAndFullCloseRemovesIt)
{
    AddAccount("a", true);
    Position first = broker.AddPosition("lionfx", "a", {"USDJPY", true, 5, 0});
    broker.PlaceOrder("lionfx", "a", "USDJPY", false, 2);
    ASSERT_EQ(Positions("a").size(), 1u);
    EXPECT_EQ(Positions("a")[0].ticket, first.ticket);
    EXPECT_EQ(Positions("a")[0].lots, 3);
    broker.ClosePosition("lionfx", "a", first.id, 0);
    EXPECT_TRUE(Positions("a").empty());
}

TEST_F(BrokerFixture, StraddleAndHedgingAccountsKeepBothSides)
{
    AddAccount("straddle", true);
    broker.AddPosition("lionfx", "straddle", {"USDJPY", true, 2, 0});
    broker.PlaceOrder("lionfx", "straddle", "USDJPY", false, 2, true);
    EXPECT_EQ(Positions("straddle").size(), 2u);

    AddAccount("hedging", false);
    broker.AddPosition("lionfx", "hedging", {"USDJPY", true, 2, 0});
    broker.PlaceOrder("lionfx", "hedging", "USDJPY", false, 2);
    EXPECT_EQ(Positions("hedging").size(), 2u);
    EXPECT_TRUE(broker.NetLots("lionfx", "hedging").empty()) << "a zero net is not listed";
}

TEST_F(BrokerFixture, TicketsStayUniqueWhenExecutionsShareASecond)
{
    AddAccount("time", true, TicketStyle::ExecutionTime);
    AddAccount("number", true, TicketStyle::OrderNumber);
    for (int i = 0; i < 3; ++i) {
        broker.PlaceOrder("lionfx", "time", "USDJPY", true, 1);
        broker.PlaceOrder("lionfx", "number", "USDJPY", true, 1);
    }
    std::set<std::string> times, numbers;
    for (const Position& p : Positions("time"))
        times.insert(p.ticket);
    for (const Position& p : Positions("number"))
        numbers.insert(p.ticket);
    EXPECT_EQ(times.size(), 3u);
    EXPECT_EQ(numbers.size(), 3u);
    EXPECT_EQ(Positions("time")[0].ticket.size(), std::string("2023/11/14 22:13:20").size());
    EXPECT_EQ(Positions("number")[0].ticket, std::to_string(Positions("number")[0].id));
}

TEST_F(BrokerFixture, ValuationFollowsTheMarketAndClosesBookProfit)
{
    AddAccount("a", true);
    // 2 lots of 10,000 USD bought at 150.000 (yen quote) and 1 lot of EUR
    // sold at 1.1000 (dollar quote, converted at USDJPY).
    broker.AddPosition("lionfx", "a", {"USDJPY", true, 2, 0});
    Position euro = broker.AddPosition("lionfx", "a", {"EURUSD", false, 1, 0});
    broker.SetPrice("USDJPY", 151.0);
    broker.SetPrice("EURUSD", 1.09);
    Figures figures = broker.FiguresOf("lionfx", "a");
    double expected = 1.0 * 20000 + 0.01 * 10000 * 151.0; // 20,000 + 15,100
    EXPECT_DOUBLE_EQ(figures.unrealized, expected);
    EXPECT_DOUBLE_EQ(figures.valuation, 1000000 + expected);

    Execution close = broker.ClosePosition("lionfx", "a", euro.id, 0);
    EXPECT_DOUBLE_EQ(close.realized, 15100);
    EXPECT_DOUBLE_EQ(broker.FiguresOf("lionfx", "a").deposit, 1015100);
    EXPECT_DOUBLE_EQ(broker.FiguresOf("lionfx", "a").valuation, 1000000 + expected);
}

TEST_F(BrokerFixture, MovingMarketChangesTheRateOfEachOrder)
{
    AddAccount("a", true);
    broker.SetPricesMoving(true);
    std::set<double> rates;
    for (int i = 0; i < 20; ++i)
        rates.insert(broker.PlaceOrder("lionfx", "a", "USDJPY", true, 1).opened->rate);
    EXPECT_GT(rates.size(), 1u);
    for (double rate : rates)
        EXPECT_NEAR(rate, 150.0, 20 * 0.05 + 1e-9);
}

TEST_F(BrokerFixture, RefusesWhatNoBrokerWouldTake)
{
    AddAccount("a", true);
    struct Case {
        const char* name;
        std::function<void()> call;
        BrokerError::Kind kind;
    } cases[] = {
        {"zero lots", [&] { broker.PlaceOrder("lionfx", "a", "USDJPY", true, 0); }, BrokerError::Kind::Invalid},
        {"negative lots", [&] { broker.AddPosition("lionfx", "a", {"USDJPY", true, -1, 0}); }, BrokerError::Kind::Invalid},
        {"no market", [&] { broker.PlaceOrder("lionfx", "a", "XXXYYY", true, 1); }, BrokerError::Kind::Invalid},
        {"not a pair", [&] { broker.PlaceOrder("lionfx", "a", "USD/JPY", true, 1); }, BrokerError::Kind::Invalid},
        {"no account", [&] { broker.PlaceOrder("lionfx", "b", "USDJPY", true, 1); }, BrokerError::Kind::NotFound},
        {"no position", [&] { broker.ClosePosition("lionfx", "a", 999, 0); }, BrokerError::Kind::NotFound},
        {"bad rate", [&] { broker.SetPrice("USDJPY", -1); }, BrokerError::Kind::Invalid},
    };
    for (const Case& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const BrokerError& error) {
            EXPECT_EQ(error.kind(), c.kind) << c.name;
        }
    }
    EXPECT_TRUE(Positions("a").empty()) << "a refused order leaves nothing behind";
}

TEST_F(BrokerFixture, SetPositionsIsAllOrNothing)
{
    AddAccount("a", true);
    broker.AddPosition("lionfx", "a", {"USDJPY", true, 2, 0});
    EXPECT_THROW(broker.SetPositions("lionfx", "a", {{"EURUSD", true, 1, 0}, {"USDJPY", true, 0, 0}}), BrokerError);
    ASSERT_EQ(Positions("a").size(), 1u);
    EXPECT_EQ(Positions("a")[0].lots, 2);
}

TEST_F(BrokerFixture, SnapshotRestoresAccountsPricesAndNumbering)
{
    AddAccount("a", true);
    broker.AddPosition("lionfx", "a", {"USDJPY", false, 4, 149.5});
    broker.PlaceOrder("lionfx", "a", "EURUSD", true, 1);
    Json saved = ParseJson(broker.Snapshot().dump());

    Broker restored{[this] { return now; }};
    restored.Restore(saved);
    Account before = broker.GetAccount("lionfx", "a");
    Account after = restored.GetAccount("lionfx", "a");
    ASSERT_EQ(after.positions.size(), before.positions.size());
    for (size_t i = 0; i < before.positions.size(); ++i) {
        EXPECT_EQ(after.positions[i].ticket, before.positions[i].ticket);
        EXPECT_EQ(after.positions[i].lots, before.positions[i].lots);
        EXPECT_EQ(after.positions[i].buy, before.positions[i].buy);
        EXPECT_DOUBLE_EQ(after.positions[i].rate, before.positions[i].rate);
    }
    EXPECT_EQ(after.password, "pw");
    EXPECT_EQ(after.executions.size(), before.executions.size());
    EXPECT_EQ(after.executionCount, 2);
    EXPECT_EQ(restored.Price("USDJPY"), broker.Price("USDJPY"));
    // New positions neither reuse an id nor an execution time.
    Position next = restored.AddPosition("lionfx", "a", {"USDJPY", true, 1, 0});
    for (const Position& p : before.positions) {
        EXPECT_NE(next.id, p.id);
        EXPECT_NE(next.ticket, p.ticket);
    }
}

TEST_F(BrokerFixture, EveryChangeIsHandedToThePersistCallback)
{
    int saves = 0;
    Json last;
    broker.SetPersist([&](const Json& snapshot) {
        ++saves;
        last = snapshot;
    });
    AddAccount("a", true);
    broker.PlaceOrder("lionfx", "a", "USDJPY", true, 2);
    EXPECT_EQ(saves, 2);
    EXPECT_EQ(last.at("accounts").at(0).at("positions").size(), 1u);
}

} // namespace
