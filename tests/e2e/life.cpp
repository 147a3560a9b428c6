// One program folder through the events of a real PC, in calendar order:
// the program (`pellago --home DIR --headless`) against pellago-sim, its
// signals from a real dovecot mailbox, its notices to a real SMTP server,
// its clock moved to each step's day. After each step the book at the
// broker, the activity log and the exit code are checked.

#include "app/MailMessage.h"
#include "app/ProcessState.h"
#include "app/ui/PellagoUnit1.h"
#include "base/AkUnit.h"
#include "e2e/HeadlessKit.h"
#include "e2e/SoakKit.h"
#include "integration/Dovecot.h"
#include "support/WindowInput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

using headless::ProgramHome;
using headless::RunResult;

namespace {

const std::string kAccount = "life-lionfx";
const std::string kDone = "■ 自動売買は正常に終了しました";

// Seconds from now to `date` ("YYYY-MM-DD") at 12:00 UTC: the program's
// test clock offset for that day.
long long OffsetTo(const std::string& date)
{
    std::tm day{};
    day.tm_year = std::stoi(date.substr(0, 4)) - 1900;
    day.tm_mon = std::stoi(date.substr(5, 2)) - 1;
    day.tm_mday = std::stoi(date.substr(8, 2));
    day.tm_hour = 12;
    return static_cast<long long>(timegm(&day)) - static_cast<long long>(std::time(nullptr));
}

// PositionCount of USDJPY and EURJPY out of 2 slots each; `summary` false
// gives the failed signal of the service: a document without its positions.
std::string Signal(const std::string& name, int usd, int eur, bool summary = true)
{
    std::string body = "<PellagoSignal>\n  <FileName>" + name + "</FileName>\n";
    if (summary)
        body += "  <HoldPositionSummary>\n    <USDJPY><Breakout UseSystemCount=\"2\" PositionCount=\"" +
                std::to_string(usd) + "\"/></USDJPY>\n    <EURJPY><Breakout UseSystemCount=\"2\" PositionCount=\"" +
                std::to_string(eur) + "\"/></EURJPY>\n  </HoldPositionSummary>\n";
    return body + "  <HoldPosition/>\n</PellagoSignal>\n";
}

std::string Mail(const std::string& subject, const std::string& body)
{
    return "From: signal@pellago.example\r\nTo: " + dovecotkit::kUser + "\r\nSubject: " + subject +
           "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n" + body;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Timers of this process on the alarm clock that wakes a suspended machine,
// as the kernel shows them.
int AlarmTimers()
{
    int timers = 0;
    std::error_code error;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        if (std::filesystem::read_symlink(fd.path(), error).string() != "anon_inode:[timerfd]")
            continue;
        const std::string info = testsupport::ReadFileBytes("/proc/self/fdinfo/" + fd.path().filename().string());
        timers += Contains(info, "clockid: " + std::to_string(CLOCK_REALTIME_ALARM));
    }
    return timers;
}

class Life : public headless::SimAndMailTest {
protected:
    void SetUp() override
    {
        headless::SimAndMailTest::SetUp();
        pop3 = std::make_unique<dovecotkit::Dovecot>(mailRoot.path());
        ASSERT_TRUE(pop3->Started()) << pop3->Log();
        home = std::make_unique<ProgramHome>(sim);
        home->MailReportsTo(smtp->Port(), certificates.path());
        home->SignalsFromMailbox(pop3->Port(), "user1", dovecotkit::kPassword);
        ASSERT_TRUE(sim.CreateAccount(R"({"family":"lionfx","id":")" + kAccount +
                                      R"(","password":"pw","deposit":1000000})"));
        home->AddAccount("LionFX", kAccount, "pw");
        for (const auto& [name, value] : std::map<QString, QString>{{"PELLAGO_HOME", QString::fromStdString(home->path())},
                                                                     {"PELLAGO_TEST_TICK_MS", "500"},
                                                                     {"PELLAGO_TEST_RETRY_STEP_MS", "1000"},
                                                                     {"PELLAGO_TEST_SETTLE_MS", "20"},
                                                                     {"PELLAGO_TEST_POLL_MS", "10"},
                                                                     {"PELLAGO_TEST_PAGE_DEADLINE_S", "2"},
                                                                     {"PELLAGO_TEST_RELOAD_PAUSE_MS", "100"}})
            home->SetEnvironment(name, value);
    }

    void TearDown() override
    {
        if (home)
            home->EndLeftovers();
    }

    void Publish(const std::string& subject, const std::string& body) { pop3->Deliver(++delivered, Mail(subject, body)); }

    // One tick of automatic mode on `date`; the activity lines it added.
    RunResult RunOn(const std::string& date)
    {
        home->SetEnvironment("PELLAGO_TEST_CLOCK_OFFSET", QString::number(OffsetTo(date)));
        RunResult run = home->RunOnce();
        run.output = log.Read();
        return run;
    }

    std::map<std::string, int> Book() const { return sim.NetLots("lionfx", kAccount); }
    int Executions() const { return sim.ExecutionCount("lionfx", kAccount); }
    std::string Year(const std::string& year) const { return home->file("AutoTrade/SignalLog/" + year + "/"); }

    testsupport::ScratchDir mailRoot;
    std::unique_ptr<dovecotkit::Dovecot> pop3;
    std::unique_ptr<ProgramHome> home;
    soak::LogTail log{""};
    int delivered = 0;
};

TEST_F(Life, OneProgramFolderThroughTheEventsOfARealPc)
{
    log = soak::LogTail(home->file("Log"));

    // 1. First start with the service down and no template: automatic mode
    //    waits, says so once, and trades in the same session once the
    //    service answers.
    std::filesystem::remove(home->file("Setting/AccountTemplate.xml"));
    ASSERT_TRUE(sim.Post("/_control/service/faults", R"({"path":"/account_template.xml","status":503})").ok());
    Publish("1209.xml", Signal("1209.xml", 2, -2));
    home->SetEnvironment("PELLAGO_TEST_CLOCK_OFFSET", QString::number(OffsetTo("2027-12-09")));
    auto program = home->Start(false);
    std::string lines;
    const auto logged = [&](const std::string& text) {
        return testsupport::WaitUntil([&] { return Contains(lines += log.Read(), text); }, 120000);
    };
    ASSERT_TRUE(logged("自動売買を待機します")) << lines;
    EXPECT_EQ(Executions(), 0);
    ASSERT_TRUE(sim.Delete("/_control/service/faults/account_template.xml").ok());
    ASSERT_TRUE(logged(kDone)) << lines;
    program->terminate();
    const RunResult first = headless::Finish(*program, 30000);
    EXPECT_EQ(first.exitCode, 0) << first.output;
    home->EndLeftovers();
    lines += log.Read();
    EXPECT_EQ(Book(), (std::map<std::string, int>{{"EURJPY", -3}, {"USDJPY", 3}})) << lines;

    // The remaining steps: one tick each on their day.
    struct Step {
        const char* what;
        const char* date;
        std::function<void()> prepare;
        int exitCode;
        bool trades;
        std::map<std::string, int> book;
        std::vector<std::string> logLines;
    };
    const std::vector<Step> steps = {
        {"2. a weekend trades nothing", "2027-12-11", [&] { Publish("1213.xml", Signal("1213.xml", 0, 2)); }, 0, false,
         {{"EURJPY", -3}, {"USDJPY", 3}}, {"Market Close."}},
        {"2. the Monday after trades", "2027-12-13", [] {}, 0, true, {{"EURJPY", 3}}, {kDone}},
        {"3. a signal without positions is refused", "2027-12-14",
         [&] { Publish("1214.xml", Signal("1214.xml", 0, 0, false)); }, 1, false, {{"EURJPY", 3}},
         {"HoldPositionSummary", "次に正しいシグナルを受信した時点で"}},
        {"3. the next good signal is traded", "2027-12-15", [&] { Publish("1215.xml", Signal("1215.xml", -2, 0)); }, 0, true,
         {{"USDJPY", -3}}, {kDone}},
        {"4. New Year: last year's newest signal is found", "2028-01-03",
         [&] {
             ASSERT_TRUE(sim.SetPositions("lionfx", kAccount, "[]"));
             WriteIniString(home->file("pellago.ini"), "AutoTrade", "LatestTrade", "0");
         },
         0, true, {{"USDJPY", -3}}, {kDone}},
        {"5. a stray name in the signal folder", "2028-01-04",
         [&] {
             Publish("0104.xml", Signal("0104.xml", 2, 2));
             Publish("signal.xml", Signal("signal.xml", -2, -2));
         },
         0, true, {{"EURJPY", 3}, {"USDJPY", 3}}, {"signal.xml", kDone}},
        {"6. a snapshot that cannot be written", "2028-01-05",
         [&] {
             std::filesystem::create_directories(home->file("AutoTrade/AccountLog/2028/0105.xml"));
             Publish("0105.xml", Signal("0105.xml", 0, -2));
         },
         0, true, {{"EURJPY", -3}}, {"本日の口座スナップショット", kDone}},
        {"7. a bad line in InOut.csv", "2028-01-06",
         [&] {
             testsupport::WriteFileBytes(home->file("AutoTrade/AccountLog/InOut.csv"),
                                         "2027/12/20,100000\r\nnot a line\r\n");
             Publish("0106.xml", Signal("0106.xml", 2, 0));
         },
         0, true, {{"USDJPY", 3}}, {kDone}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.prepare();
        const int executionsBefore = Executions();
        const RunResult run = RunOn(step.date);
        EXPECT_EQ(run.exitCode, step.exitCode) << run.output;
        EXPECT_EQ(Book(), step.book) << run.output;
        for (const std::string& line : step.logLines)
            EXPECT_TRUE(Contains(run.output, line)) << line << "\n" << run.output;
        EXPECT_EQ(home->AutoTradeValue("URetryCount"), "0") << run.output;
        EXPECT_EQ(Executions() > executionsBefore, step.trades);
    }

    // The bad in/out line was moved aside and the history rebuilt up to the last run.
    EXPECT_NE(testsupport::ReadFileBytes(home->file("AutoTrade/AccountLog/InOut_rejected.csv")).find("not a line"),
              std::string::npos);
    const std::string history = testsupport::ReadFileBytes(home->file("AutoTrade/AccountLog/BalanceWithInOut.csv"));
    EXPECT_NE(history.find("2028/1/6, "), std::string::npos) << history;

    // 8. The wake option switched off in the window: the alarm is released at once.
    WriteIniStrings(home->file("pellago.ini"), "Main", {{"CheckBox11", "1"}, {"ComboBox2", "1"}, {"CheckBox13", "1"}});
    SetExecutablePath(testsupport::BinDir() + "pellago"); // the program's own settings file
    SetProgramFolder(home->path());
    ResetProcessState();
    {
        TPellagoForm window{StartOptions()};
        window.show();
        ASSERT_TRUE(testsupport::WaitUntil([] { return AlarmTimers() == 1; }, 10000))
            << "armed at start";
        windowinput::ClickTab(window.PageControl1, window.TabSheet1);
        windowinput::ClickBox(window.CheckBox13);
        EXPECT_FALSE(window.CheckBox13->isChecked());
        EXPECT_EQ(AlarmTimers(), 0);
        window.close();
    }

    // The refused signal was mailed as a notice.
    bool noticed = false;
    for (const auto& mail : smtp->Messages())
        noticed = noticed || Contains(ParseReceivedMail(mail.raw).subject, "シグナルに異常");
    EXPECT_TRUE(noticed);
    EXPECT_TRUE(std::filesystem::exists(Year("2027") + "1214.xml"));
}

} // namespace
