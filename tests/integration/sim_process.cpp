// pellago-sim as a process: loopback only, the state file across a restart,
// the control API's answers to bad requests, and the page faults as a plain
// HTTP client meets them.
#include "support/SimServer.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>

using testsupport::SimServer;

namespace {

const char* const kAccount = R"({"family":"lionfx","id":"u1","password":"pw","deposit":500000})";

TEST(SimProcess, RefusesToListenBeyondLoopback) {
    for (const char* address : {"0.0.0.0:0", "192.168.0.1:0", "127.0.0.1"}) {
        QProcess process;
        process.start(QString::fromStdString(testsupport::BinDir() + "pellago-sim"), {"--listen", address});
        ASSERT_TRUE(process.waitForFinished(10000)) << address;
        EXPECT_EQ(process.exitCode(), 2) << address;
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty()) << address;
    }
}

TEST(SimProcess, TheStateFileKeepsAccountsAndPositionsAcrossARestart) {
    testsupport::ScratchDir dir;
    const std::string state = dir.file("sim-state.json");
    std::vector<testsupport::SimPosition> before;
    {
        SimServer sim(state);
        ASSERT_TRUE(sim.Running());
        ASSERT_TRUE(sim.CreateAccount(kAccount));
        ASSERT_TRUE(sim.SetPositions("lionfx", "u1", R"([{"pair":"EURUSD","side":"sell","lots":3}])"));
        ASSERT_TRUE(sim.Post("/_control/prices", R"({"prices":{"USDJPY":140.5}})").ok());
        before = sim.Positions("lionfx", "u1");
        sim.Kill(); // no orderly shutdown: every change must already be on disk
    }
    SimServer restarted(state);
    ASSERT_TRUE(restarted.Running());
    auto after = restarted.Positions("lionfx", "u1");
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].ticket, before[0].ticket);
    EXPECT_EQ(after[0].lots, 3);
    EXPECT_FALSE(after[0].buy);
    EXPECT_EQ(restarted.Figures("lionfx", "u1").deposit, 500000);
    EXPECT_NE(restarted.Get("/_control/prices").body.find("\"USDJPY\":140.5"), std::string::npos);

    // The password came back too: the site takes the log-on.
    httplib::Client site("127.0.0.1", restarted.Port());
    auto logon = site.Post("/lionfx/LoginAction.do", "id=u1&password=pw&submit=x", "application/x-www-form-urlencoded");
    ASSERT_TRUE(logon);
    EXPECT_EQ(logon->status, 302);
}

TEST(SimProcess, ControlApiAnswersBadRequestsWithoutChangingAnything) {
    SimServer sim;
    ASSERT_TRUE(sim.Running());
    ASSERT_TRUE(sim.CreateAccount(kAccount));
    struct Case {
        const char* name;
        testsupport::SimReply reply;
        int status;
    } cases[] = {
        {"not JSON", sim.Post("/_control/accounts", "{family"), 400},
        {"no id", sim.Post("/_control/accounts", R"({"family":"lionfx"})"), 400},
        {"unknown account", sim.Get("/_control/accounts/lionfx/nobody"), 404},
        {"bad side", sim.Put("/_control/accounts/lionfx/u1/positions", R"([{"pair":"EURUSD","side":"up","lots":1}])"), 400},
        {"bad lots", sim.Put("/_control/accounts/lionfx/u1/positions", R"([{"pair":"EURUSD","lots":0}])"), 400},
        {"bad fault", sim.Post("/_control/faults", R"({"kind":"meteor"})"), 400},
        {"bad price", sim.Post("/_control/prices", R"({"prices":{"EURUSD":"cheap"}})"), 400},
    };
    for (const Case& c : cases) EXPECT_EQ(c.reply.status, c.status) << c.name << ": " << c.reply.body;
    EXPECT_TRUE(sim.Positions("lionfx", "u1").empty());
    EXPECT_EQ(sim.Get("/_control/faults").body, "[]");
}

TEST(SimProcess, PageFaultsMeetAPlainClient) {
    SimServer sim;
    ASSERT_TRUE(sim.Running());
    ASSERT_TRUE(sim.AddFault(R"([{"kind":"error","family":"lionfx","count":1},
                                 {"kind":"empty","family":"lionfx","count":1},
                                 {"kind":"slow","family":"lionfx","delayMs":800},
                                 {"kind":"confirm","family":"lionfx","message":"続けますか？"}])"));
    httplib::Client site("127.0.0.1", sim.Port());
    auto error = site.Get("/lionfx/Login.do");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->status, 500);
    EXPECT_NE(error->body.find("\x83\x79\x81\x5B\x83\x57"), std::string::npos) << "ページ in Shift_JIS";

    auto empty = site.Get("/lionfx/Login.do");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->status, 200);
    EXPECT_TRUE(empty->body.empty());

    const auto start = std::chrono::steady_clock::now();
    auto slow = site.Get("/lionfx/Login.do");
    ASSERT_TRUE(slow);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
    EXPECT_NE(slow->body.find("name=\"password\""), std::string::npos) << "a slow page is the real page";
    // The confirm goes onto the next page that is made, the slow one.
    EXPECT_NE(slow->body.find("confirm(\"\\u7d9a\\u3051\\u307e\\u3059\\u304b\\uff1f\")"), std::string::npos);

    auto plain = site.Get("/lionfx/Login.do");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->body.find("<script>"), std::string::npos);
    EXPECT_EQ(sim.Get("/_control/faults").body, "[]");
    EXPECT_EQ(sim.Counter("pages/lionfx"), 4);
}

} // namespace
