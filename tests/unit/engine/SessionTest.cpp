// The session base: log-on check, account figures, lot computation, message
// prefixes and log-off, over the in-memory broker.

#include "base/AkUnit.h"
#include "documents/DocumentNodes.h"
#include "unit/engine/EngineFixtures.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {

struct LogOnCase {
    const char* title;
    double balance;
    double balancePL;
    int failLogOns;
    bool active;
};

class LogOnCheck : public ::testing::TestWithParam<LogOnCase> {};

TEST_P(LogOnCheck, ActiveOnlyWithBothFiguresNonZero) {
    const LogOnCase& c = GetParam();
    auto book = std::make_shared<InMemoryBook>();
    book->Balance = c.balance;
    book->BalancePL = c.balancePL;
    book->FailLogOns = c.failLogOns;
    LogCapture log;
    auto session = Session(book, log, "コスモ1");
    EXPECT_EQ(session->Active, c.active);
    EXPECT_EQ(log.CountContaining("[コスモ1] 口座資産 = "), c.active ? 1 : 0);
    EXPECT_EQ(log.CountContaining("[コスモ1] 評価資産 = "), c.active ? 1 : 0);
    EXPECT_EQ(log.Has("[コスモ1] 口座情報が取得できないか、あるいは資産残高が0円です。この口座の処理を抜けます"),
              !c.active);
    session.reset();
    EXPECT_EQ(book->LogOffs, c.active ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Engine, LogOnCheck,
                         ::testing::Values(LogOnCase{"Figures", 1000000, 990000, 0, true},
                                           LogOnCase{"ZeroBalance", 0, 990000, 0, false},
                                           LogOnCase{"ZeroValuation", 1000000, 0, 0, false},
                                           LogOnCase{"LogOnRefused", 1000000, 990000, 1, false}),
                         [](const auto& info) { return std::string(info.param.title); });

TEST(Session, CancelDuringLogOnStopsTheCheck) {
    auto book = std::make_shared<InMemoryBook>();
    LogCapture log;
    bool cancel = true;
    auto session = TTradeApiBase::Create<InMemoryBroker>(Settings("LionFX", log, &cancel), book);
    EXPECT_TRUE(log.Has("[LionFX] [Cancel] 処理を中断します..."));
    EXPECT_EQ(log.CountContaining("口座資産"), 0);
}

struct BadSettingCase {
    const char* title;
    std::string minLots, maxLots, unit;
};

class BadSettings : public ::testing::TestWithParam<BadSettingCase> {};

TEST_P(BadSettings, LeaveTheSessionInactiveWithoutLogOn) {
    auto book = std::make_shared<InMemoryBook>();
    LogCapture log;
    TSessionSettings s = Settings("LionFX", log);
    s.MinLotSize = GetParam().minLots;
    s.MaxLotSize = GetParam().maxLots;
    s.AccountBaseUnitSize = GetParam().unit;
    auto session = TTradeApiBase::Create<InMemoryBroker>(s, book);
    EXPECT_FALSE(session->Active);
    EXPECT_EQ(book->LogOns, 0);
}

INSTANTIATE_TEST_SUITE_P(Engine, BadSettings,
                         ::testing::Values(BadSettingCase{"MinNotANumber", "one", "10", "10000"},
                                           BadSettingCase{"MaxEmpty", "1", "", "10000"},
                                           BadSettingCase{"UnitDecimal", "1", "10", "1.5"},
                                           BadSettingCase{"UnitZero", "1", "10", "0"}),
                         [](const auto& info) { return std::string(info.param.title); });

struct FiguresCase {
    const char* title;
    std::string currency;
    double balance;
    double balancePL;
    std::string pl;
};

class AccountFigures : public ::testing::TestWithParam<FiguresCase> {};

TEST_P(AccountFigures, ProfitIsRoundedByTheAccountCurrency) {
    const FiguresCase& c = GetParam();
    auto book = std::make_shared<InMemoryBook>();
    book->Balance = c.balance;
    book->BalancePL = c.balancePL;
    LogCapture log;
    TSessionSettings s = Settings("LionFX", log);
    s.AccountBaseCurrency = c.currency;
    auto session = TTradeApiBase::Create<InMemoryBroker>(s, book);
    pugi::xml_document doc;
    pugi::xml_node today = doc.append_child("Today");
    ASSERT_TRUE(session->UpdateAccountInfo(today));
    EXPECT_EQ(ChildValue(today, "Balance"), FormatDecimal(c.balance));
    EXPECT_EQ(ChildValue(today, "BalancePL"), FormatDecimal(c.balancePL));
    EXPECT_EQ(ChildValue(today, "PL"), c.pl);
}

INSTANTIATE_TEST_SUITE_P(Engine, AccountFigures,
                         ::testing::Values(FiguresCase{"YenWholeUnits", "jpy", 1000000, 1000123.5, "124"},
                                           FiguresCase{"YenLoss", "JPY", 1000000, 999876.5, "-124"},
                                           FiguresCase{"DollarCents", "USD", 10000, 10012.346, "12.35"},
                                           FiguresCase{"DollarLoss", "USD", 10000, 9987.654, "-12.35"}),
                         [](const auto& info) { return std::string(info.param.title); });

TEST(Session, AccountFiguresUntouchedWithoutABalance) {
    auto book = std::make_shared<InMemoryBook>();
    LogCapture log;
    auto session = Session(book, log);
    session->Balance = 0;
    pugi::xml_document doc;
    pugi::xml_node today = doc.append_child("Today");
    SetChildValue(today, "Balance", "7");
    EXPECT_TRUE(session->UpdateAccountInfo(today));
    EXPECT_EQ(ChildValue(today, "Balance"), "7");
    EXPECT_FALSE(today.child("PL"));
}

struct LotsCase {
    const char* title;
    std::string currency;
    std::string unit;
    double balancePL;
    double ratio;
    std::string lots;
};

class LotComputation : public ::testing::TestWithParam<LotsCase> {};

TEST_P(LotComputation, RoundsHalfAwayAndKeepsWithinTheOrderLimits) {
    const LotsCase& c = GetParam();
    auto book = std::make_shared<InMemoryBook>();
    book->BalancePL = c.balancePL;
    LogCapture log;
    TSessionSettings s = Settings("LionFX", log);
    s.AccountBaseCurrency = c.currency;
    s.AccountBaseUnitSize = c.unit;
    s.MinLotSize = "2";
    s.MaxLotSize = "10";
    auto session = TTradeApiBase::Create<InMemoryBroker>(s, book);
    EXPECT_EQ(session->ComputeLots(c.ratio), c.lots);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, LotComputation,
    ::testing::Values(LotsCase{"YenDividedByHundred", "JPY", "10000", 1000000, 4.5, "5"},
                      LotsCase{"RaisedToMinimum", "JPY", "10000", 1000000, 1.2, "2"},
                      LotsCase{"LoweredToMaximum", "JPY", "10000", 1000000, 30, "10"},
                      LotsCase{"DollarNotDivided", "USD", "1000", 10000, 0.35, "4"}),
    [](const auto& info) { return std::string(info.param.title); });

TEST(Session, MessagesCarryTheAccountName) {
    auto book = std::make_shared<InMemoryBook>();
    LogCapture log;
    LogCapture detail;
    TSessionSettings s = Settings("FXブロードネット", log);
    s.OnDetailLog = detail.Sink();
    auto session = TTradeApiBase::Create<InMemoryBroker>(s, book);
    session->Log("a");
    session->DetailLog("b");
    EXPECT_EQ(log.lines.back(), "[FXブロードネット] a");
    EXPECT_EQ(detail.lines.back(), "[FXブロードネット] b");
}

TEST(Session, ClosingLogsOffOnce) {
    auto book = std::make_shared<InMemoryBook>();
    LogCapture log;
    auto session = Session(book, log);
    session->Close();
    session->Close();
    session.reset();
    EXPECT_EQ(book->LogOffs, 1);
}

} // namespace
