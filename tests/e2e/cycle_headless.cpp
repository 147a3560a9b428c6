// The unattended program end to end: `pellago --home DIR --headless --once
// auto` in a scratch program folder against pellago-sim. One tick receives
// the demo signal, trades the LionFX account to its targets, records the run
// and mails its report to a loopback SMTP server; with the broker refusing
// every log-on it records the failure for the retry. Whatever the program
// folder holds afterwards is private to its user. Between runs no process of
// the browser engine stays below the program.

#include "app/MailMessage.h"
#include "e2e/HeadlessKit.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QThread>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

using headless::ProgramHome;
using headless::RunResult;
using headless::Two;
using testsupport::ReadFileBytes;
using testsupport::ScratchDir;
using testsupport::SimServer;

namespace {

class CycleHeadless : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sim = new SimServer;
        ASSERT_TRUE(sim->Running());
        ASSERT_TRUE(sim->Post("/_control/prices", R"({"moving":false})").ok());
    }
    static void TearDownTestSuite() { delete sim; }

    void SetUp() override
    {
        account = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        home = std::make_unique<ProgramHome>(*sim);
        ASSERT_TRUE(sim->CreateAccount(R"({"family":"lionfx","id":")" + account +
                                       R"(","password":"pw","deposit":1000000})"));
    }

    void AddAccount(const std::string& password) { home->AddAccount("LionFX", account, password); }
    RunResult RunOnce() { return home->RunOnce(); }
    std::string AutoTradeValue(const std::string& key) const { return home->AutoTradeValue(key); }

    static inline SimServer* sim = nullptr;
    std::unique_ptr<ProgramHome> home;
    std::string account;
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The journal priority ("<3>", "<4>", "<6>") that starts the output line holding `part`.
std::string PriorityOfLineWith(const std::string& output, const std::string& part)
{
    const std::size_t at = output.find(part);
    if (at == std::string::npos)
        return "(no such line)";
    const std::size_t start = output.rfind('\n', at);
    return output.substr(start == std::string::npos ? 0 : start + 1, 3);
}

// Every process below `pid` whose program is the browser engine's.
int EngineProcessesBelow(pid_t pid)
{
    std::vector<std::string> pids{std::to_string(pid)};
    int engine = 0;
    for (size_t i = 0; i < pids.size(); ++i) {
        for (const auto& task : std::filesystem::directory_iterator("/proc/" + pids[i] + "/task")) {
            std::ifstream children(task.path() / "children");
            for (std::string child; children >> child;) {
                pids.push_back(child);
                const std::vector<std::string> arguments = testsupport::ProcessArguments(child);
                engine += !arguments.empty() && Contains(arguments[0], "QtWebEngineProcess");
            }
        }
    }
    return engine;
}

TEST_F(CycleHeadless, OneTickReceivesTheDemoSignalTradesTheAccountToItsTargetsAndMailsTheReport)
{
    ScratchDir certificates;
    ScratchDir spool;
    ASSERT_TRUE(mailkit::MakeCertificate(certificates.path()));
    mailkit::SmtpServer smtp(spool.path(), certificates.path());
    home->MailReportsTo(smtp.Port(), certificates.path());
    AddAccount("pw");
    const RunResult run = RunOnce();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(sim->ExecutionCount("lionfx", account), 2) << "one order for each pair";

    EXPECT_TRUE(Contains(run.output, "■ 新しいシグナルを受信しました // DemoSignal")) << run.output;
    EXPECT_TRUE(Contains(run.output, "■ 自動売買は正常に終了しました")) << run.output;
    EXPECT_EQ(PriorityOfLineWith(run.output, "■ 自動売買は正常に終了しました"), "<6>");
    const std::map<std::string, int> targets = headless::DemoTargets();
    EXPECT_EQ(sim->NetLots("lionfx", account), targets);
    EXPECT_EQ(home->RecordedNetLots(), targets);

    EXPECT_EQ(AutoTradeValue("LatestTrade"), "1");
    EXPECT_EQ(AutoTradeValue("URetryCount"), "0");
    const DateTime day = testsupport::ProgramNow(home->offset());
    const std::string snapshot =
        "AutoTrade/AccountLog/" + std::to_string(day.year) + "/" + Two(day.month) + Two(day.day) + ".xml";
    EXPECT_TRUE(std::filesystem::exists(home->file(snapshot))) << snapshot;
    EXPECT_FALSE(ReadFileBytes(home->file("AutoTrade/AccountLog/Balance.csv")).empty());

    const auto mails = smtp.Messages();
    ASSERT_EQ(mails.size(), 1u) << run.output;
    const ReceivedMail report = ParseReceivedMail(mails[0].raw);
    EXPECT_EQ(report.subject, std::to_string(day.month) + "月" + std::to_string(day.day) + "日の自動売買ログ");
    const std::string body = JapaneseBytesToUtf8(report.body);
    EXPECT_TRUE(Contains(body, "■ 口座状況(総合)\r\n\r\n[評価資産] ")) << body;
    EXPECT_TRUE(Contains(body, "■ 重要なログ抽出結果\r\n\r\n")) << body;
    EXPECT_TRUE(Contains(body, "[重要] 自動売買は正常に終了しました")) << body;
    EXPECT_TRUE(Contains(body, "errorは0個です")) << body;
    EXPECT_TRUE(Contains(run.output, "メール送信成功.")) << run.output;
    EXPECT_TRUE(std::filesystem::is_empty(home->file("MailTemp")));
    EXPECT_FALSE(std::filesystem::is_empty(home->file("MailLog")));
}

TEST_F(CycleHeadless, ARefusedLogOnRecordsTheFailureForTheRetry)
{
    AddAccount("pw");
    // The broker's log-on answers with its server-error page, reloads included.
    ASSERT_TRUE(sim->AddFault(R"({"kind":"error","family":"lionfx","path":"Login.do","count":1000})"));
    const RunResult run = RunOnce();
    EXPECT_EQ(run.exitCode, 1) << run.output;

    EXPECT_TRUE(Contains(run.output, "ログイン及び口座情報取得に失敗しました。(4回目)")) << run.output;
    EXPECT_TRUE(Contains(run.output, "■ 今回、自動売買が不完全な形で終了したため、3分後に再実行します")) << run.output;
    EXPECT_EQ(PriorityOfLineWith(run.output, "3分後に再実行します"), "<4>") << "a retry is a warning in the journal";
    EXPECT_EQ(AutoTradeValue("URetryCount"), "1");
    EXPECT_EQ(AutoTradeValue("LatestTrade"), "0");
    EXPECT_TRUE(sim->NetLots("lionfx", account).empty());
    EXPECT_EQ(sim->ExecutionCount("lionfx", account), 0);
    ASSERT_TRUE(sim->Delete("/_control/faults").ok());
}

TEST_F(CycleHeadless, ASignalWithoutItsPositionsIsRefusedAndTheBookStaysAsItIs)
{
    AddAccount("pw");
    ASSERT_TRUE(sim->SetPositions("lionfx", account, R"([{"pair":"USDJPY","side":"buy","lots":1}])"));
    const DateTime day = testsupport::ProgramNow(home->offset());
    ASSERT_TRUE(sim->Post("/_control/service/demo_signal", "<PellagoSignal>\n  <FileName>" + Two(day.month) +
                                                               Two(day.day) + ".xml</FileName>\n  <HoldPosition/>\n"
                                                                              "</PellagoSignal>\n")
                    .ok());
    const int executions = sim->ExecutionCount("lionfx", account);
    const RunResult run = RunOnce();
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_TRUE(Contains(run.output, "ポジション情報(HoldPositionSummary)がありません")) << run.output;
    EXPECT_EQ(PriorityOfLineWith(run.output, "ポジション情報(HoldPositionSummary)がありません"), "<3>")
        << "a refused signal is an error in the journal";
    EXPECT_FALSE(Contains(run.output, "分後に再実行します")) << run.output;
    EXPECT_EQ(sim->ExecutionCount("lionfx", account), executions);
    EXPECT_EQ(sim->NetLots("lionfx", account), (std::map<std::string, int>{{"USDJPY", 1}}));
    EXPECT_EQ(AutoTradeValue("LatestTrade"), "0");
}

TEST_F(CycleHeadless, AfterAStartAndATradeRunNothingInTheProgramFolderIsReadableByOthers)
{
    namespace fs = std::filesystem;
    AddAccount("pw");
    // As an older version left it.
    fs::permissions(home->file("Setting/Account.xml"), fs::perms::owner_read | fs::perms::owner_write |
                                                           fs::perms::group_read | fs::perms::others_read);
    const RunResult run = RunOnce();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "を、このユーザーだけが読み書きできるように変更しました")) << run.output;

    const auto mode = [](const fs::path& path) { return fs::symlink_status(path).permissions(); };
    EXPECT_EQ(mode(home->file("Setting/Account.xml")), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(mode(home->file("Setting")), fs::perms::owner_all);
    int entries = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(home->path())) {
        ++entries;
        EXPECT_EQ(mode(entry.path()) & (fs::perms::group_all | fs::perms::others_all), fs::perms::none)
            << entry.path();
    }
    EXPECT_GT(entries, 20) << "the run's logs, documents and snapshots";
}

TEST_F(CycleHeadless, BetweenRunsTheBrowserEngineKeepsNoProcessRunning)
{
    AddAccount("pw");
    // The engine as the program sets it up itself, not with the tests' flags.
    home->SetEnvironment("QTWEBENGINE_CHROMIUM_FLAGS", "");
    const std::unique_ptr<QProcess> program = home->Start(/*once=*/false);
    ASSERT_TRUE(program->waitForStarted());
    std::string output;
    const QDeadlineTimer runEnds(headless::kRunTimeoutMs);
    while (!Contains(output, "■ 自動売買は") && !runEnds.hasExpired() && program->state() == QProcess::Running) {
        program->waitForReadyRead(1000);
        output += program->readAllStandardOutput().toStdString();
    }
    ASSERT_TRUE(Contains(output, "■ 自動売買は正常に終了しました")) << output;

    // The pages of the run close as it ends; their processes follow shortly.
    const QDeadlineTimer settled(15000);
    while (EngineProcessesBelow(static_cast<pid_t>(program->processId())) > 0 && !settled.hasExpired())
        QThread::msleep(200);
    EXPECT_EQ(EngineProcessesBelow(static_cast<pid_t>(program->processId())), 0);
    program->terminate();
    headless::Finish(*program, 30000);
}

} // namespace
