// Self-update, restart and revival on loopback with the real helpers: the
// simulator publishes a newer program, replace.exe swaps it in and starts
// it; a replace that never acts runs into the (shortened) time-out; ReExe
// restarts a command after its delay; PellagoChecker revives a killed
// program but leaves one alone that a ReExe count-down is about to start.
//
// "The program" is a copy of this test binary: started with
// PELLAGO_SERVICE_PROBE set, its first test plays the program's part.

#include "ServiceKit.h"

#include "app/FunctionChecks.h"
#include "app/HelperFiles.h"
#include "app/IniFile.h"
#include "app/ProcessLaunch.h"
#include "app/SelfUpdate.h"
#include "app/TemplateFetch.h"
#include "support/Processes.h"
#include "support/SimServer.h"

#include <QTimer>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

using servicekit::LogDump;
using servicekit::LoggedLine;

namespace fs = std::filesystem;

namespace {

const char* const kProbeRole = "PELLAGO_SERVICE_PROBE";

std::string SelfPath() { return fs::read_symlink("/proc/self/exe").string(); }

std::vector<std::string> Lines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool Alive(pid_t pid)
{
    if (pid <= 0 || kill(pid, 0) != 0)
        return false;
    std::string stat = testsupport::ReadFileBytes("/proc/" + std::to_string(pid) + "/stat");
    std::size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

// Ends every process running the given executable file.
void EndProgramsAt(const std::string& executable)
{
    testsupport::EndProcessesWhere(
        [&](const testsupport::ProcessInfo& process) { return process.executable == executable; });
}

void CopyExecutable(const std::string& from, const std::string& to)
{
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    fs::permissions(to, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);
}

} // namespace

TEST(ServiceProbe, PlaysTheProgramWhenStartedAsIt)
{
    const char* role = std::getenv(kProbeRole);
    if (!role)
        GTEST_SKIP() << "runs only as the program started by the helpers";
    const std::string self = SelfPath();
    const std::string folder = fs::path(self).parent_path().string() + "/";
    auto arguments = testsupport::ProcessArguments("self");
    std::string joined;
    for (std::size_t i = 1; i < arguments.size(); ++i)
        joined += (i > 1 ? " " : "") + arguments[i];
    std::ofstream(folder + "starts.txt", std::ios::app) << joined << std::endl;
    if (std::string(role) == "report") {
        SetProgramFolder(folder);
        SetExecutablePath(self);
        ShowProgramIsUp(); // else replace.exe would roll it back
        ReportUpdateOutcome(false, 1.03); // the newer build reports
    }
    if (std::string(role) != "stay")
        std::_Exit(0);
    while (true)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

class ServiceUpdate : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.Running());
        folder.PointServiceAt(sim.Url(""));
        program = folder.Path("pellago");
        CopyExecutable(SelfPath(), program);
        SetExecutablePath(program);
        InstallHelperPrograms(testsupport::BinDir());
    }
    void TearDown() override
    {
        unsetenv(kProbeRole);
        EndProgramsAt(program);
        SetReplaceWaitInterval(60000);
    }

    pid_t StartProgram(const std::string& role, const std::string& arguments = "")
    {
        setenv(kProbeRole, role.c_str(), 1);
        const std::size_t before = Starts().size();
        pid_t pid = LaunchProcess(QuoteArg(program) + arguments);
        testsupport::WaitUntil([&] { return Starts().size() > before; }, 10000);
        return pid;
    }
    std::vector<std::string> Starts() const { return Lines(folder.Path("starts.txt")); }

    void PublishNewerProgram(const std::string& bytes)
    {
        ASSERT_TRUE(sim.Post("/_control/service/version", R"({"version":"1.03"})").ok());
        ASSERT_TRUE(sim.Put("/_control/service/files/Pellago.bin", bytes).ok());
        ASSERT_TRUE(FetchAccountTemplate()) << LogDump();
    }

    ServiceSettings Mode0() const
    {
        ServiceSettings s;
        s.autoTradeTimerEnabled = true;
        return s;
    }

    testsupport::SimServer sim;
    servicekit::ProgramFolder folder;
    std::string program;
};

TEST_F(ServiceUpdate, NewerVersionIsDownloadedSwappedInStartedAndReported)
{
    const std::string oldBytes = folder.Read("pellago");
    const std::string newBytes = oldBytes + "\n# build 1.03\n";
    pid_t old = StartProgram("stay");
    ASSERT_GT(old, 0);
    SetMainWindowHandleText(std::to_string(old));
    AutoMode = true;
    int waitInterval = 0;
    ServiceHooks hooks;
    hooks.startReplaceWait = [&](int ms) { waitInterval = ms; };
    SetServiceHooks(hooks);
    PublishNewerProgram(newBytes);

    setenv(kProbeRole, "report", 1);
    ASSERT_TRUE(CheckForUpdate(Mode0(), true, false)) << LogDump();
    EXPECT_TRUE(Replacing);
    EXPECT_EQ(waitInterval, 60000);
    EXPECT_TRUE(LoggedLine("[AutoUpdate] 最新version 1.03 のダウンロードに成功。再起動します"));
    EXPECT_TRUE(LoggedLine("Update成功まで60秒待機..."));

    const std::string success = "Pellagoは、正常にver. 1.0271 から ver.1.03にアップデートしました";
    auto reported = [&] {
        std::string log;
        LoadTextFile(MonthlyLogPath(Now()), log);
        return log.find(success) != std::string::npos;
    };
    ASSERT_TRUE(testsupport::WaitUntil(reported, 30000)) << folder.Read("Bin/Replace.log");
    EXPECT_EQ(Starts(), (std::vector<std::string>{"", "auto"}));
    EXPECT_EQ(folder.Read("pellago"), newBytes);
    EXPECT_EQ(folder.Read("pellago.bak"), oldBytes);
    EXPECT_FALSE(Alive(old));
    EXPECT_EQ(ReadIniString(SettingsIniPath(), "AutoUpdate", "CheckVersion"), "0");
    EXPECT_NE(folder.Read("Bin/Replace.log").find("replaced"), std::string::npos);
}

TEST_F(ServiceUpdate, ReplaceThatNeverActsEndsInTheTimeOut)
{
    folder.Write("Bin/replace.exe", "#!/bin/sh\nexit 0\n");
    fs::permissions(folder.Path("Bin/replace.exe"), fs::perms::owner_all);
    SetReplaceWaitInterval(300);
    ServiceHooks hooks;
    hooks.startReplaceWait = [](int ms) { QTimer::singleShot(ms, [] { OnReplaceWaitTimeout(); }); };
    SetServiceHooks(hooks);
    PublishNewerProgram("new program");

    ASSERT_TRUE(CheckForUpdate(Mode0(), false, true)) << LogDump();
    EXPECT_TRUE(Replacing);
    ASSERT_TRUE(testsupport::WaitUntil([] { return !Replacing; }, 5000));
    EXPECT_TRUE(VersionChecked);
    EXPECT_TRUE(LoggedLine("Updateはダウンロードまで成功しましたが、置き換えに失敗しました。"));
    EXPECT_EQ(ReadIniString(SettingsIniPath(), "AutoUpdate", "CheckVersion"), "1");
    EXPECT_NE(folder.Read("pellago"), "new program");
}

TEST_F(ServiceUpdate, FunctionChecksInstallWhateverIsPublishedAndHandOverToTheHelpers)
{
    folder.Write("Bin/replace.exe", "#!/bin/sh\nexit 0\n");
    fs::permissions(folder.Path("Bin/replace.exe"), fs::perms::owner_all);
    ASSERT_TRUE(sim.Put("/_control/service/files/Pellago.bin", "same version, new file").ok());
    ASSERT_TRUE(FetchAccountTemplate()) << LogDump();
    int closed = 0;
    int terminated = 0;
    ServiceHooks hooks;
    hooks.closeSettingsPanel = [&] { ++closed; };
    hooks.terminateProgram = [&] { ++terminated; };
    hooks.startReplaceWait = [](int) {};
    SetServiceHooks(hooks);

    RunUpdateTest();
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(LoggedLine("■アップデートテストを実行します"));
    EXPECT_TRUE(LoggedLine("[AutoUpdate] 最新version 1.0271 のダウンロードに成功。再起動します"));
    EXPECT_TRUE(Replacing);
    EXPECT_EQ(folder.Read("Bin/Pellago.bin"), "same version, new file");
    EXPECT_EQ(ReadIniString(SettingsIniPath(), "AutoUpdate", "CheckVersion"), std::nullopt);

    RunRevivalTest();
    EXPECT_EQ(terminated, 1);
    EXPECT_NE(WatchdogProcess, 0);
    WatchdogToggle();
}

TEST_F(ServiceUpdate, ReExeRunsTheCommandAfterItsDelay)
{
    setenv(kProbeRole, "once", 1);
    pid_t reexe = LaunchProcess(QuoteArg(folder.Path("Bin/ReExe.exe")) + " " + QuoteArg(program + " auto 3") + " " +
                                QuoteArg("2"));
    ASSERT_GT(reexe, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_TRUE(Starts().empty());
    EXPECT_EQ(Trim(testsupport::ReadFileBytes("/proc/" + std::to_string(reexe) + "/comm")), "TReExeForm");
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !Starts().empty(); }, 8000));
    EXPECT_EQ(Starts(), std::vector<std::string>{"auto 3"});
    EXPECT_TRUE(folder.Exists("Bin/ReExe.log"));
}

TEST_F(ServiceUpdate, WatchdogRevivesAKilledProgramButNotOneAboutToRestart)
{
    pid_t first = StartProgram("stay");
    auto checker = [&] {
        return LaunchProcess(QuoteArg(folder.Path("Bin/PellagoChecker.exe")) + QuoteArg("TPellagoForm") +
                             QuoteArg("TReExeForm") + QuoteArg(program + " auto") + QuoteArg("1"));
    };
    pid_t watchdog = checker();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(Starts().size(), 1u); // running: left alone

    kill(first, SIGKILL);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Starts().size() == 2; }, 8000));
    EXPECT_EQ(Starts().back(), "auto");
    EXPECT_TRUE(testsupport::WaitUntil([&] { ReapEndedChildren(); return !Alive(watchdog); }, 3000));

    // A count-down for the program is running: the watchdog waits for it.
    EndProgramsAt(program);
    watchdog = checker();
    LaunchProcess(QuoteArg(folder.Path("Bin/ReExe.exe")) + " " + QuoteArg(program + " auto 4") + " " + QuoteArg("3"));
    std::this_thread::sleep_for(std::chrono::milliseconds(2200));
    EXPECT_EQ(Starts().size(), 2u);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Starts().size() == 3; }, 8000));
    EXPECT_EQ(Starts().back(), "auto 4");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(Starts().size(), 3u);
    TerminateProcess(watchdog);
}

TEST_F(ServiceUpdate, WatchdogRevivesItsOwnFolderWhileAnotherFolderRunsTheSameProgram)
{
    testsupport::ScratchDir other;
    const std::string home = "--home " + QuoteArg(other.path());
    // The executable's own folder dies while the other one runs, then the other way round.
    for (const auto& [dying, surviving] : {std::pair{std::string(), home}, std::pair{home, std::string()}}) {
        EndProgramsAt(program);
        StartProgram("stay", " " + surviving);
        const pid_t victim = StartProgram("stay", " auto " + dying);
        const pid_t watchdog =
            LaunchProcess(QuoteArg(folder.Path("Bin/PellagoChecker.exe")) + QuoteArg("TPellagoForm") +
                          QuoteArg("TReExeForm") + QuoteArg(JoinCommandLine({program, "auto"}) + " " + dying) +
                          QuoteArg("1"));
        const std::size_t before = Starts().size();
        kill(victim, SIGKILL);
        ASSERT_TRUE(testsupport::WaitUntil([&] { return Starts().size() == before + 1; }, 8000)) << dying;
        EXPECT_EQ(Starts().back(), dying.empty() ? "auto" : "auto --home " + other.path());
        TerminateProcess(watchdog);
    }
}

TEST_F(ServiceUpdate, RunningWatchdogIsStoppedReplacedAndStartedAgain)
{
    WatchdogToggle();
    const pid_t before = WatchdogProcess;
    ASSERT_NE(before, 0);
    const std::string published = folder.Read("Bin/PellagoChecker.exe") + "\n# watchdog 2\n";
    ASSERT_TRUE(sim.Put("/_control/service/files/Bin/PellagoChecker.exe", published).ok());
    ASSERT_TRUE(FetchAccountTemplate()) << LogDump();
    EXPECT_TRUE(LoggedLine("[Bin] PellagoCheckerを一時停止します"));
    EXPECT_TRUE(LoggedLine("[Bin] PellagoChecker.exe の置換に成功"));
    EXPECT_TRUE(LoggedLine("[Bin] PellagoCheckerを再開します"));
    EXPECT_EQ(folder.Read("Bin/PellagoChecker.exe"), published);
    EXPECT_NE(WatchdogProcess, 0);
    EXPECT_NE(WatchdogProcess, before);
    EXPECT_FALSE(Alive(before));
    EXPECT_TRUE(Alive(WatchdogProcess));
    WatchdogToggle();
}

TEST_F(ServiceUpdate, WatchdogToggleStartsAndStopsTheChecker)
{
    WatchdogToggle();
    ASSERT_NE(WatchdogProcess, 0);
    const pid_t pid = WatchdogProcess;
    ASSERT_TRUE(testsupport::WaitUntil([&] { return testsupport::ProcessArguments(std::to_string(pid)).size() == 5; }, 3000));
    EXPECT_EQ(testsupport::ProcessArguments(std::to_string(pid)),
              (std::vector<std::string>{folder.Path("Bin/PellagoChecker.exe"), "TPellagoForm", "TReExeForm",
                                        program + " auto", "10"}));
    WatchdogToggle();
    EXPECT_EQ(WatchdogProcess, 0);
    EXPECT_TRUE(testsupport::WaitUntil([&] { ReapEndedChildren(); return !Alive(pid); }, 3000));
}
