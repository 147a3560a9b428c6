// What a retried account attempt must not repeat or undo from the attempt
// before it.

#include "trading/TradeAPI.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "unit/UnitFixtures.h"
#include "unit/engine/EngineFixtures.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {

const std::string kName = "外為オンライン";
const std::vector<SignalSystem> kSignal = {{"USDJPY", "SysA", 1, 2}};

struct RetriedRun {
    testsupport::ScratchDir dir;
    std::string path = dir.file("Account.xml");
    InMemoryBrokers brokers;
    std::shared_ptr<InMemoryBook> book = brokers.Add(kName);
    LogCapture log;
    bool cancel = false;
    TTradeAPI api{cancel, true, log.Sink(), nullptr};
    pugi::xml_document accounts;
    pugi::xml_document signal;

    explicit RetriedRun(AccountSpec spec) {
        spec.name = kName;
        spec.unique = "40001";
        spec.leverages = {{"USDJPY/SysA", "4"}};
        Parse(AccountDocumentXml({spec}, kSignal), accounts);
        Parse(SignalXml(kSignal), signal);
    }
    bool Update() {
        TSessionEnvironment environment;
        environment.Adapters = &brokers.Factory();
        return api.UpdateAccount(&signal, accounts, path, TUpdateMode::Trade, environment);
    }
};

// The broker forces the change at the first log-on, the first adjustment
// fails, and the second attempt logs on again: it must use the new password
// and leave the rotation as the first attempt saved it.
TEST(RetriedAttempt, LogsOnWithThePasswordTheEarlierAttemptRotated) {
    AccountSpec spec;
    spec.password = "pw1";
    spec.subPassword = "pw2";
    spec.nowPassword = "Password";
    RetriedRun r(spec);
    r.book->Password = "pw1";
    r.book->PasswordExpired = true;
    r.book->FailEnumTickets = 1;

    EXPECT_TRUE(r.Update());
    EXPECT_EQ(r.book->Password, "pw2");
    EXPECT_EQ(r.log.CountContaining("Passwordの変更を正常に保存しました"), 1);
    EXPECT_EQ(ChildValue(AccountAt(r.accounts, 0), "NowPassword"), "SubPassword");
    pugi::xml_document saved;
    ASSERT_TRUE(LoadAccountDocument(saved, r.path));
    EXPECT_EQ(ChildValue(AccountAt(saved, 0), "NowPassword"), "SubPassword");
}

} // namespace
