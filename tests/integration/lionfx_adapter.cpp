// The LionFX adapter in a real browser engine against the simulator's
// LionFX site: log-on and figures, session expiry, net lots, the pairs held,
// paged position lists, orders and closes as the simulator's book sees them,
// and orders and closes whose answers are lost.
#include "BrowserTestKit.h"
#include "broker/LionFX.h"
#include "support/SimServer.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace browsertest;
using testsupport::SimPosition;
using testsupport::SimServer;

namespace {

const char* const kFamily = "lionfx";
const char* const kName = "LionFXテスト";

class LionFxAdapter : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sim = new SimServer;
        ASSERT_TRUE(sim->Running());
        ASSERT_TRUE(sim->Post("/_control/prices", R"({"moving":false})").ok());
    }
    static void TearDownTestSuite() { delete sim; }

    // A fresh account per test, so tests never see each other's positions.
    void SetUp() override {
        account = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_TRUE(sim->CreateAccount(R"({"family":"lionfx","id":")" + account +
                                       R"(","password":"pw","deposit":1234567})"));
    }

    TSessionPtr<TLionFXAPI> Open(const std::string& password = "pw") {
        TSessionSettings settings = rig.Settings(sim->Url("/lionfx/Login.do"));
        settings.UserName = account;
        settings.Password = password;
        settings.AccountName = kName;
        return TTradeApiBase::Create<TLionFXAPI>(settings);
    }

    void SetPositions(const std::string& json) { ASSERT_TRUE(sim->SetPositions(kFamily, account, json)); }
    std::vector<SimPosition> Book() const { return sim->Positions(kFamily, account); }
    std::map<std::string, int> Net() const { return sim->NetLots(kFamily, account); }
    int Executions() const { return sim->ExecutionCount(kFamily, account); }
    // The account's next confirmation at the path executes and loses its answer.
    void LoseNextAnswer(const std::string& path, const std::string& answer) {
        ASSERT_TRUE(sim->AddFault(R"({"kind":"lostAnswer","account":")" + account + R"(","path":")" + path +
                                  R"(","answer":")" + answer + "\"}"));
    }

    bool Logged(const std::string& text) const {
        return std::find(rig.log.begin(), rig.log.end(), std::string("[") + kName + "] " + text) != rig.log.end();
    }

    static std::vector<std::string> PairsOf(const TTicketArray& tickets) {
        std::vector<std::string> pairs;
        for (const TTicket& ticket : tickets) pairs.push_back(ticket.Pair);
        return pairs;
    }

    static inline SimServer* sim = nullptr;
    ShortPageSettle settle;
    std::string account;
    SessionRig rig;
};

TEST_F(LionFxAdapter, LogOnReadsTheFiguresAndLogsOffOnClose) {
    // 2 lots bought 1 yen below the market: 20,000 yen in profit.
    SetPositions(R"([{"pair":"USDJPY","side":"buy","lots":2,"rate":149.0}])");
    const long long logoffs = sim->Counter("logoffs/lionfx");
    auto session = Open();
    ASSERT_TRUE(session->Active);
    EXPECT_EQ(session->Balance, 1234567);
    EXPECT_EQ(session->BalancePL, 1254567);
    EXPECT_TRUE(Logged("ログインを試みます … 1回目"));
    EXPECT_TRUE(Logged("ログイン成功。口座情報を取得します"));
    EXPECT_TRUE(rig.DetailContains("■cookie is not set for this site."));
    EXPECT_TRUE(rig.DetailContains("■■ LogOn Out"));
    session.reset();
    EXPECT_EQ(sim->Counter("logoffs/lionfx"), logoffs + 1);
}

TEST_F(LionFxAdapter, LogsOnAgainAfterTheSiteEndedTheSession) {
    SetPositions(R"([{"pair":"EURUSD","side":"sell","lots":1}])");
    auto session = Open();
    ASSERT_TRUE(session->Active);
    ASSERT_TRUE(sim->Post("/_control/accounts/lionfx/" + account + "/expire-sessions", "").ok());
    TUnitSizeArray units;
    EXPECT_FALSE(session->EnumUnits(units)) << "the menu is gone with the session";

    rig.log.clear();
    rig.detail.clear();
    EXPECT_TRUE(session->LogOnAndCheck());
    EXPECT_TRUE(Logged("ログインを試みます … 1回目"));
    EXPECT_TRUE(rig.DetailContains("JSESSIONID=")) << "the cookie of the ended session is reported";
    EXPECT_EQ(session->Balance, 1234567);
    TTicketArray tickets;
    ASSERT_TRUE(session->EnumTicket(tickets)) << "the new session walks the site again";
    ASSERT_EQ(tickets.size(), 1u);
    EXPECT_FALSE(tickets[0].IsBuy);
}

TEST_F(LionFxAdapter, AnOrderUnderAnEndedSessionIsUnconfirmedAndLogsOnAgain) {
    auto session = Open();
    ASSERT_TRUE(session->Active);
    ASSERT_TRUE(sim->AddFault(R"({"kind":"expireSession","family":"lionfx","account":")" + account + "\"}"));
    EXPECT_FALSE(session->OpenPosition("USDJPY", true, 1, {}, {}, "MergePosition", 0));
    EXPECT_TRUE(Logged("再ログインを要求されました。再ログインします"));
    EXPECT_TRUE(session->Active);
    EXPECT_TRUE(Net().empty()) << "the site dropped the order with the session";

    EXPECT_TRUE(session->OpenPosition("USDJPY", true, 1, {}, {}, "MergePosition", 0));
    EXPECT_EQ(Net(), (std::map<std::string, int>{{"USDJPY", 1}}));
}

TEST_F(LionFxAdapter, AnOrderOrCloseWhoseAnswerIsLostIsUnconfirmedAndNeverSentTwice) {
    auto session = Open();
    ASSERT_TRUE(session->Active);
    const long long resubmits = sim->Counter("resubmits/lionfx");
    for (const std::string answer : {"empty", "drop", "error"}) {
        SCOPED_TRACE(answer);
        rig.log.clear();
        const int executions = Executions();
        LoseNextAnswer("OrderExecute", answer);
        EXPECT_FALSE(session->OpenPosition("USDJPY", true, 2, {}, {}, "MergePosition", 0));
        EXPECT_EQ(Executions(), executions + 1);
        EXPECT_EQ(Net(), (std::map<std::string, int>{{"USDJPY", 2}}));
        EXPECT_TRUE(Logged("送信の応答が失われたため、再ログインして続けます"));
        ASSERT_TRUE(session->Active) << "logged on again, ready for the next operation";

        const SimPosition opened = Book().back();
        TTicket ticket{opened.ticket, "2", "USDJPY", "", true};
        LoseNextAnswer("CloseExecute", answer);
        EXPECT_FALSE(session->ClosePosition(ticket, -1));
        EXPECT_EQ(Executions(), executions + 2);
        EXPECT_TRUE(Net().empty());
        ASSERT_TRUE(session->Active);
    }
    EXPECT_EQ(sim->Counter("resubmits/lionfx"), resubmits) << "a confirmation was sent twice";
}

TEST_F(LionFxAdapter, EnumUnitsSumsBuysAndSellsAndHeldPairsNarrowLaterReads) {
    SetPositions(R"([{"pair":"EURUSD","side":"buy","lots":3},{"pair":"EURUSD","side":"sell","lots":5},
                     {"pair":"USDJPY","side":"buy","lots":2}])");
    auto session = Open();
    ASSERT_TRUE(session->Active);
    ASSERT_TRUE(session->HeldPairs.AllPairs);

    TUnitSizeArray units;
    ASSERT_TRUE(session->EnumUnits(units));
    std::map<std::string, int> net;
    for (const TUnitSize& unit : units) net[unit.Pair] = unit.Lots;
    EXPECT_EQ(net, (std::map<std::string, int>{{"EURUSD", -2}, {"USDJPY", 2}}));
    EXPECT_TRUE(Logged("[EnumUnits] EURUSD = -2 Lot"));
    EXPECT_TRUE(Logged("[EnumUnits] GBPJPY = 0 Lot")) << "every pair is visited while nothing is known";
    EXPECT_EQ(session->HeldPairs.Count(), 2);

    // A position the adapter has not been told about stays unseen...
    ASSERT_TRUE(sim->Post("/_control/accounts/lionfx/" + account + "/positions",
                          R"({"pair":"GBPJPY","side":"buy","lots":4})").ok());
    TTicketArray tickets;
    ASSERT_TRUE(session->EnumTicket(tickets));
    EXPECT_FALSE(session->HeldPairs.AllPairs);
    EXPECT_EQ(PairsOf(tickets), (std::vector<std::string>{"USDJPY", "EURUSD", "EURUSD"}));

    // ...while a pair it ordered in is read from then on.
    ASSERT_TRUE(session->OpenPosition("GBPUSD", false, 2, {}, {}, "MergePosition", 0));
    ASSERT_TRUE(session->EnumTicket(tickets));
    EXPECT_EQ(PairsOf(tickets), (std::vector<std::string>{"USDJPY", "EURUSD", "EURUSD", "GBPUSD"}));
    EXPECT_EQ(tickets.back().Units, "2");
    EXPECT_FALSE(tickets.back().IsBuy);
}

TEST_F(LionFxAdapter, PositionsAreReadPageByPageAndClosedWhereFound) {
    SetPositions(R"([{"pair":"EURUSD","side":"buy","lots":3,"rate":1.08},
                     {"pair":"EURUSD","side":"buy","lots":10,"rate":1.09},
                     {"pair":"EURUSD","side":"sell","lots":1,"rate":1.1}])");
    const std::vector<SimPosition> book = Book();
    auto session = Open();
    ASSERT_TRUE(session->Active);

    TTicketArray tickets;
    ASSERT_TRUE(session->EnumTicket(tickets));
    ASSERT_EQ(tickets.size(), 3u);
    const char* rates[] = {"1.08000", "1.09000", "1.10000"};
    const char* units[] = {"3", "10", "1"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(tickets[i].Ticket, book[i].ticket);
        EXPECT_EQ(tickets[i].Pair, "EURUSD");
        EXPECT_EQ(tickets[i].OpenRate, rates[i]);
        EXPECT_EQ(tickets[i].Units, units[i]);
        EXPECT_EQ(tickets[i].IsBuy, book[i].buy);
    }
    EXPECT_TRUE(Logged("[EnumTicket] " + book[2].ticket + ", EURUSD, 1.10000, Sell, 1 Lot"));

    // The third ticket sits on the third page of the pair's list.
    ASSERT_TRUE(session->ClosePosition(tickets[2], -1));
    EXPECT_TRUE(Logged("[ClosePosi] " + book[2].ticket + ", EURUSD, 1.10000, Sell, 1 Lot"));
    std::vector<SimPosition> left = Book();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].id, book[0].id);
    EXPECT_EQ(left[1].id, book[1].id);

    TTicket missing = tickets[0];
    missing.Ticket = "1999/01/01 00:00:00";
    EXPECT_FALSE(session->ClosePosition(missing, -1));
    EXPECT_TRUE(Logged("error! Ticket=1999/01/01 00:00:00を決済しようとしましたが、ポジション一覧の最終ページまで行っても"
                       "Ticketが見当たりません. このTicketのClose処理は中止します"));
    EXPECT_EQ(Book().size(), 2u);
}

TEST_F(LionFxAdapter, OppositeOrdersCloseAtThisBroker) {
    auto session = Open();
    ASSERT_TRUE(session->Active);
    ASSERT_TRUE(session->OpenPosition("USDJPY", true, 2, {}, {}, "MergePosition", 0));
    EXPECT_EQ(Net(), (std::map<std::string, int>{{"USDJPY", 2}}));
    ASSERT_TRUE(session->OpenPosition("USDJPY", false, 3, {}, {}, "MergePosition", 0));
    EXPECT_EQ(Net(), (std::map<std::string, int>{{"USDJPY", -1}}));
    EXPECT_EQ(Book().size(), 1u) << "the buy was closed, not kept beside the sell";
    EXPECT_EQ(session->HeldPairs.Count(), 1);
}

TEST_F(LionFxAdapter, AWrongPasswordFailsAfterFifteenAttempts) {
    const long long before = sim->Counter("logons/lionfx");
    auto session = Open("wrong");
    EXPECT_FALSE(session->Active);
    EXPECT_EQ(sim->Counter("logons/lionfx") - before, 15);
    EXPECT_TRUE(Logged("ログインを試みます … 15回目"));
    EXPECT_FALSE(Logged("ログインを試みます … 16回目"));
    EXPECT_TRUE(Logged("口座情報が取得できないか、あるいは資産残高が0円です。この口座の処理を抜けます"));
}

} // namespace
