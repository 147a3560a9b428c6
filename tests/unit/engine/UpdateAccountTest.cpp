// The loop over the accounts: broker selection, four attempts, password
// rotation, the account figures, cancellation and the error count.

#include "trading/TradeAPI.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"
#include "unit/UnitFixtures.h"
#include "unit/engine/EngineFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace enginetest;

namespace {

const std::vector<SignalSystem> kSignal = {{"USDJPY", "SysA", 1, 2}};

struct TradeRun {
    testsupport::ScratchDir dir;
    std::string path = dir.file("Account.xml");
    InMemoryBrokers brokers;
    LogCapture log;
    bool cancel = false;
    TTradeAPI api{cancel, true, log.Sink(), nullptr};
    pugi::xml_document accounts;
    pugi::xml_document signal;

    explicit TradeRun(std::vector<AccountSpec> specs, const std::vector<SignalSystem>& systems = kSignal) {
        int n = 0;
        for (AccountSpec& spec : specs) {
            spec.unique = "4000" + std::to_string(++n);
            if (spec.leverages.empty()) spec.leverages = {{"USDJPY/SysA", "4"}};
        }
        Parse(AccountDocumentXml(specs, systems), accounts);
        Parse(SignalXml(systems), signal);
    }
    bool Update(TUpdateMode mode = TUpdateMode::Trade) {
        TSessionEnvironment environment;
        environment.Adapters = &brokers.Factory();
        return api.UpdateAccount(&signal, accounts, path, mode, environment);
    }
    int Count(const std::string& part) const { return log.CountContaining(part); }
};

AccountSpec Named(const std::string& name) {
    AccountSpec spec;
    spec.name = name;
    return spec;
}

class UnselectedBroker : public ::testing::TestWithParam<TUpdateMode> {};

TEST_P(UnselectedBroker, MakesFourEmptyAttemptsAndFails) {
    TradeRun r({Named("SBI証券")});
    EXPECT_FALSE(r.Update(GetParam()));
    for (int k = 1; k <= 4; ++k)
        EXPECT_TRUE(r.log.Has("[SBI証券] SBI証券を立ち上げます(" + std::to_string(k) + "回目)"));
    EXPECT_EQ(r.Count("を立ち上げます"), 4);
    EXPECT_EQ(r.Count("[SBI証券] 口座名「SBI証券」から証券会社を判別できません。"), 1);
    EXPECT_EQ(r.Count("リトライします"), 0);
    EXPECT_EQ(r.Count("[SBI証券] [重要] Error! SBI証券の処理は3回リトライしましたがポジションの調整が完了できませんでした。"),
              GetParam() == TUpdateMode::Trade ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Engine, UnselectedBroker,
                         ::testing::Values(TUpdateMode::Trade, TUpdateMode::LogOnTest));

TEST(UpdateAccount, FailedLogOnIsRetriedWithTheNextAttemptNumber) {
    TradeRun r({Named("LionFX口座")});
    r.brokers.Add("LionFX口座")->FailLogOns = 1;
    EXPECT_TRUE(r.Update());
    EXPECT_TRUE(r.log.Has("[LionFX口座] ログイン及び口座情報取得に失敗しました。(1回目)"));
    EXPECT_TRUE(r.log.Has("[LionFX口座] 一旦ログアウトしたのちリトライします(1回目)"));
    EXPECT_TRUE(r.log.Has("[LionFX口座] LionFX口座を立ち上げます(2回目)"));
    EXPECT_EQ(r.Count("を立ち上げます"), 2);
    EXPECT_TRUE(r.log.Has("[重要] トレードログ内に、エラーはありません"));
    EXPECT_EQ(r.log.lines.front(), std::string(46, '-'));
    EXPECT_EQ(r.log.lines.back(), std::string(46, '-'));
}

TEST(UpdateAccount, AdjustmentFailingFourTimesGivesUpOnTheAccountOnly) {
    TradeRun r({Named("コスモ1"), Named("コスモ2")});
    r.brokers.Add("コスモ1")->FailEnumTickets = 1000;
    auto second = r.brokers.Add("コスモ2");
    EXPECT_FALSE(r.Update());
    EXPECT_EQ(r.Count("[コスモ1] ポジション調整は完了していませんが不具合のためトレードを停止しました。"), 3);
    EXPECT_TRUE(r.log.Has("[コスモ1] 一旦ログアウトしたのちリトライします(3回目)"));
    EXPECT_EQ(r.Count("リトライします(4回目)"), 0);
    EXPECT_EQ(r.Count("[コスモ1] [重要] Error! コスモ1の処理は3回リトライしましたが"), 1);
    EXPECT_EQ(r.brokers.Book("コスモ1")->LogOffs, 4);
    EXPECT_EQ(second->NetLots("USDJPY"), 2);  // the next account is still served
}

TEST(UpdateAccount, RetriedAccountKeepsTheFiguresOfTheEarlierAttemptAsYesterday) {
    TradeRun r({Named("外為オンラインA")});
    auto book = r.brokers.Add("外為オンラインA");
    book->FailEnumTickets = 1;
    book->Balance = 2000000;
    EXPECT_TRUE(r.Update());
    pugi::xml_node account = AccountAt(r.accounts, 0);
    EXPECT_EQ(ChildValue(ChildNode(account, "Yesterday"), "Balance"), "2000000");
    EXPECT_EQ(ChildValue(ChildNode(account, "Yesterday"), "PositionCount"), "2");
    EXPECT_EQ(ChildValue(ChildNode(account, "Today"), "Balance"), "2000000");
}

struct RotationCase {
    const char* title;
    std::string nowPassword;
    std::string atBroker;
    bool expired;
    std::string expectedNow;
};

class PasswordRotation : public ::testing::TestWithParam<RotationCase> {};

TEST_P(PasswordRotation, IsSavedAsSoonAsTheBrokerReportsIt) {
    const RotationCase& c = GetParam();
    AccountSpec spec = Named("FXブロードネット");
    spec.password = "pw1";
    spec.subPassword = "pw2";
    spec.nowPassword = c.nowPassword;
    TradeRun r({spec});
    auto book = r.brokers.Add("FXブロードネット");
    book->Password = c.atBroker;
    book->PasswordExpired = c.expired;
    // Log-on test mode: nothing else saves the document.
    EXPECT_TRUE(r.Update(TUpdateMode::LogOnTest));
    const bool rotated = c.expectedNow != c.nowPassword;
    EXPECT_EQ(std::filesystem::exists(r.path), rotated);
    EXPECT_EQ(r.log.Has("[FXブロードネット] Passwordの変更を正常に保存しました"), rotated);
    if (rotated) {
        pugi::xml_document saved;
        ASSERT_TRUE(LoadAccountDocument(saved, r.path));
        EXPECT_EQ(ChildValue(AccountAt(saved, 0), "NowPassword"), c.expectedNow);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Engine, PasswordRotation,
    ::testing::Values(RotationCase{"ExpiredFirstPasswordMovesToSub", "Password", "pw1", true, "SubPassword"},
                      RotationCase{"SubInForceStays", "SubPassword", "pw2", false, "SubPassword"},
                      RotationCase{"BrokerBackOnFirstPassword", "SubPassword", "pw1", false, "Password"}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(UpdateAccount, DisabledAccountsAreSkippedAndTheTotalsStillWritten) {
    AccountSpec a = Named("LionFX1");
    a.enabled = "False";
    AccountSpec b = Named("コスモ");
    b.enabled = "0";
    TradeRun r({a, b});
    EXPECT_TRUE(r.Update());
    EXPECT_TRUE(r.log.Has("LionFX1はEnabledが有効になっておりません。次の口座へ移ります"));
    EXPECT_TRUE(r.log.Has("コスモはEnabledが有効になっておりません。次の口座へ移ります"));
    EXPECT_FALSE(ChildValue(AccountSummaryElement(r.accounts), "LatestUpdate").empty());
    EXPECT_EQ(ChildValue(ChildNode(AccountSummaryElement(r.accounts), "Today"), "Balance"), "10");
}

TEST(UpdateAccount, MissingEnabledBreaksTheRun) {
    AccountSpec a = Named("LionFX1");
    a.enabled = "";
    TradeRun r({a});
    EXPECT_THROW(r.Update(), DocumentValueError);
}

TEST(UpdateAccount, CancelEndsTheRunBeforeTheTotals) {
    TradeRun r({Named("LionFX1")});
    r.brokers.Add("LionFX1");
    r.cancel = true;
    EXPECT_FALSE(r.Update());
    EXPECT_TRUE(r.log.Has("[Cancel] 処理を中断します..."));
    EXPECT_EQ(r.Count("を立ち上げます"), 0);
    EXPECT_TRUE(ChildValue(AccountSummaryElement(r.accounts), "LatestUpdate").empty());
}

struct VirtualFundsCase {
    const char* title;
    std::string mode;
    std::string difference;
    bool trades;
};

class StoredVirtualFunds : public ::testing::TestWithParam<VirtualFundsCase> {};

// A difference that is no number must neither size orders nor stop the other accounts.
TEST_P(StoredVirtualFunds, ThatAreNoNumberKeepOnlyTheirAccountFromTrading) {
    const VirtualFundsCase& c = GetParam();
    AccountSpec odd = Named("LionFX1");
    odd.virtualBalanceMode = c.mode;
    odd.virtualBalance = c.difference;
    TradeRun r({odd, Named("LionFX2")});
    auto oddBook = r.brokers.Add("LionFX1");
    auto other = r.brokers.Add("LionFX2");
    EXPECT_EQ(r.Update(), c.trades);
    EXPECT_EQ(r.Count("[LionFX1] Error! 仮想資金の差額(VirtualBalance) '" + c.difference +
                      "' が数値ではないため、この口座の取引を見送ります"),
              c.trades ? 0 : 1);
    EXPECT_EQ(r.Count("[LionFX1] LionFX1を立ち上げます"), c.trades ? 1 : 0);
    EXPECT_EQ(oddBook->NetLots("USDJPY"), c.trades ? 2 : 0);
    EXPECT_EQ(other->NetLots("USDJPY"), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, StoredVirtualFunds,
    ::testing::Values(VirtualFundsCase{"Empty", "True", "", false},
                      VirtualFundsCase{"Letters", "True", "abc", false},
                      VirtualFundsCase{"Grouped", "True", "1,000", false},
                      VirtualFundsCase{"IgnoredWithTheModeOff", "False", "abc", true}),
    [](const auto& info) { return std::string(info.param.title); });

struct ErrorLineCase {
    const char* title;
    int start;          // USDJPY position before the run
    int positionCount;  // of 2 slots; leverage 6 gives 3 lots per slot
    bool runOk;
    std::string fragment;
};

class ErrorLines : public ::testing::TestWithParam<ErrorLineCase> {};

// Both orders end with an unknown outcome that did execute: the account
// matches at the final check, and only the wording of the line decides.
TEST_P(ErrorLines, DecideTheRunEvenWhenEveryAccountMatches) {
    const ErrorLineCase& c = GetParam();
    AccountSpec spec = Named("外為オンライン");
    spec.counterTradeIsClose = false;
    spec.leverages = {{"USDJPY/SysA", "6"}};
    TradeRun r({spec}, {{"USDJPY", "SysA", c.positionCount, 2}});
    auto book = r.brokers.Add("外為オンライン");
    book->CounterTradeCloses = false;
    if (c.start) book->Hold("USDJPY", c.start);
    book->UnknownOutcome = {{1, true}};
    EXPECT_EQ(r.Update(), c.runOk);
    EXPECT_EQ(r.Count(c.fragment), 1);
    EXPECT_TRUE(r.log.Has("[外為オンライン] [重要] 外為オンラインのLot数は、シグナル指示とサーバー上とが【完全に一致】しています"));
    EXPECT_EQ(r.log.Has("[重要] トレードログ内にて、エラーが1件以上あります"), !c.runOk);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, ErrorLines,
    ::testing::Values(ErrorLineCase{"MisspelledCloseLineIsNotCounted", -5, -1, true, "[FixPosition] Erorr! "},
                      ErrorLineCase{"OpenLineIsCounted", 0, 1, false, "[FixPosition] Error! "}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(CountErrorLines, CountsPhysicalLinesHoldingErrorInAnyCase) {
    struct Case {
        std::vector<std::string> log;
        int count;
    };
    const Case cases[] = {
        {{"[FixPosition] Error! x"}, 1},
        {{"[FixPosition] Erorr! x"}, 0},
        {{"ERROR", "an error", "terrors"}, 3},
        {{"one\r\nerror two\nError three\rfour"}, 2},
        {{"エラー", ""}, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(CountErrorLines(c.log), c.count) << c.log.front();
}

} // namespace
