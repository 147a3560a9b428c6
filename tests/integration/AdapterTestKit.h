#pragma once
// The frame of an adapter suite against the simulator: one pellago-sim for
// the suite, a fresh account at the family for every test (named after the
// test, so tests never see each other's positions), and the adapter's
// session logged on to it in a real browser engine.

#include "BrowserTestKit.h"
#include "support/SimServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace browsertest {

struct SimSite {
    const char* family;    // "ocbc"
    const char* loginPath; // "/ocbc/Login.do"
    const char* account;   // the account's name in the program, which every log line carries
};

template <class Adapter>
class AdapterSuite : public ::testing::Test {
protected:
    explicit AdapterSuite(SimSite site) : site_(site) {}

    static void StartSim(const std::string& stateFile = "") {
        sim = new testsupport::SimServer(stateFile);
        ASSERT_TRUE(sim->Running());
        ASSERT_TRUE(sim->Post("/_control/prices", R"({"moving":false})").ok());
    }
    static void TearDownTestSuite() {
        delete sim;
        sim = nullptr;
    }

    void SetUp() override {
        account = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_TRUE(sim->CreateAccount(std::string(R"({"family":")") + site_.family + R"(","id":")" + account +
                                       R"(","password":"pw","deposit":1234567})"));
    }

    TSessionPtr<Adapter> Open(const std::string& password = "pw", const std::string& subPassword = "") {
        TSessionSettings settings = rig.Settings(sim->Url(site_.loginPath));
        settings.UserName = account;
        settings.Password = password;
        settings.SubPassword = subPassword;
        settings.AccountName = site_.account;
        settings.Slippage = "3";
        return TTradeApiBase::Create<Adapter>(settings);
    }

    std::string AccountPath() const { return std::string("/_control/accounts/") + site_.family + "/" + account; }
    void SetPositions(const std::string& json) { ASSERT_TRUE(sim->SetPositions(site_.family, account, json)); }
    std::vector<testsupport::SimPosition> Book() const { return sim->Positions(site_.family, account); }
    std::map<std::string, int> Net() const { return sim->NetLots(site_.family, account); }
    long long Counter(const std::string& what) const { return sim->Counter(what + "/" + site_.family); }
    int Executions() const { return sim->ExecutionCount(site_.family, account); }

    // An order and then a close whose answers the simulator loses (the
    // faults given) stay unconfirmed: each executes once, neither form is
    // sent again, and the session logs on again and goes on.
    void LoseAnswersOfAnOrderAndAClose(TTradeApiBase& session, const std::string& faults) {
        const int executions = Executions();
        const long long resubmits = Counter("resubmits");
        ASSERT_TRUE(sim->AddFault(faults));
        EXPECT_FALSE(session.OpenPosition("USDJPY", true, 1, {}, {}, "MergePosition", 0));
        EXPECT_TRUE(session.Active);
        TTicketArray tickets;
        ASSERT_TRUE(session.EnumTicket(tickets)) << "the session goes on after logging on again";
        ASSERT_FALSE(tickets.empty());
        EXPECT_FALSE(session.ClosePosition(tickets.front(), -1));
        EXPECT_EQ(Executions(), executions + 2);
        EXPECT_EQ(Counter("resubmits"), resubmits);
        EXPECT_TRUE(Logged("送信の応答が失われたため、再ログインして続けます"));
        EXPECT_EQ(Net(), (std::map<std::string, int>{{"USDJPY", 1}}));
    }

    bool Logged(const std::string& text) const {
        const std::string line = std::string("[") + site_.account + "] " + text;
        return std::find(rig.log.begin(), rig.log.end(), line) != rig.log.end();
    }

    static std::map<std::string, int> NetOf(const TUnitSizeArray& units) {
        std::map<std::string, int> net;
        for (const TUnitSize& unit : units) net[unit.Pair] = unit.Lots;
        return net;
    }

    static inline testsupport::SimServer* sim = nullptr;
    ShortPageSettle settle;
    std::string account;
    SessionRig rig;

private:
    SimSite site_;
};

} // namespace browsertest
