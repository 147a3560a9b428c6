// Whole trade runs over the account document on disk: several accounts at
// both broker behaviours from arbitrary positions, a second run, a bad
// signal file, and cancellation.

#include "base/AkUnit.h"
#include "reporting/BalanceHistory.h"
#include "trading/RunUpdateAccount.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "unit/UnitFixtures.h"
#include "unit/engine/EngineFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace enginetest;

namespace {

struct RecordingMail : ReportMailSink {
    std::vector<std::vector<std::string>> mails;
    void ComposeReportMail(const std::vector<std::string>& tradeLog) override { mails.push_back(tradeLog); }
};

// Balance 1000000 yen and 10000 units a lot: the target of a pair is the
// sum of strength x leverage, in lots.
const std::vector<SignalSystem> kSignal = {
    {"USDJPY", "SysA", 1, 2}, {"USDJPY", "SysB", -2, 3}, {"EURUSD", "SysC", 2, 2}};

struct Expected {
    std::string name;
    int usdJpy;
    int eurUsd;
};

class TradeRunOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFolder(dir.path());
        EnsureDir(ProgramPath("Setting/"));
        accountPath = ProgramPath("Setting/Account.xml");
        signalPath = ProgramPath("0105.xml");
        testsupport::WriteFileBytes(signalPath, SignalXml(kSignal));
        setup.CancelFlag = &cancel;
        setup.ActivityLog = log.Sink();
        setup.Sessions.Adapters = &brokers.Factory();
        setup.ReportMail = &mail;
        setup.ShowCancelButton = [this](bool shown) { buttonStates.push_back(shown); };
    }

    void WriteAccounts(const std::vector<AccountSpec>& specs) {
        testsupport::WriteFileBytes(accountPath, AccountDocumentXml(specs, kSignal));
    }
    bool RunOnce() { return RunUpdateAccount(signalPath, accountPath, setup); }
    pugi::xml_node SavedAccount(pugi::xml_document& doc, int index) {
        EXPECT_TRUE(LoadAccountDocument(doc, accountPath));
        return AccountAt(doc, index);
    }

    testsupport::ScratchDir dir;
    std::string accountPath;
    std::string signalPath;
    InMemoryBrokers brokers;
    LogCapture log;
    RecordingMail mail;
    bool cancel = true;  // a left-over request is cleared by the run
    std::vector<bool> buttonStates;
    TRunUpdateAccountSetup setup;
};

AccountSpec Spec(const std::string& name, const std::string& unique, bool counterTrade,
                 std::map<std::string, std::string> leverages, const std::string& maxLot = "10") {
    AccountSpec spec;
    spec.name = name;
    spec.unique = unique;
    spec.counterTradeIsClose = counterTrade;
    spec.leverages = std::move(leverages);
    spec.maxLot = maxLot;
    return spec;
}

TEST_F(TradeRunOnDisk, EveryAccountEndsAtItsTargetsAndASecondRunPlacesNoOrder) {
    AccountSpec disabled = Spec("FXブロードネット", "40004", true, {{"USDJPY/SysA", "9"}});
    disabled.enabled = "False";
    WriteAccounts({Spec("外為オンライン1", "40001", false,
                        {{"USDJPY/SysA", "4"}, {"USDJPY/SysB", "3"}, {"EURUSD/SysC", "5"}}, "2"),
                   Spec("LionFX", "40002", true, {{"USDJPY/SysA", "6"}, {"EURUSD/SysC", "2"}}, "2"),
                   Spec("コスモ", "40003", false, {{"USDJPY/SysA", "2"}, {"USDJPY/SysB", "6"}}),
                   disabled});
    auto sideBySide = brokers.Add("外為オンライン1");
    sideBySide->CounterTradeCloses = false;
    sideBySide->Hold("USDJPY", 3);
    sideBySide->Hold("USDJPY", -2);
    sideBySide->Hold("EURUSD", -4);
    sideBySide->Hold("GBPJPY", 1);
    auto counter = brokers.Add("LionFX");
    counter->Hold("USDJPY", -5);
    counter->Hold("EURJPY", 2);
    auto cosmo = brokers.Add("コスモ");
    cosmo->CounterTradeCloses = false;
    cosmo->Hold("EURUSD", 1);
    cosmo->Hold("EURUSD", -1);
    auto untouched = brokers.Add("FXブロードネット");
    untouched->Hold("USDJPY", 7);

    EXPECT_TRUE(RunOnce());
    const std::vector<Expected> expected = {{"外為オンライン1", 0, 5}, {"LionFX", 3, 2}, {"コスモ", -3, 0}};
    pugi::xml_document saved;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Expected& e = expected[i];
        auto book = brokers.Book(e.name);
        EXPECT_EQ(book->NetLots("USDJPY"), e.usdJpy) << e.name;
        EXPECT_EQ(book->NetLots("EURUSD"), e.eurUsd) << e.name;
        EXPECT_EQ(book->NetLots("GBPJPY") + book->NetLots("EURJPY"), 0) << e.name;
        pugi::xml_node summary =
            ChildPath(SavedAccount(saved, static_cast<int>(i)), {"Status", "HoldPosition", "Summary"});
        EXPECT_EQ(ChildValue(summary.child("USDJPY"), "Units"), e.usdJpy ? std::to_string(e.usdJpy) : "") << e.name;
        EXPECT_EQ(ChildValue(summary.child("EURUSD"), "Units"), e.eurUsd ? std::to_string(e.eurUsd) : "") << e.name;
        EXPECT_FALSE(summary.child("GBPJPY").first_child()) << e.name;
    }
    EXPECT_EQ(untouched->Orders.size(), 0u);
    EXPECT_EQ(untouched->LogOns, 0);
    EXPECT_EQ(AttributeValue(PortfolioGroups(PortfolioElement(saved))[0].first_child(), "MaxPosi"), "2");

    ASSERT_EQ(mail.mails.size(), 1u);
    EXPECT_EQ(mail.mails[0].back(), "[重要] 自動売買は正常に終了しました");
    EXPECT_TRUE(std::filesystem::exists(DailySnapshotPath(Now())));
    EXPECT_TRUE(std::filesystem::exists(BalanceCsvPath()));
    EXPECT_EQ(buttonStates, (std::vector<bool>{true, false}));

    std::vector<std::size_t> orders;
    for (const Expected& e : expected) orders.push_back(brokers.Book(e.name)->Orders.size());
    EXPECT_TRUE(RunOnce());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(brokers.Book(expected[i].name)->Orders.size(), orders[i]) << expected[i].name;
}

TEST_F(TradeRunOnDisk, UnreadableSignalIsDeletedAndTheRunFails) {
    WriteAccounts({Spec("LionFX", "40002", true, {{"USDJPY/SysA", "6"}})});
    const std::string before = testsupport::ReadFileBytes(accountPath);
    brokers.Add("LionFX");
    testsupport::WriteFileBytes(signalPath, "<Signal><HoldPositionSummary>");
    EXPECT_FALSE(RunOnce());
    EXPECT_FALSE(std::filesystem::exists(signalPath));
    EXPECT_TRUE(log.Has("SignalFile=\"" + signalPath + "\" のデータが正しくありません"));
    EXPECT_TRUE(log.Has("一度破棄し、後ほど再実行します"));
    EXPECT_EQ(brokers.Book("LionFX")->LogOns, 0);
    EXPECT_EQ(testsupport::ReadFileBytes(accountPath), before);
    EXPECT_EQ(buttonStates, (std::vector<bool>{true, false}));
}

TEST_F(TradeRunOnDisk, CancelledRunSavesTheRecordButSendsNoMail) {
    WriteAccounts({Spec("LionFX", "40002", true, {{"USDJPY/SysA", "6"}, {"EURUSD/SysC", "2"}}, "1")});
    auto book = brokers.Add("LionFX");
    book->OnOrder = [this](int) { cancel = true; };
    EXPECT_FALSE(RunOnce());
    EXPECT_EQ(book->NetLots("USDJPY"), 3);  // the pair in progress is finished
    EXPECT_EQ(book->NetLots("EURUSD"), 0);
    EXPECT_TRUE(mail.mails.empty());
    EXPECT_TRUE(std::filesystem::exists(DailySnapshotPath(Now())));
}

TEST_F(TradeRunOnDisk, SnapshotThatCannotBeSavedIsLoggedAndTheRunStillSucceeds) {
    WriteAccounts({Spec("LionFX", "40002", true, {{"USDJPY/SysA", "6"}})});
    brokers.Add("LionFX");
    // A file in the year folder's place: neither it nor the snapshot can be made.
    const std::string yearFolder = AccountLogFolder() + ZeroPad(Now().year, 4);
    EnsureDir(ProgramPath("AutoTrade/"));
    EnsureDir(AccountLogFolder());
    testsupport::WriteFileBytes(yearFolder, "");
    EXPECT_TRUE(RunOnce());
    EXPECT_EQ(log.CountContaining("[警告] 本日の口座スナップショット " + yearFolder + "/"), 1);
    EXPECT_EQ(log.CountContaining("を作成できません"), 1);
    pugi::xml_document saved;
    EXPECT_EQ(ChildValue(ChildPath(SavedAccount(saved, 0), {"Status", "HoldPosition", "Summary", "USDJPY"}), "Units"),
              "3");
    EXPECT_TRUE(std::filesystem::exists(BalanceCsvPath()));
    EXPECT_EQ(mail.mails.size(), 1u);
}

TEST_F(TradeRunOnDisk, BrokenAccountValueEndsTheRunWithoutSaving) {
    AccountSpec broken = Spec("LionFX", "40002", true, {{"USDJPY/SysA", "6"}});
    broken.enabled = "maybe";
    WriteAccounts({broken});
    const std::string before = testsupport::ReadFileBytes(accountPath);
    EXPECT_FALSE(RunOnce());
    EXPECT_EQ(testsupport::ReadFileBytes(accountPath), before);
    EXPECT_TRUE(mail.mails.empty());
}

} // namespace
