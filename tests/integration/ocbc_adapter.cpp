// The OCBC-family adapter in a real browser engine against the simulator's
// OCBC site: log-on with the password rotation and the expiry flow, account
// lines, the settlement list read line by line, whole and partial closes,
// and orders placed beside opposite positions.
#include "AdapterTestKit.h"
#include "broker/OCBC.h"
#include "support/ScratchFiles.h"

using namespace browsertest;

namespace {

// An account whose order numbers 77 and 7 are listed in that order: a
// search for "7" by containment would find 77 first.
const char* const kStateWithNumbers = R"({"accounts":[{"family":"ocbc","id":"numbers","password":"pw",
  "deposit":1000000,"counterTradeCloses":false,"positions":[
  {"id":77,"ticket":"77","pair":"USDJPY","side":"sell","lots":2,"rate":150.0,"openedAt":1700000000},
  {"id":7,"ticket":"7","pair":"EURUSD","side":"buy","lots":1,"rate":1.085,"openedAt":1700000001}]}],
  "prices":{"USDJPY":150.0,"EURUSD":1.085,"EURJPY":162.75},"pricesMoving":false,"nextPositionId":78})";

class OcbcAdapter : public AdapterSuite<TOCBCBaseAPI> {
protected:
    OcbcAdapter() : AdapterSuite({"ocbc", "/ocbc/Login.do", "外為オンライン"}) {}

    static void SetUpTestSuite() {
        state = new testsupport::ScratchDir;
        testsupport::WriteFileBytes(state->file("sim.json"), kStateWithNumbers);
        StartSim(state->file("sim.json"));
    }
    static void TearDownTestSuite() {
        AdapterSuite::TearDownTestSuite();
        delete state;
    }

    static inline testsupport::ScratchDir* state = nullptr;
};

TEST_F(OcbcAdapter, TheSecondAttemptLogsOnWithTheAlternatePasswordAndReadsTheAccountLines) {
    // 2 lots bought 1 yen below the market: 20,000 yen in profit.
    SetPositions(R"([{"pair":"USDJPY","side":"buy","lots":2,"rate":149.0}])");
    auto session = Open("expired", "pw");
    ASSERT_TRUE(session->Active);
    EXPECT_TRUE(session->PasswordChanged);
    EXPECT_EQ(session->Balance, 1234567);
    EXPECT_EQ(session->BalancePL, 1254567);
    EXPECT_TRUE(Logged("ログインを試みます … 2回目"));
    EXPECT_FALSE(Logged("ログインを試みます … 3回目"));

    const long long logoffs = Counter("logoffs");
    session.reset();
    EXPECT_EQ(Counter("logoffs"), logoffs + 1);
}

TEST_F(OcbcAdapter, AnExpiredPasswordIsReplacedByTheAlternateOne) {
    ASSERT_TRUE(sim->Post(AccountPath() + "/expire-password", "").ok());
    auto session = Open("pw", "pw2");
    ASSERT_TRUE(session->Active);
    EXPECT_TRUE(session->PasswordChanged);
    EXPECT_TRUE(Logged("Passwordの有効期限がのこりわずかのため、Passwordを変更します(SubPasswordと入れ替えます)"));
    EXPECT_EQ(Counter("passwordChanges"), 1);
    session.reset();

    // The next run starts with the new password and changes nothing.
    rig.log.clear();
    auto next = Open("pw2", "pw");
    ASSERT_TRUE(next->Active);
    EXPECT_FALSE(next->PasswordChanged);
    EXPECT_FALSE(Logged("ログインを試みます … 2回目"));
}

TEST_F(OcbcAdapter, AnExpiredPasswordWithoutAnAlternateOneFailsOnceAndAsksForIt) {
    ASSERT_TRUE(sim->Post(AccountPath() + "/expire-password", "").ok());
    const long long changes = Counter("passwordChanges");
    auto session = Open("pw", "");
    EXPECT_FALSE(session->Active);
    EXPECT_TRUE(Logged("パスワードの変更を求められましたが、SubPasswordが空白のため変更できません。"
                       "口座タブの「SubPassword」に第二のパスワードを設定してください"));
    EXPECT_FALSE(Logged("ログインを試みます … 2回目"));
    EXPECT_EQ(Counter("passwordChanges"), changes);
}

TEST_F(OcbcAdapter, TheSettlementListIsReadInPageOrderAndSummedPerPair) {
    // The second position shares pair and rate with the first: the list
    // names them once.
    SetPositions(R"([{"pair":"USDJPY","side":"buy","lots":3,"rate":150.0},
                     {"pair":"USDJPY","side":"sell","lots":2,"rate":150.0},
                     {"pair":"EURUSD","side":"sell","lots":1,"rate":1.1}])");
    const auto book = Book();
    auto session = Open();
    ASSERT_TRUE(session->Active);

    TTicketArray tickets;
    ASSERT_TRUE(session->EnumTicket(tickets));
    ASSERT_EQ(tickets.size(), 3u);
    const char* pairs[] = {"USDJPY", "USDJPY", "EURUSD"};
    const char* rates[] = {"150.000", "150.000", "1.10000"};
    const char* sizes[] = {"3", "-2", "-1"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(tickets[i].Ticket, book[i].ticket);
        EXPECT_EQ(tickets[i].Pair, pairs[i]);
        EXPECT_EQ(tickets[i].OpenRate, rates[i]);
        EXPECT_EQ(tickets[i].Units, sizes[i]);
        EXPECT_EQ(tickets[i].IsBuy, book[i].buy);
    }
    EXPECT_TRUE(Logged("[EnumTicket] " + book[1].ticket + ", USDJPY, 150.000, Sell, 2 Lot"));

    TUnitSizeArray units;
    ASSERT_TRUE(session->EnumUnits(units));
    EXPECT_EQ(NetOf(units), (std::map<std::string, int>{{"USDJPY", 1}, {"EURUSD", -1}}));
}

TEST_F(OcbcAdapter, PositionsCloseWholeOrInPartAndOrdersOpenBesideOppositeOnes) {
    SetPositions(R"([{"pair":"USDJPY","side":"buy","lots":5},{"pair":"EURUSD","side":"sell","lots":2}])");
    auto session = Open();
    ASSERT_TRUE(session->Active);
    TTicketArray tickets;
    ASSERT_TRUE(session->EnumTicket(tickets));
    ASSERT_EQ(tickets.size(), 2u);

    ASSERT_TRUE(session->ClosePosition(tickets[0], 3));
    ASSERT_TRUE(session->ClosePosition(tickets[1], -1));
    EXPECT_TRUE(Logged("[ClosePosi] 正常終了 = True"));
    EXPECT_EQ(Net(), (std::map<std::string, int>{{"USDJPY", 2}}));

    ASSERT_TRUE(session->OpenPosition("USDJPY", false, 1, {}, {}, "MergePosition", 0));
    EXPECT_EQ(Book().size(), 2u) << "the sell stands beside the buy";
    EXPECT_EQ(Net(), (std::map<std::string, int>{{"USDJPY", 1}}));

    // An order under a session the site ends is not confirmed.
    ASSERT_TRUE(sim->AddFault(R"({"kind":"expireSession","family":"ocbc","account":")" + account + "\"}"));
    EXPECT_FALSE(session->OpenPosition("EURUSD", true, 1, {}, {}, "MergePosition", 0));
    EXPECT_EQ(Net(), (std::map<std::string, int>{{"USDJPY", 1}}));
}

TEST_F(OcbcAdapter, LostAnswersAreNeverSentAgain) {
    SetPositions(R"([{"pair":"EURUSD","side":"sell","lots":2}])");
    auto session = Open();
    ASSERT_TRUE(session->Active);
    LoseAnswersOfAnOrderAndAClose(*session, R"([{"kind":"lostAnswer","family":"ocbc","path":"OrderAction","answer":"empty"},
        {"kind":"lostAnswer","family":"ocbc","path":"CloseAction","answer":"error"}])");
}

TEST_F(OcbcAdapter, AClosePicksTheOrderNumberThatEqualsTheTicket) {
    account = "numbers";
    auto session = Open();
    ASSERT_TRUE(session->Active);
    TTicket seven{"7", "1", "EURUSD", "1.08500", true};
    ASSERT_TRUE(session->ClosePosition(seven, -1));
    EXPECT_EQ(Net(), (std::map<std::string, int>{{"USDJPY", -2}}));

    const long long closes = Counter("closes");
    EXPECT_FALSE(session->ClosePosition(seven, -1)) << "no line names it any more";
    EXPECT_EQ(Counter("closes"), closes);
}

} // namespace
