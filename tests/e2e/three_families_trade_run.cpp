// One trade run over three accounts, one at each broker family of the
// simulator (LionFX, the OCBC family, Cosmo), through the program's adapter
// table in a real browser engine. Each book starts with positions that need
// opens, whole and partial closes and closes of pairs the signal does not
// name; the OCBC password has expired. One run must leave every book at the
// sizing's targets with HoldPosition recording them and the rotated password
// saved; a second run must place no order.
#include "base/AkUnit.h"
#include "broker/ProgramAdapters.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/XmlFile.h"
#include "integration/BrowserTestKit.h"
#include "support/SimServer.h"
#include "support/TestSupport.h"
#include "trading/RunUpdateAccount.h"
#include "unit/engine/EngineFixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

using namespace enginetest;
using testsupport::SimServer;

namespace {

struct Family {
    const char* sim;       // the simulator's family
    const char* loginPath;
    const char* name;      // the account's name, which selects the adapter
    bool counterTradeIsClose;
    const char* positions; // the book before the run
    int executions;        // what the run must execute, at the least
};

// Balance 1,000,000 yen and 10,000 units a lot: USDJPY 3, EURUSD -4,
// GBPJPY 0; EURJPY and EURGBP are outside the signal.
const std::vector<SignalSystem> kSignal = {
    {"USDJPY", "SysA", 1, 2}, {"EURUSD", "SysC", -2, 2}, {"GBPJPY", "SysD", 0, 1}};
const std::map<std::string, int> kTargets = {{"USDJPY", 3}, {"EURUSD", -4}};

const Family kFamilies[] = {
    // Counter trades close: buy 5 + 3 (the 5 close the sell), sell 5 (closes
    // the buy, opens 4), sell 2 (closes), and the EURJPY close.
    {"lionfx", "/lionfx/Login.do", "LionFX口座", true,
     R"([{"pair":"USDJPY","side":"sell","lots":5},{"pair":"EURUSD","side":"buy","lots":1},
         {"pair":"GBPJPY","side":"buy","lots":2},{"pair":"EURJPY","side":"buy","lots":2}])", 6},
    // 2 of the 5 closed, a sell of 3 opened, GBPJPY and EURJPY closed.
    {"ocbc", "/ocbc/Login.do", "外為オンライン口座", false,
     R"([{"pair":"USDJPY","side":"buy","lots":5},{"pair":"EURUSD","side":"sell","lots":1},
         {"pair":"GBPJPY","side":"buy","lots":2},{"pair":"EURJPY","side":"sell","lots":1}])", 4},
    // The sell closed and a buy of 3 opened, 2 of the 6 closed, EURGBP closed.
    {"cosmo", "/cosmo/Login.do", "コスモ口座", false,
     R"([{"pair":"USDJPY","side":"sell","lots":1},{"pair":"EURUSD","side":"sell","lots":6},
         {"pair":"EURGBP","side":"buy","lots":1}])", 4},
};

class ThreeFamiliesTradeRun : public ::testing::Test {
protected:
    using Clock = std::chrono::steady_clock;

    void SetUp() override {
        ASSERT_TRUE(sim.Running());
        ASSERT_TRUE(sim.Post("/_control/prices", R"({"moving":false})").ok());
        std::vector<AccountSpec> specs;
        for (const Family& family : kFamilies) {
            // Positions at the market rate: closing them books nothing, so
            // every balance the sizing starts from stays 1,000,000.
            ASSERT_TRUE(sim.CreateAccount(std::string(R"({"family":")") + family.sim +
                                          R"(","id":"e2e","password":"secret","deposit":1000000,"positions":)" +
                                          family.positions + "}"));
            AccountSpec spec;
            spec.name = family.name;
            spec.unique = std::to_string(50001 + specs.size());
            spec.counterTradeIsClose = family.counterTradeIsClose;
            spec.maxLot = "5";
            spec.password = "secret";
            spec.subPassword = "secret2";
            spec.leverages = {{"USDJPY/SysA", "6"}, {"EURUSD/SysC", "4"}, {"GBPJPY/SysD", "3"}};
            specs.push_back(spec);
        }
        ASSERT_TRUE(sim.Post("/_control/accounts/ocbc/e2e/expire-password", "").ok());

        SetProgramFolder(dir.path());
        EnsureDir(ProgramPath("Setting/"));
        accountPath = ProgramPath("Setting/Account.xml");
        signalPath = ProgramPath("0105.xml");
        testsupport::WriteFileBytes(signalPath, SignalXml(kSignal));
        pugi::xml_document doc;
        ASSERT_TRUE(ParseXmlBytes(AccountDocumentXml(specs, kSignal), doc));
        for (size_t i = 0; i < std::size(kFamilies); ++i) {
            pugi::xml_node account = AccountAt(doc, static_cast<int>(i));
            SetChildValue(account, "UserName", AngouEncodeText("e2e"));
            // The document keeps the address without its "http".
            SetChildValue(account, "LOU", AngouEncodeText(sim.Url(kFamilies[i].loginPath).substr(4)));
        }
        testsupport::WriteFileBytes(accountPath, XmlText(doc));

        setup.CancelFlag = &cancel;
        setup.Sessions.Adapters = &adapters;
        setup.Sessions.Browsers = &rig.factory;
        setup.Sessions.Watchdog = [this](bool on) { rig.watchdog.SetEnabled(on); };
        setup.ActivityLog = log.Sink();
        setup.DetailLog = [this](const std::string& line) {
            for (const Family& family : kFamilies)
                if (line.rfind(std::string("[") + family.name + "] ", 0) == 0) Note(family.sim, line);
        };
    }

    // A family's share of a run: its page waits and the time from its
    // session's first detail line to its last.
    struct Share {
        int pageWaits = 0;
        Clock::time_point first;
        Clock::time_point last;
    };

    void Note(const std::string& family, const std::string& line) {
        Share& share = shares[family];
        if (share.first == Clock::time_point()) share.first = Clock::now();
        share.last = Clock::now();
        if (line.find("] WaitIE IN") != std::string::npos) ++share.pageWaits;
    }

    // Runs once; prints the run's time and each family's page waits and time.
    bool Run(const char* which) {
        shares.clear();
        const auto start = Clock::now();
        const bool ok = RunUpdateAccount(signalPath, accountPath, setup);
        std::printf("[ MEASURE  ] %s run: %.1f s\n", which, Seconds(Clock::now() - start));
        for (const Family& family : kFamilies) {
            const Share& share = shares[family.sim];
            std::printf("[ MEASURE  ]   %s: %d page waits, %.1f s\n", family.sim, share.pageWaits,
                        Seconds(share.last - share.first));
        }
        return ok;
    }

    static double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

    std::map<std::string, int> Executions() {
        std::map<std::string, int> counts;
        for (const Family& family : kFamilies) counts[family.sim] = sim.ExecutionCount(family.sim, "e2e");
        return counts;
    }

    SimServer sim;
    testsupport::ScratchDir dir;
    std::string accountPath;
    std::string signalPath;
    browsertest::SessionRig rig;
    TAdapterFactory adapters = ProgramAdapterFactory();
    bool cancel = false;
    LogCapture log;
    std::map<std::string, Share> shares;
    TRunUpdateAccountSetup setup;
};

TEST_F(ThreeFamiliesTradeRun, OneRunReachesTheTargetsAtEveryFamilyAndASecondPlacesNoOrder) {
    const std::map<std::string, int> before = Executions();
    EXPECT_TRUE(Run("first"));

    pugi::xml_document saved;
    ASSERT_TRUE(LoadAccountDocument(saved, accountPath));
    const std::map<std::string, int> after = Executions();
    for (size_t i = 0; i < std::size(kFamilies); ++i) {
        const Family& family = kFamilies[i];
        SCOPED_TRACE(family.name);
        EXPECT_EQ(sim.NetLots(family.sim, "e2e"), kTargets);
        EXPECT_TRUE(log.Has(std::string("[") + family.name + "] [重要] " + family.name +
                            "のLot数は、シグナル指示とサーバー上とが【完全に一致】しています"));
        EXPECT_EQ(after.at(family.sim) - before.at(family.sim), family.executions);
        EXPECT_EQ(sim.Counter(std::string("resubmits/") + family.sim), 0) << "a form was sent twice";

        pugi::xml_node summary = ChildPath(AccountAt(saved, static_cast<int>(i)), {"Status", "HoldPosition", "Summary"});
        std::map<std::string, int> recorded;
        for (pugi::xml_node pair : ChildElements(summary))
            if (pair.first_child()) recorded[pair.name()] = std::stoi(ChildValue(pair, "Units"));
        EXPECT_EQ(recorded, kTargets);
    }
    EXPECT_TRUE(log.Has("[外為オンライン口座] Passwordの変更を正常に保存しました"));
    EXPECT_EQ(ChildValue(AccountAt(saved, 1), "NowPassword"), "SubPassword");
    EXPECT_EQ(log.CountContaining("[EnumTicketEx] 対象外の通貨"), 3);

    log.lines.clear();
    EXPECT_TRUE(Run("second"));
    EXPECT_EQ(Executions(), after);
    EXPECT_EQ(log.CountContaining("Passwordの変更"), 0) << "the new password is the one in force now";
}

} // namespace
