// scripts/install as a user runs it, into a scratch home: the installed
// program finds its terms text and its helpers in its own folder, a headless
// run that fails for the third time comes back through the installed ReExe
// still headless in that folder, the --service unit passes systemd's check,
// and scripts/uninstall takes back what install put and nothing else.

#include "base/AkUnit.h"
#include "base/TextCodec.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/xattr.h>
#include <unistd.h>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::ScratchDir;
using testsupport::WriteFileBytes;

namespace {

struct Outcome {
    int exitCode = -1;
    std::string output;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class InstallScript : public ::testing::Test {
protected:
    std::string Program() const { return home.file(".local/share/Pellago/"); }

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", QString::fromStdString(home.path()));
        environment.remove("XDG_DATA_HOME");
        environment.remove("XDG_CONFIG_HOME");
        environment.remove("PELLAGO_HOME");
        environment.insert("PELLAGO_BUILD_DIR", QString::fromStdString(testsupport::BinDir() + ".."));
        return environment;
    }

    Outcome Start(const std::string& program, const QStringList& arguments, const std::string& input = "",
              QProcessEnvironment environment = {}, int timeoutMs = 120000) const
    {
        QProcess process;
        process.setProcessEnvironment(environment.isEmpty() ? Environment() : environment);
        process.setWorkingDirectory(QString::fromStdString(home.path()));
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QString::fromStdString(program), arguments);
        process.write(input.data(), static_cast<qint64>(input.size()));
        process.closeWriteChannel();
        Outcome run;
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.output = process.readAll().toStdString();
        return run;
    }

    Outcome Script(const std::string& name, const QStringList& arguments = {}) const
    {
        return Start("/bin/bash", QStringList{QString::fromStdString(testsupport::SourceDir() + "scripts/" + name)} +
                                      arguments);
    }

    // A folder the installed program trades from with an account no broker
    // adapter takes, so every run fails at once; two failures happened before.
    void PrepareFailingRun(long long clockOffset) const
    {
        const std::string dir = Program();
        WriteFileBytes(dir + "service.conf", "web_base = http://127.0.0.1:9\nmail_host = 127.0.0.1\nmail_port = 9\n");
        fs::create_directories(dir + "Setting");
        WriteFileBytes(dir + "Setting/AccountTemplate.xml", "<AccountTemplate><Portfolio/><Accounts/></AccountTemplate>");
        const std::string figures = "<Today><Balance>0</Balance><BalancePL>0</BalancePL><PL>0</PL></Today>";
        WriteFileBytes(dir + "Setting/Account.xml",
                       "<root><AccountSummary>" + figures + "</AccountSummary><Portfolio><Group Name=\"USDJPY\">"
                       "<Item Name=\"Breakout\" Demo=\"True\" RealModel=\"1\" DemoModel=\"1\"/></Group></Portfolio>"
                       "<Accounts><Account Name=\"Unlisted\"><Enabled>True</Enabled><AccountBaseCurrency>JPY"
                       "</AccountBaseCurrency>" + figures + "</Account></Accounts></root>");
        const DateTime day = testsupport::ProgramNow(clockOffset);
        const std::string name = ZeroPad(day.month, 2) + ZeroPad(day.day, 2) + ".xml";
        fs::create_directories(dir + "AutoTrade/SignalLog/" + std::to_string(day.year));
        WriteFileBytes(dir + "AutoTrade/SignalLog/" + std::to_string(day.year) + "/" + name,
                       "<PellagoSignal><FileName>" + name + "</FileName><HoldPositionSummary><USDJPY>"
                       "<Breakout UseSystemCount=\"2\" PositionCount=\"2\"/></USDJPY></HoldPositionSummary>"
                       "<HoldPosition/></PellagoSignal>");
        WriteFileBytes(dir + "pellago.ini", "[AutoTrade]\r\nURetryCount=2\r\nLatestTrade=0\r\n");
    }

    std::string ActivityLog() const
    {
        std::string all;
        for (const auto& entry : fs::directory_iterator(Program() + "Log"))
            if (entry.path().extension() == ".log")
                all += Cp932ToUtf8(ReadFileBytes(entry.path().string()));
        return all;
    }

    ScratchDir home;
};

// Ends the program ReExe started (its process id is in its lock file).
void EndRestartedProgram(const std::string& folder)
{
    const std::string lock = ReadFileBytes(folder + "PellagoMutex.lock");
    const pid_t pid = static_cast<pid_t>(std::atoi(lock.c_str()));
    ASSERT_GT(pid, 0) << lock;
    kill(pid, SIGTERM);
    EXPECT_TRUE(testsupport::WaitUntil([pid] { return !fs::exists("/proc/" + std::to_string(pid)); }, 20000));
}

} // namespace

TEST_F(InstallScript, InstalledProgramRunsFromItsFolderAndComesBackHeadlessThroughReExe)
{
    const Outcome install = Script("install");
    ASSERT_EQ(install.exitCode, 0) << install.output;
    for (const char* file : {"pellago", "pellago-sim", "license.txt", "Bin/ReExe.exe", "Bin/replace.exe",
                             "Bin/PellagoChecker.exe"})
        EXPECT_TRUE(fs::exists(Program() + file)) << file;
    EXPECT_TRUE(fs::exists(home.file(".local/share/applications/pellago.desktop")));
    // With the rights to, the install grants the daily wake-up's capability.
    if (geteuid() == 0)
        EXPECT_GT(getxattr((Program() + "pellago").c_str(), "security.capability", nullptr, 0), 0) << install.output;
    const std::string command = home.file(".local/bin/pellago");
    EXPECT_TRUE(Contains(Start(command, {"--help"}).output, "--accept-terms"));

    // The terms on a terminal, from the text installed beside the program.
    const Outcome terms = Start(command, {"--accept-terms"}, "yes\n");
    EXPECT_EQ(terms.exitCode, 0) << terms.output;
    EXPECT_TRUE(Contains(terms.output, "Pellago ソフトウェア使用許諾")) << terms.output;
    EXPECT_TRUE(fs::exists(Program() + "AutoTrade/Licensed"));

    const long long offset = testsupport::MarketOpenOffset();
    PrepareFailingRun(offset);
    QProcessEnvironment environment = Environment();
    environment.insert("PELLAGO_TEST_CLOCK_OFFSET", QString::number(offset));
    environment.insert("PELLAGO_TEST_RETRY_STEP_MS", "1000");
    const Outcome failing = Start(Program() + "pellago", {"--headless", "--once", "auto"}, "", environment);
    EXPECT_EQ(failing.exitCode, 3) << failing.output;
    EXPECT_TRUE(Contains(failing.output, "[重要] Error!")) << failing.output;

    // ReExe brings it back after 3 failures x 1 s, headless, in the same folder.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Contains(ActivityLog(), "■ 3回目のリトライ起動です"); }, 30000))
        << failing.output << ReadFileBytes(Program() + "Bin/ReExe.log");
    EndRestartedProgram(Program());
    const std::string reexe = ReadFileBytes(Program() + "Bin/ReExe.log");
    EXPECT_TRUE(Contains(reexe, "started " + Program() + "pellago auto 3 --headless as ")) << reexe;

    const Outcome service = Script("install", {"--service"});
    ASSERT_EQ(service.exitCode, 0) << service.output;
    const std::string unit = home.file(".config/systemd/user/pellago.service");
    // systemd alone supervises: notify with a watchdog, the restart exit code honoured, stop ends everything.
    for (const std::string& line :
         {"ExecStart=\"" + Program() + "pellago\" --headless auto",
          "ExecStartPre=-\"" + Program() + "Bin/replace.exe\" --settle \"" + Program() + "pellago\"",
          std::string("Type=notify"),
          std::string("WatchdogSec="), std::string("RestartForceExitStatus=75"), std::string("KillMode=mixed")})
        EXPECT_TRUE(Contains(ReadFileBytes(unit), line)) << line;
    const Outcome verify = Start("systemd-analyze", {"verify", QString::fromStdString(unit)});
    EXPECT_EQ(verify.exitCode, 0) << verify.output;

    const Outcome uninstall = Script("uninstall");
    ASSERT_EQ(uninstall.exitCode, 0) << uninstall.output;
    for (const char* gone : {"pellago", "license.txt", "Bin/ReExe.exe"})
        EXPECT_FALSE(fs::exists(Program() + gone)) << gone;
    EXPECT_FALSE(fs::exists(unit));
    EXPECT_FALSE(fs::exists(command));
    for (const char* kept : {"Setting/Account.xml", "pellago.ini", "AutoTrade/Licensed", "Log"})
        EXPECT_TRUE(fs::exists(Program() + kept)) << kept;
}
