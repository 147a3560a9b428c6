// Bringing one account to the signal: chunked opens, the fix by the adapter,
// unknown outcomes, cancellation, the final check and the save.

#include "trading/TradeAPI.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/SignalDocument.h"
#include "unit/UnitFixtures.h"
#include "unit/engine/EngineFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace enginetest;

namespace {

const std::string kName = "外為オンライン";
const std::string kTag = "[" + kName + "] ";

// One yen account of balance 1000000 and lot 10000: a leverage L on a full
// signal gives a target of L lots.
struct Adjustment {
    testsupport::ScratchDir dir;
    std::string path = dir.file("Account.xml");
    std::shared_ptr<InMemoryBook> book = std::make_shared<InMemoryBook>();
    LogCapture log;
    bool cancel = false;
    TTradeAPI api{cancel, true, log.Sink(), nullptr};
    pugi::xml_document accounts;
    pugi::xml_document signal;

    Adjustment(AccountSpec spec, const std::vector<SignalSystem>& systems) {
        spec.name = kName;
        spec.unique = "40000.5";
        book->CounterTradeCloses = spec.counterTradeIsClose;
        Parse(AccountDocumentXml({spec}, systems), accounts);
        Parse(SignalXml(systems), signal);
    }
    pugi::xml_node Account() { return AccountAt(accounts, 0); }
    bool Run() {
        LogCapture sessionLog;
        auto session = Session(book, sessionLog, kName);
        session->OnLog = [this](const std::string& text) { api.AddTradeLog(text); };
        return api.AdjustAccount(*session, accounts, path, Account(), HoldPositionSummaryOf(signal));
    }
    bool Logged(const std::string& text) const { return log.Has(kTag + text); }
};

AccountSpec Leverages(bool counterTrade, std::map<std::string, std::string> leverages,
                      std::string maxLot = "10") {
    AccountSpec spec;
    spec.counterTradeIsClose = counterTrade;
    spec.leverages = std::move(leverages);
    spec.maxLot = std::move(maxLot);
    return spec;
}

const std::vector<SignalSystem> kUsdJpyFull = {{"USDJPY", "SysA", 2, 2}};

TEST(AdjustAccount, CounterTradeOpensInChunksOfTheMaximum) {
    Adjustment a(Leverages(true, {{"USDJPY/SysA", "7"}}, "3"), kUsdJpyFull);
    EXPECT_TRUE(a.Run());
    EXPECT_EQ(a.book->Orders,
              (std::vector<std::string>{"Open USDJPY Buy 3", "Open USDJPY Buy 3", "Open USDJPY Buy 1"}));
    EXPECT_TRUE(a.Logged("USDJPY のServerLotsはありません。ServerLots = 0として処理を進めます"));
    EXPECT_TRUE(a.Logged("新規に、USDJPY 合計 7Lotを BuyOpen します"));
    EXPECT_TRUE(a.Logged("USDJPY 1 Lotの BuyOpen に成功"));
    EXPECT_TRUE(a.Logged("[重要] 外為オンラインのLot数は、シグナル指示とサーバー上とが【完全に一致】しています"));
    EXPECT_TRUE(a.Logged("[重要] 外為オンラインの口座情報を保存しました(1/10)"));
    EXPECT_FALSE(ChildPath(a.Account(), {"Status", "MovedPosition"}).first_child());
    pugi::xml_document saved;
    ASSERT_TRUE(LoadAccountDocument(saved, a.path));
    EXPECT_EQ(ChildValue(ChildPath(AccountAt(saved, 0), {"Status", "HoldPosition", "Summary", "USDJPY"}), "Units"),
              "7");
}

TEST(AdjustAccount, UnknownChunkEndsThePairAndTheCheckReportsTheGap) {
    Adjustment a(Leverages(true, {{"USDJPY/SysA", "7"}}, "3"), kUsdJpyFull);
    a.book->UnknownOutcome = {{2, false}};
    EXPECT_FALSE(a.Run());
    EXPECT_EQ(a.book->Orders, (std::vector<std::string>{"Open USDJPY Buy 3"}));
    EXPECT_TRUE(a.Logged("USDJPY 3 Lotの BuyOpenの成否が不明。念のためこの通貨の処理を抜けます（後に実行するEnumTicketExをパスすれば問題ありません)"));
    EXPECT_TRUE(a.Logged("USDJPY のトレードを終えました。次の通貨へ進みます"));
    EXPECT_TRUE(a.Logged("[重要] 外為オンラインのLot数は、シグナル指示とサーバー上とに【ズレがあります】"));
    EXPECT_TRUE(std::filesystem::exists(a.path));  // the record is saved all the same
}

struct PairCase {
    const char* title;
    bool counterTrade;
    int serverLots;  // 0: no position at all
    int positionCount;
    std::string leverage;
    std::vector<std::string> orders;
    std::string line;
};

class PairAdjustment : public ::testing::TestWithParam<PairCase> {};

TEST_P(PairAdjustment, MovesTheServerToTheTarget) {
    const PairCase& c = GetParam();
    Adjustment a(Leverages(c.counterTrade, {{"USDJPY/SysA", c.leverage}}),
                 {{"USDJPY", "SysA", c.positionCount, 2}});
    if (c.serverLots != 0) a.book->Hold("USDJPY", c.serverLots);
    EXPECT_TRUE(a.Run());
    EXPECT_EQ(a.book->Orders, c.orders);
    EXPECT_TRUE(a.Logged(c.line)) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    Engine, PairAdjustment,
    ::testing::Values(
        PairCase{"AlreadyMatching", true, 3, 2, "3", {},
                 "USDJPY のServerとSignalのLot数は一致しています。次の通貨へ進みます"},
        PairCase{"CounterTradeClosesAShort", true, -2, 0, "3", {"Open USDJPY Buy 2"},
                 "USDJPY ServerLots = -2 Lot"},
        PairCase{"FixTurnsLongIntoShort", false, 1, -2, "4", {"Close T1 -1", "Open USDJPY Sell 4"},
                 "[FixPosition] USDJPY で、Sell 4 Lotに調整する事に成功"},
        PairCase{"FixAnnouncesTheMove", false, 1, -2, "4", {"Close T1 -1", "Open USDJPY Sell 4"},
                 "新規に、Sell方向へ合計 5 Lot ポジションを動かし、ServerLotsとSignalLotsを一致させます"}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(AdjustAccount, FailedFixLeavesThePairAndGoesOn) {
    Adjustment a(Leverages(false, {{"USDJPY/SysA", "2"}, {"EURUSD/SysB", "3"}}),
                 {{"USDJPY", "SysA", 2, 2}, {"EURUSD", "SysB", 2, 2}});
    a.book->UnknownOutcome = {{1, false}};
    EXPECT_FALSE(a.Run());
    EXPECT_TRUE(a.Logged("[FixPosition] USDJPY 2 Lotの部分決済および新規発注の成否が不明。念のためこの通貨の処理を抜けます（後に実行するEnumTicketExをパスすれば問題ありません)"));
    EXPECT_EQ(a.book->NetLots("EURUSD"), 3);
    EXPECT_TRUE(a.Logged("最後に、サーバー上のポジションとシグナルとが一致しているか、個々のポジションから確認します"));
}

TEST(AdjustAccount, PairsOutsideTheSignalAreLeftToTheFinalCheck) {
    Adjustment a(Leverages(true, {{"USDJPY/SysA", "1"}}), kUsdJpyFull);
    a.book->Hold("GBPJPY", -4);
    EXPECT_TRUE(a.Run());
    EXPECT_EQ(a.book->Orders, (std::vector<std::string>{"Open USDJPY Buy 1", "Close T1 -1"}));
    EXPECT_EQ(a.book->NetLots("GBPJPY"), 0);
}

TEST(AdjustAccount, CancelFinishesThePairButNeitherChecksNorSaves) {
    Adjustment a(Leverages(true, {{"USDJPY/SysA", "5"}, {"EURUSD/SysB", "3"}}, "2"),
                 {{"USDJPY", "SysA", 2, 2}, {"EURUSD", "SysB", 2, 2}});
    a.book->OnOrder = [&](int) { a.cancel = true; };
    EXPECT_FALSE(a.Run());
    EXPECT_EQ(a.book->NetLots("USDJPY"), 5);
    EXPECT_EQ(a.book->NetLots("EURUSD"), 0);
    EXPECT_TRUE(a.log.Has("[Cancel] 処理を中断します..."));
    EXPECT_FALSE(ChildPath(a.Account(), {"Status", "HoldPosition"}).attribute("LatestDateTime"));
    EXPECT_FALSE(std::filesystem::exists(a.path));
}

TEST(AdjustAccount, UnreadablePositionsSkipTheAccountWithoutSaving) {
    Adjustment a(Leverages(true, {{"USDJPY/SysA", "1"}}), kUsdJpyFull);
    a.book->FailEnumTickets = 1000;
    EXPECT_FALSE(a.Run());
    EXPECT_TRUE(a.Logged("EnumUnitsで何らかのエラーが発生しました。このアカウントを一旦スルーします"));
    EXPECT_FALSE(std::filesystem::exists(a.path));
}

TEST(AdjustAccount, OrderSizeBelowOneIsRefusedWithoutOrders) {
    Adjustment a(Leverages(true, {{"USDJPY/SysA", "2"}}, "0"), kUsdJpyFull);
    EXPECT_FALSE(a.Run());
    EXPECT_TRUE(a.book->Orders.empty());
    EXPECT_TRUE(a.Logged("USDJPY Error! MaxLotSize = 0 では発注できません。口座設定を確認してください"));
}

TEST(AdjustAccount, SaveGivesUpAfterTenTries) {
    Adjustment a(Leverages(true, {{"USDJPY/SysA", "0"}}), kUsdJpyFull);
    a.path = a.dir.file("missing/folder/Account.xml");
    EXPECT_FALSE(a.Run());
    EXPECT_TRUE(a.Logged("外為オンラインの口座情報の取得に失敗しました。リトライします(10/10)"));
    EXPECT_TRUE(a.Logged("[重要] Error! 外為オンラインの口座情報の取得に失敗しました。次回再度取得します"));
}

} // namespace
