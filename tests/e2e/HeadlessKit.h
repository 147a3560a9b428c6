#pragma once
// The unattended program as the end-to-end tests drive it: a scratch program
// folder whose service is pellago-sim (with its demo signal), accounts added
// as the account screen adds them, report mail to a loopback SMTP server,
// and `pellago --home DIR --headless --once auto` run to its end or started
// to be killed.

#include "app/IniFile.h"
#include "base/Angou.h"
#include "base/Clock.h"
#include "integration/MailKit.h"
#include "support/Processes.h"
#include "support/SimServer.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace headless {

constexpr int kRunTimeoutMs = 240000;

inline std::string Two(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// USDJPY: 2 of 2 slots long (strength 1); EURJPY: 1 of 2 short (-0.5).
inline std::string DemoSignal(const DateTime& day)
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

// The demo signal's targets at leverage 3 on 1,000,000 yen and 10,000 units
// a lot: USDJPY 3 long; EURJPY -1.5 rounds away to 2 short.
inline std::map<std::string, int> DemoTargets()
{
    return {{"EURJPY", -2}, {"USDJPY", 3}};
}

struct RunResult {
    int exitCode = -1; // -1: killed, crashed or timed out
    std::string output;
};

inline RunResult Finish(QProcess& program, int timeoutMs)
{
    if (!program.waitForFinished(timeoutMs)) {
        program.kill();
        program.waitForFinished();
    }
    RunResult result;
    result.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    result.output = program.readAllStandardOutput().toStdString();
    return result;
}

class ProgramHome {
public:
    // A licensed program folder in demo mode whose service is `sim`, the
    // program's clock moved to a day the FX market is open.
    explicit ProgramHome(const testsupport::SimServer& sim)
        : webBase_(sim.Url("")), offset_(testsupport::MarketOpenOffset())
    {
        EXPECT_TRUE(sim.Post("/_control/service/demo_signal", DemoSignal(testsupport::ProgramNow(offset_))).ok());
        WriteServiceConf(9);
        WriteSettings();
        std::filesystem::create_directories(file("AutoTrade"));
        testsupport::WriteFileBytes(file("AutoTrade/Licensed"), "");
    }

    ProgramHome(const ProgramHome&) = delete;
    ProgramHome& operator=(const ProgramHome&) = delete;
    ~ProgramHome() { EndLeftovers(); }

    const std::string& path() const { return home_.path(); }
    std::string file(const std::string& relative) const { return home_.file(relative); }
    long long offset() const { return offset_; }

    // The account as the account screen adds it, with leverage 3 everywhere.
    void AddAccount(const std::string& broker, const std::string& user, const std::string& password) const
    {
        QProcess tool;
        tool.start(QString::fromStdString(testsupport::BinDir() + "pellago-demo-account"),
                   {"--home", QString::fromStdString(path()), "--broker", QString::fromStdString(broker), "--user",
                    QString::fromStdString(user), "--password", QString::fromStdString(password), "--leverage",
                    "3"});
        ASSERT_TRUE(tool.waitForFinished(60000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    }

    // Mail reports on, over STARTTLS with AUTH to the loopback server.
    void MailReportsTo(int port, const std::string& certFolder)
    {
        for (const auto& [key, value] : std::map<std::string, std::string>{
                 {"CheckBox1", "1"}, {"CheckBox2", "1"}, {"Edit3", "127.0.0.1"}, {"Edit7", std::to_string(port)},
                 {"Edit4", mailkit::kUser}, {"Edit5", AngouEncodeText(mailkit::kPassword)},
                 {"Edit8", "Pellagoレポート"}, {"Edit9", "bot@example.test"}, {"Edit10", "user@example.test"}})
            settings_[key] = value;
        WriteSettings();
        environment_["PELLAGO_MAIL_CA_FILE"] = QString::fromStdString(certFolder + "cert.pem");
    }

    // Signals from the service's mailbox over POP3 at `port` (the mailbox of
    // `loginId`) instead of the demo document.
    void SignalsFromMailbox(int port, const std::string& loginId, const std::string& password)
    {
        WriteServiceConf(port);
        settings_["CheckBox10"] = "0";
        settings_["Edit1"] = loginId;
        settings_["Edit2"] = settings_["Edit6"] = AngouEncodeText(password);
        WriteSettings();
    }

    void SetEnvironment(const QString& name, const QString& value) { environment_[name] = value; }

    // Start `executable` instead of the build's program (a copy inside the
    // folder, which self-update may replace).
    void UseProgram(const std::string& executable) { program_ = executable; }

    // The program started on one tick of automatic mode, or (once false) on
    // automatic mode until it is ended.
    std::unique_ptr<QProcess> Start(bool once = true) const
    {
        auto program = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PELLAGO_TEST_CLOCK_OFFSET", QString::number(offset_));
        for (const auto& [name, value] : environment_)
            environment.insert(name, value);
        program->setProcessEnvironment(environment);
        program->setProcessChannelMode(QProcess::SeparateChannels);
        QStringList arguments{"--home", QString::fromStdString(path()), "--headless"};
        if (once)
            arguments << "--once";
        program->start(QString::fromStdString(program_), arguments << "auto");
        return program;
    }

    RunResult RunOnce() const { return Finish(*Start(), kRunTimeoutMs); }

    std::string AutoTradeValue(const std::string& key) const
    {
        return ReadIniString(file("pellago.ini"), "AutoTrade", key).value_or("(missing)");
    }

    // HoldPosition/Summary of the account document's n-th account: net lots per pair.
    std::map<std::string, int> RecordedNetLots(int account = 0) const
    {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_file(file("Setting/Account.xml").c_str()));
        pugi::xml_node node = doc.document_element().child("Accounts").child("Account");
        for (int i = 0; i < account; ++i)
            node = node.next_sibling("Account");
        std::map<std::string, int> lots;
        for (pugi::xml_node pair : node.child("Status").child("HoldPosition").child("Summary").children())
            if (const int units = pair.child("Units").text().as_int())
                lots[pair.name()] = units;
        return lots;
    }

    // Ends what a killed program of this folder leaves behind: its watchdog,
    // which would revive it beside the next run, and any program revived.
    void EndLeftovers() const
    {
        const std::string folder = path().substr(0, path().size() - 1);
        const auto inFolder = [&](const std::string& text) {
            return text.compare(0, folder.size(), folder) == 0 &&
                   (text.size() == folder.size() || text[folder.size()] == '/');
        };
        testsupport::EndProcessesWhere([&](const testsupport::ProcessInfo& process) {
            return inFolder(process.executable) ||
                   std::any_of(process.arguments.begin(), process.arguments.end(), inFolder);
        });
    }

private:
    void WriteServiceConf(int mailPort) const
    {
        testsupport::WriteFileBytes(file("service.conf"), "web_base = " + webBase_ +
                                                              "\nmail_host = 127.0.0.1\nmail_port = " +
                                                              std::to_string(mailPort) +
                                                              "\nmailbox_suffix = _signal@pellago.example\n");
    }

    void WriteSettings() const
    {
        std::string text = "[Main]\r\n";
        for (const auto& [key, value] : settings_)
            text += key + "=" + value + "\r\n";
        testsupport::WriteFileBytes(file("pellago.ini"), text);
    }

    testsupport::ScratchDir home_;
    std::string webBase_;
    std::map<std::string, std::string> settings_{{"CheckBox10", "1"}};
    long long offset_;
    std::map<QString, QString> environment_;
    std::string program_ = testsupport::BinDir() + "pellago";
};

// What the long end-to-end tests start from: pellago-sim with still prices
// and an SMTP server for the reports.
class SimAndMailTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.Running());
        ASSERT_TRUE(sim.Post("/_control/prices", R"({"moving":false})").ok());
        ASSERT_TRUE(mailkit::MakeCertificate(certificates.path()));
        smtp = std::make_unique<mailkit::SmtpServer>(spool.path(), certificates.path());
    }

    testsupport::SimServer sim;
    testsupport::ScratchDir certificates;
    testsupport::ScratchDir spool;
    std::unique_ptr<mailkit::SmtpServer> smtp;
};

} // namespace headless
