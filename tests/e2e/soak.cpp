// A flaky broker site or mail server never leaves an account wrong: the
// unattended program runs in automatic mode (its periods, page settle,
// reload pause and page deadline shortened) in three program folders, one
// account each at LionFX, OCBC and Cosmo, through many cycles. A cycle is
// one trade run of one folder, the folders in turn: a new signal arrives in
// the folder's mailbox (a real dovecot) and, at a set rate, a fault waits at
// its broker: server-error, empty, dropped and slow pages, JavaScript
// confirms, sessions that expire on the order, order answers lost after the
// order executed. On fixed cycles the SMTP server or the POP3 server is
// down, or the broker is down for longer than a run's attempts, so that the
// restart through ReExe is met. After every cycle the account holds its
// targets, no confirmation was sent twice and no more executions happened
// than the adjustment needed; failures follow the retry policy; at the end
// every report arrived exactly once and the resident memory of the three
// folders grew by less than 5 % from cycle 50 on (from half-way in a
// shorter soak).
// PELLAGO_SOAK_CYCLES sets the cycles (100 in the test command;
// bench/soak.sh runs more), PELLAGO_SOAK_SEED replays one.

#include "e2e/HeadlessKit.h"
#include "e2e/SoakKit.h"
#include "integration/Dovecot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

using headless::ProgramHome;
using testsupport::ScratchDir;

namespace {

constexpr double kFaultRate = 0.4;   // share of cycles with a broker fault waiting
constexpr int kCycleTimeoutMs = 90000;
constexpr int kRestartTimeoutMs = 240000; // three failed runs and a restart
constexpr int kMemoryFromCycle = 50;
constexpr int kCyclesInTests = 100;

int EnvironmentNumber(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : fallback;
}

struct Account {
    std::string broker; // the account screen's label
    std::string family; // pellago-sim's site family
    std::string user;
    std::string order;  // the path of its order confirmation
};

const std::vector<Account> kAccounts = {{"LionFX", "lionfx", "soak-lionfx", "OrderExecute"},
                                        {"外為オンライン", "ocbc", "soak-ocbc", "OrderAction"},
                                        {"コスモ", "cosmo", "soak-cosmo", "ExecuteSingleOrder"}};

// A signal the service publishes and the net lots it means at leverage 3.
struct Signal {
    int usd;
    int eur;
    std::map<std::string, int> targets;
};

// Each signal turns one pair of the one before, so that every cycle trades
// (closes and opens) without making each run long.
const std::vector<Signal> kSignals = {{2, -1, {{"EURJPY", -2}, {"USDJPY", 3}}},
                                      {2, 1, {{"EURJPY", 2}, {"USDJPY", 3}}},
                                      {-2, 1, {{"EURJPY", 2}, {"USDJPY", -3}}},
                                      {-2, -1, {{"EURJPY", -2}, {"USDJPY", -3}}}};

// The program takes the newest signal of the day its name begins with
// (MMDD); the cycle number after it keeps each cycle's name new and newest.
std::string SignalName(const DateTime& day, int cycle)
{
    char name[32];
    std::snprintf(name, sizeof name, "%02d%02d-%05d.xml", day.month, day.day, cycle);
    return name;
}

std::string SignalMail(const std::string& name, const std::string& body)
{
    return "From: signal@pellago.example\r\nTo: " + dovecotkit::kUser + "\r\nSubject: " + name +
           "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n" + body;
}

std::string SignalDocument(const std::string& name, const Signal& signal)
{
    return "<PellagoSignal>\n  <FileName>" + name +
           "</FileName>\n  <HoldPositionSummary>\n"
           "    <USDJPY><Breakout UseSystemCount=\"2\" PositionCount=\"" + std::to_string(signal.usd) +
           "\"/></USDJPY>\n"
           "    <EURJPY><Breakout UseSystemCount=\"2\" PositionCount=\"" + std::to_string(signal.eur) +
           "\"/></EURJPY>\n  </HoldPositionSummary>\n  <HoldPosition/>\n</PellagoSignal>\n";
}

// The faults a cycle may meet, as pellago-sim takes them (the account
// filled in for the order faults).
const std::vector<std::pair<std::string, std::string>> kFaults = {
    {"error", R"({"kind":"error","after":%AFTER%})"},
    {"empty", R"({"kind":"empty","after":%AFTER%})"},
    {"drop", R"({"kind":"drop","after":%AFTER%})"},
    {"slow", R"({"kind":"slow","after":%AFTER%,"delayMs":2500})"},
    {"confirm", R"({"kind":"confirm","after":%AFTER%,"message":"よろしいですか？"})"},
    {"expireSession", R"({"kind":"expireSession","account":"%ACCOUNT%"})"},
    {"lostAnswer/empty", R"({"kind":"lostAnswer","account":"%ACCOUNT%","answer":"empty"})"},
    {"lostAnswer/error", R"({"kind":"lostAnswer","account":"%ACCOUNT%","answer":"error"})"},
    {"lostAnswer/drop", R"({"kind":"lostAnswer","account":"%ACCOUNT%","answer":"drop"})"},
};

// A broker down until the program has failed three runs in a row and
// restarted through ReExe; the test lifts it when it sees the restart.
const std::string kOutage = R"({"kind":"error","count":1000})";

// The fixed cycles of the outages: the mail servers one cycle in ten each,
// the broker (three failed runs and a restart) one in fifty.
enum class Outage { None, Smtp, Pop3, Broker };

Outage OutageOf(int cycle, int cycles, int folders)
{
    // Each folder's first run starts clean, its last one ends with every server up.
    if (cycle < folders || cycle + folders >= cycles)
        return Outage::None;
    if (cycle % 50 == 29)
        return Outage::Broker;
    switch (cycle % 10) {
    case 3: return Outage::Smtp;
    case 6: return Outage::Pop3;
    default: return Outage::None;
    }
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

int Count(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

const std::string kSucceeded = "■ 自動売買は正常に終了しました";
const std::string kRetryLater = "分後に再実行します";
const std::string kRetryStart = "回目のリトライ起動です";
const std::string kMailDeleted = "送信済みメール ";
const std::string kSignalCheckFailed = "シグナルチェック時に異常が発生しました。";

// One program folder with its one account, its mailbox, its program and
// what its log has said so far.
struct Folder {
    explicit Folder(const Account& of) : account(of) {}

    const Account& account;
    std::unique_ptr<ProgramHome> home;
    ScratchDir mailRoot;
    std::unique_ptr<dovecotkit::Dovecot> pop3;
    int delivered = 0; // mails put in its mailbox
    int runs = 0;      // its cycles so far
    std::unique_ptr<QProcess> program;
    soak::LogTail log{""};
    std::string logText;
    std::string output;
    int failuresInSeries = 0;
};

class Soak : public headless::SimAndMailTest {
protected:
    void SetUp() override
    {
        SimAndMailTest::SetUp();
        if (HasFatalFailure())
            return;
        smtpPort = smtp->Port();
        for (const Account& account : kAccounts) {
            folders.push_back(std::make_unique<Folder>(account));
            ASSERT_NO_FATAL_FAILURE(Prepare(*folders.back()));
        }
    }

    void Prepare(Folder& folder)
    {
        folder.home = std::make_unique<ProgramHome>(sim);
        ProgramHome& home = *folder.home;
        home.MailReportsTo(smtpPort, certificates.path());
        folder.pop3 = std::make_unique<dovecotkit::Dovecot>(folder.mailRoot.path());
        ASSERT_TRUE(folder.pop3->Started()) << folder.pop3->Log();
        home.SignalsFromMailbox(folder.pop3->Port(), "user1", dovecotkit::kPassword);
        const Account& account = folder.account;
        ASSERT_TRUE(sim.CreateAccount(R"({"family":")" + account.family + R"(","id":")" + account.user +
                                      R"(","password":"pw","deposit":1000000})"));
        home.AddAccount(account.broker, account.user, "pw");
        home.SetEnvironment("PELLAGO_HOME", QString::fromStdString(home.path()));
        home.SetEnvironment("PELLAGO_TEST_TICK_MS", "500");
        home.SetEnvironment("PELLAGO_TEST_RETRY_STEP_MS", "1000");
        home.SetEnvironment("PELLAGO_TEST_SETTLE_MS", "20");
        home.SetEnvironment("PELLAGO_TEST_POLL_MS", "10");
        home.SetEnvironment("PELLAGO_TEST_PAGE_DEADLINE_S", "2");
        home.SetEnvironment("PELLAGO_TEST_RELOAD_PAUSE_MS", "100");
        folder.log = soak::LogTail(home.file("Log"));
    }

    void TearDown() override
    {
        for (auto& folder : folders) {
            if (folder->program)
                folder->program->kill();
            // Restarts through ReExe are not children of the test.
            if (folder->home)
                folder->home->EndLeftovers();
        }
    }

    // A new signal in the folder's mailbox.
    static void Publish(Folder& folder, const std::string& name, const Signal& signal)
    {
        folder.pop3->Deliver(++folder.delivered, SignalMail(name, SignalDocument(name, signal)));
    }

    // The cycle's outage, if any, and at the set rate one fault of a kind
    // drawn at random at the folder's broker: page faults after a few of its
    // pages, order faults at its next order.
    void PlaceFaults(Outage outage, const Account& account)
    {
        if (outage == Outage::Smtp) {
            smtp.reset();
            ++placed["smtpDown"];
        } else if (!smtp) {
            smtp = std::make_unique<mailkit::SmtpServer>(spool.path(), certificates.path(), smtpPort);
        }
        if (outage == Outage::Broker) {
            ASSERT_TRUE(sim.AddFault(WithFamily(kOutage, account)));
            ++placed["brokerDown"];
            return;
        }
        if (std::uniform_real_distribution<double>(0, 1)(random) >= kFaultRate)
            return;
        const auto& [kind, pattern] = kFaults[std::uniform_int_distribution<std::size_t>(0, kFaults.size() - 1)(random)];
        std::string fault = Replace(pattern, "%AFTER%", std::to_string(std::uniform_int_distribution<int>(0, 8)(random)));
        ASSERT_TRUE(sim.AddFault(WithFamily(Replace(fault, "%ACCOUNT%", account.user), account))) << fault;
        ++placed[kind];
    }

    static std::string WithFamily(std::string fault, const Account& account)
    {
        return fault.insert(fault.size() - 1, R"(,"family":")" + account.family + R"(")");
    }

    // The folder's POP3 server goes down until its program has met it down,
    // then comes back where it was with the cycle's signal waiting.
    bool PublishAfterPop3Outage(Folder& folder, const std::string& name, const Signal& signal)
    {
        const int port = folder.pop3->Port();
        folder.pop3.reset();
        ++placed["pop3Down"];
        const bool met = AwaitLine(folder, [](const std::string& line) { return Count(line, kSignalCheckFailed) > 0; });
        folder.pop3 = std::make_unique<dovecotkit::Dovecot>(folder.mailRoot.path(), port);
        Publish(folder, name, signal);
        return met && folder.pop3->Started();
    }

    // Reads the folder's log, following each line, until `wanted` holds for
    // one or the time is up.
    bool AwaitLine(Folder& folder, const std::function<bool(const std::string&)>& wanted,
                   int timeoutMs = kCycleTimeoutMs)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            if (FollowLog(folder, wanted))
                return true;
            Drain(folder);
        }
        return false;
    }

    // Follows the log's new lines up to the first for which `wanted` holds.
    bool FollowLog(Folder& folder, const std::function<bool(const std::string&)>& wanted)
    {
        folder.logText += folder.log.Read();
        for (std::size_t end = folder.logText.find('\n'); end != std::string::npos; end = folder.logText.find('\n')) {
            const std::string line = folder.logText.substr(0, end);
            folder.logText.erase(0, end + 1);
            Follow(folder, line);
            if (wanted(line))
                return true;
        }
        return false;
    }

    // Waits for a trade run on the cycle's signal to succeed, following the
    // failures on the way: the first two retried in the process, from the
    // third on a restart through ReExe that starts with its retry number.
    bool AwaitSuccess(Folder& folder, const std::string& signalName)
    {
        bool onThisSignal = false;
        const bool succeeded = AwaitLine(folder, [&](const std::string& line) {
            onThisSignal = onThisSignal || Count(line, signalName) > 0;
            return onThisSignal && Count(line, kSucceeded) > 0;
        });
        if (succeeded)
            folder.failuresInSeries = 0;
        return succeeded;
    }

    void Follow(Folder& folder, const std::string& line)
    {
        if (Count(line, kRetryLater)) {
            ++failures;
            ++folder.failuresInSeries;
            EXPECT_LE(folder.failuresInSeries, 2) << "a third failure in a row must restart the program: " << line;
        }
        const std::size_t restart = line.find(kRetryStart);
        if (restart != std::string::npos) {
            ++restarts;
            ++failures;
            ++folder.failuresInSeries;
            const std::size_t number = line.rfind("■ ", restart);
            const int retry = number == std::string::npos ? 0 : std::atoi(line.c_str() + number + std::string("■ ").size());
            EXPECT_GE(retry, 3) << line;
            EXPECT_EQ(retry, folder.failuresInSeries) << line;
        }
        if (Count(line, kMailDeleted))
            EXPECT_TRUE(deliveredReports.insert(folder.account.user + line.substr(line.find(kMailDeleted))).second)
                << "sent twice: " << line;
    }

    // Keeps the folder's first process's standard output flowing (and its
    // end for a failure message); restarts write to no pipe of ours.
    static void Drain(Folder& folder)
    {
        if (folder.program->state() == QProcess::NotRunning) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            return;
        }
        folder.program->waitForReadyRead(50);
        folder.output += folder.program->readAllStandardOutput().toStdString();
        if (folder.output.size() > 20000)
            folder.output.erase(0, folder.output.size() - 20000);
    }

    long long ResidentKilobytes() const
    {
        long long total = 0;
        for (const auto& folder : folders)
            total += soak::ResidentKilobytes(folder->home->path());
        return total;
    }

    // Upper bound of the executions that take `before` to `targets`: each
    // pair that changes closes at most every position it held and opens one.
    static int ExecutionsMeant(const std::vector<testsupport::SimPosition>& before,
                               const std::map<std::string, int>& netBefore, const std::map<std::string, int>& targets)
    {
        std::set<std::string> pairs;
        for (const auto& [pair, lots] : netBefore)
            pairs.insert(pair);
        for (const auto& [pair, lots] : targets)
            pairs.insert(pair);
        int most = 0;
        for (const std::string& pair : pairs) {
            const auto held = netBefore.find(pair);
            const auto wanted = targets.find(pair);
            if ((held == netBefore.end() ? 0 : held->second) == (wanted == targets.end() ? 0 : wanted->second))
                continue;
            most += 1 + static_cast<int>(std::count_if(before.begin(), before.end(),
                                                        [&](const auto& position) { return position.pair == pair; }));
        }
        return most;
    }

    int smtpPort = 0;
    std::vector<std::unique_ptr<Folder>> folders;
    std::map<std::string, int> placed;
    std::set<std::string> deliveredReports;
    int failures = 0;
    int restarts = 0;
    const unsigned seed = static_cast<unsigned>(EnvironmentNumber("PELLAGO_SOAK_SEED", std::random_device{}()));
    std::mt19937 random{seed};
};

TEST_F(Soak, FaultedCyclesLeaveEveryAccountAtItsTargetsWithoutDoubleOrdersOrLostReports)
{
    const int cycles = EnvironmentNumber("PELLAGO_SOAK_CYCLES", kCyclesInTests);
    const int memoryFrom = std::min(kMemoryFromCycle, cycles / 2);
    const int folderCount = static_cast<int>(folders.size());
    std::printf("[ MEASURE  ] soak seed %u (PELLAGO_SOAK_SEED replays it), %d cycles\n", seed, cycles);
    const DateTime day = testsupport::ProgramNow(folders.front()->home->offset());
    const auto start = std::chrono::steady_clock::now();

    long long memoryAtFrom = 0;
    long long memoryNow = 0;
    for (int cycle = 0; cycle < cycles && !HasFailure(); ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        Folder& folder = *folders[static_cast<std::size_t>(cycle % folderCount)];
        const Account& account = folder.account;
        const bool firstRun = folder.runs == 0;
        const Signal& signal = kSignals[static_cast<std::size_t>(folder.runs++) % kSignals.size()];
        const int meant = sim.ExecutionCount(account.family, account.user) +
                          ExecutionsMeant(sim.Positions(account.family, account.user),
                                          sim.NetLots(account.family, account.user), signal.targets);
        const std::string name = SignalName(day, cycle);
        const Outage outage = OutageOf(cycle, cycles, folderCount);
        if (!firstRun) // the program's first run starts clean
            PlaceFaults(outage, account);
        if (outage == Outage::Pop3)
            ASSERT_TRUE(PublishAfterPop3Outage(folder, name, signal)) << folder.pop3->Log();
        else
            Publish(folder, name, signal);
        if (firstRun)
            folder.program = folder.home->Start(false);
        if (outage == Outage::Broker) {
            ASSERT_TRUE(AwaitLine(folder, [](const std::string& line) { return Count(line, kRetryStart) > 0; },
                                  kRestartTimeoutMs))
                << "no restart through ReExe while the broker was down\n" << folder.output;
            ASSERT_TRUE(sim.Delete("/_control/faults").ok());
        }
        ASSERT_TRUE(AwaitSuccess(folder, name)) << "no successful run within " << kCycleTimeoutMs << " ms\n"
                                                << folder.output;
        ASSERT_TRUE(sim.Delete("/_control/faults").ok());
        EXPECT_EQ(sim.NetLots(account.family, account.user), signal.targets) << account.broker;
        EXPECT_LE(sim.ExecutionCount(account.family, account.user), meant) << account.broker;
        EXPECT_EQ(sim.Counter("resubmits/" + account.family), 0) << account.broker;
        memoryNow = ResidentKilobytes();
        if (cycle == memoryFrom)
            memoryAtFrom = memoryNow;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    // Every folder's last run had its mail server: every report is out, each once.
    for (auto& folder : folders) {
        FollowLog(*folder, [](const std::string&) { return false; });
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder->home->file("MailTemp"), error))
            EXPECT_NE(entry.path().extension(), ".log") << "left in the queue: " << entry.path();
    }
    EXPECT_EQ(smtp->Messages().size(), deliveredReports.size());
    EXPECT_GE(deliveredReports.size(), static_cast<std::size_t>(cycles));
    std::printf("[ MEASURE  ] cycles %d in %.0f s, failed runs %d, restarts through ReExe %d\n", cycles, seconds,
                failures, restarts);
    for (const auto& [kind, count] : placed)
        std::printf("[ MEASURE  ] faults placed: %s %d\n", kind.c_str(), count);
    std::printf("[ MEASURE  ] pellago-sim counters and faults injected by kind: %s\n",
                sim.Get("/_control/stats").body.c_str());
    ASSERT_GT(memoryAtFrom, 0) << "no process of the program folders found at cycle " << memoryFrom;
    const double growth = 100.0 * static_cast<double>(memoryNow - memoryAtFrom) / static_cast<double>(memoryAtFrom);
    std::printf("[ MEASURE  ] resident memory at cycle %d: %lld kB, at the end: %lld kB (%+.1f %%)\n", memoryFrom,
                memoryAtFrom, memoryNow, growth);
    EXPECT_LT(growth, 5.0);
}

} // namespace
