// The unattended program end to end: `pellago --home DIR --headless --once
// auto` in a scratch program folder against pellago-sim. One tick receives
// the demo signal, trades the LionFX account to its targets, records the run
// and mails its report to a loopback SMTP server; with the broker refusing
// every log-on it records the failure for the retry.

#include "app/IniFile.h"
#include "app/MailMessage.h"
#include "app/MarketCalendar.h"
#include "base/Angou.h"
#include "base/Clock.h"
#include "integration/MailKit.h"
#include "support/SimServer.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

using testsupport::BinDir;
using testsupport::MarketOpenOffset;
using testsupport::ProgramNow;
using testsupport::ReadFileBytes;
using testsupport::ScratchDir;
using testsupport::SimServer;
using testsupport::WriteFileBytes;

namespace {

constexpr int kRunTimeoutMs = 240000;

std::string Two(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// USDJPY: 2 of 2 slots long (strength 1); EURJPY: 1 of 2 short (-0.5).
std::string DemoSignal(const DateTime& day)
{
    return "<PellagoSignal>\n  <FileName>" + Two(day.month) + Two(day.day) +
           ".xml</FileName>\n"
           "  <HoldPositionSummary>\n"
           "    <USDJPY><Breakout UseSystemCount=\"2\" PositionCount=\"2\"/></USDJPY>\n"
           "    <EURJPY><Breakout UseSystemCount=\"2\" PositionCount=\"-1\"/></EURJPY>\n"
           "  </HoldPositionSummary>\n"
           "  <HoldPosition/>\n"
           "</PellagoSignal>\n";
}

struct RunResult {
    int exitCode = -1;
    std::string output;
};

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
        offset = MarketOpenOffset();
        ASSERT_TRUE(sim->Post("/_control/service/demo_signal", DemoSignal(ProgramNow(offset))).ok());
        ASSERT_TRUE(sim->CreateAccount(R"({"family":"lionfx","id":")" + account +
                                       R"(","password":"pw","deposit":1000000})"));
        WriteFileBytes(home.file("service.conf"),
                       "web_base = " + sim->Url("") + "\nmail_host = 127.0.0.1\nmail_port = 9\n");
        WriteFileBytes(home.file("pellago.ini"), "[Main]\r\nCheckBox10=1\r\n");
        std::filesystem::create_directories(home.file("AutoTrade"));
        WriteFileBytes(home.file("AutoTrade/Licensed"), "");
    }

    // The account as the account screen adds it, with leverage 3 everywhere.
    void AddAccount(const std::string& password)
    {
        QProcess tool;
        tool.start(QString::fromStdString(BinDir() + "pellago-demo-account"),
                   {"--home", QString::fromStdString(home.path()), "--broker", "LionFX", "--user",
                    QString::fromStdString(account), "--password", QString::fromStdString(password),
                    "--leverage", "3"});
        ASSERT_TRUE(tool.waitForFinished(60000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    }

    RunResult RunOnce()
    {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PELLAGO_TEST_CLOCK_OFFSET", QString::number(offset));
        for (const auto& [name, value] : extraEnvironment)
            environment.insert(name, value);
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::SeparateChannels);
        program.start(QString::fromStdString(BinDir() + "pellago"),
                      {"--home", QString::fromStdString(home.path()), "--headless", "--once", "auto"});
        RunResult result;
        if (!program.waitForFinished(kRunTimeoutMs)) {
            program.kill();
            program.waitForFinished();
        }
        result.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
        result.output = program.readAllStandardOutput().toStdString();
        return result;
    }

    std::string AutoTradeValue(const std::string& key) const
    {
        return ReadIniString(home.file("pellago.ini"), "AutoTrade", key).value_or("(missing)");
    }

    // HoldPosition/Summary of the account document: net lots per pair.
    std::map<std::string, int> RecordedNetLots() const
    {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_file(home.file("Setting/Account.xml").c_str()));
        std::map<std::string, int> lots;
        const pugi::xml_node summary =
            doc.document_element().child("Accounts").child("Account").child("Status").child("HoldPosition").child(
                "Summary");
        for (pugi::xml_node pair : summary.children())
            if (const int units = pair.child("Units").text().as_int())
                lots[pair.name()] = units;
        return lots;
    }

    // Mail reports on, over STARTTLS with AUTH to the loopback server.
    void MailReportsTo(int port, const std::string& certFolder)
    {
        WriteFileBytes(home.file("pellago.ini"),
                       "[Main]\r\nCheckBox10=1\r\nCheckBox1=1\r\nCheckBox2=1\r\nEdit3=127.0.0.1\r\nEdit7=" +
                           std::to_string(port) + "\r\nEdit4=" + mailkit::kUser +
                           "\r\nEdit5=" + AngouEncodeText(mailkit::kPassword) +
                           "\r\nEdit8=Pellagoレポート\r\nEdit9=bot@example.test\r\nEdit10=user@example.test\r\n");
        extraEnvironment["PELLAGO_MAIL_CA_FILE"] = QString::fromStdString(certFolder + "cert.pem");
    }

    static inline SimServer* sim = nullptr;
    std::map<QString, QString> extraEnvironment;
    ScratchDir home;
    std::string account;
    long long offset = 0;
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST_F(CycleHeadless, OneTickReceivesTheDemoSignalTradesTheAccountToItsTargetsAndMailsTheReport)
{
    ScratchDir certificates;
    ScratchDir spool;
    ASSERT_TRUE(mailkit::MakeCertificate(certificates.path()));
    mailkit::SmtpServer smtp(spool.path(), certificates.path());
    MailReportsTo(smtp.Port(), certificates.path());
    AddAccount("pw");
    const RunResult run = RunOnce();
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(sim->ExecutionCount("lionfx", account), 2) << "one order for each pair";

    EXPECT_TRUE(Contains(run.output, "■ 新しいシグナルを受信しました // DemoSignal")) << run.output;
    EXPECT_TRUE(Contains(run.output, "■ 自動売買は正常に終了しました")) << run.output;
    // 1,000,000 yen x 3 / 100 / 10,000 per lot: USDJPY 3 long; EURJPY -1.5 rounds away to 2 short.
    const std::map<std::string, int> targets{{"EURJPY", -2}, {"USDJPY", 3}};
    EXPECT_EQ(sim->NetLots("lionfx", account), targets);
    EXPECT_EQ(RecordedNetLots(), targets);

    EXPECT_EQ(AutoTradeValue("LatestTrade"), "1");
    EXPECT_EQ(AutoTradeValue("URetryCount"), "0");
    const DateTime day = ProgramNow(offset);
    const std::string snapshot =
        "AutoTrade/AccountLog/" + std::to_string(day.year) + "/" + Two(day.month) + Two(day.day) + ".xml";
    EXPECT_TRUE(std::filesystem::exists(home.file(snapshot))) << snapshot;
    EXPECT_FALSE(ReadFileBytes(home.file("AutoTrade/AccountLog/Balance.csv")).empty());

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
    EXPECT_TRUE(std::filesystem::is_empty(home.file("MailTemp")));
    EXPECT_FALSE(std::filesystem::is_empty(home.file("MailLog")));
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
    EXPECT_EQ(AutoTradeValue("URetryCount"), "1");
    EXPECT_EQ(AutoTradeValue("LatestTrade"), "0");
    EXPECT_TRUE(sim->NetLots("lionfx", account).empty());
    EXPECT_EQ(sim->ExecutionCount("lionfx", account), 0);
    ASSERT_TRUE(sim->Delete("/_control/faults").ok());
}

} // namespace
