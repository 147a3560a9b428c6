// Self-update end to end: the program, copied into its folder, runs headless
// against pellago-sim, which signs what it publishes with the test key.
// Files changed after signing, unsigned, or signed for an older version are
// refused and the program trades on; a good signed update is swapped in and
// comes back headless in the same folder; a signed program that cannot start
// is rolled back by replace.exe; a helper of the right size but the wrong
// content is replaced by the signed one. Under systemd the program swaps the
// update in itself and the unit's next start rolls back one that never came up.

#include "app/MailMessage.h"
#include "e2e/HeadlessKit.h"
#include "support/UpdateKeys.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

using headless::ProgramHome;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace fs = std::filesystem;

namespace {

enum class Outcome { Refused, Installed, RolledBack };

struct Step {
    const char* what;
    std::string version;     // announced
    std::string programBytes;
    std::string signing;     // POST /_control/service/signing
    Outcome outcome;
    std::string logPart;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The activity log files of the folder, as text.
std::string ActivityLog(const ProgramHome& home)
{
    std::string text;
    for (const auto& entry : fs::directory_iterator(home.file("Log")))
        if (entry.path().extension() == ".log")
            text += JapaneseBytesToUtf8(ReadFileBytes(entry.path().string()));
    return text;
}

// The program a replace.exe started, once it has shown that it is up.
pid_t ProgramUp(const ProgramHome& home)
{
    pid_t pid = 0;
    std::ifstream(home.file("Bin/update-started")) >> pid;
    return pid > 0 && kill(pid, 0) == 0 ? pid : 0;
}

// PellagoChecker.exe of the folder runs.
bool WatchdogRunning(const ProgramHome& home)
{
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::error_code ec;
        if (fs::read_symlink(entry.path() / "exe", ec).string() == home.file("Bin/PellagoChecker.exe"))
            return true;
    }
    return false;
}

// The log after `line` shows a tick of the cycle and the watchdog runs.
bool TradesOnAfter(const ProgramHome& home, const std::string& line)
{
    const std::string log = ActivityLog(home);
    const std::size_t at = log.rfind(line);
    return at != std::string::npos && Contains(log.substr(at), "シグナルチェックを正常に終えました") &&
           WatchdogRunning(home);
}

// The running program's options keep the folder and headless mode.
void ExpectSameKindOfProgram(const ProgramHome& home, pid_t pid, const std::string& what)
{
    const auto arguments = testsupport::ProcessArguments(std::to_string(pid));
    const std::string folder = home.path().substr(0, home.path().size() - 1);
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(pid) + "/exe").string(), home.file("pellago")) << what;
    EXPECT_EQ(std::count(arguments.begin(), arguments.end(), "--headless"), 1) << what;
    EXPECT_EQ(std::count(arguments.begin(), arguments.end(), "auto"), 1) << what;
    // The program lives in its folder, so --home may be left out.
    const auto homeOption = std::find(arguments.begin(), arguments.end(), "--home");
    if (homeOption != arguments.end())
        EXPECT_TRUE(homeOption + 1 != arguments.end() && fs::path(homeOption[1]) == fs::path(folder)) << what;
}

// A folder with one LionFX account at the simulator, its own copy of the
// program and the helpers; the program's path.
std::string PrepareUpdatableFolder(ProgramHome& home, const testsupport::SimServer& sim, const std::string& id)
{
    EXPECT_TRUE(sim.CreateAccount(R"({"family":"lionfx","id":")" + id + R"(","password":"pw","deposit":1000000})"));
    home.AddAccount("LionFX", id, "pw");
    const std::string program = home.file("pellago");
    fs::copy_file(testsupport::BinDir() + "pellago", program);
    home.UseProgram(program);
    home.SetEnvironment("PELLAGO_TEST_TICK_MS", "3000");
    fs::create_directories(home.file("Bin"));
    for (const char* name : {"replace.exe", "PellagoChecker.exe", "ReExe.exe"})
        fs::copy_file(testsupport::BinDir() + name, home.file(std::string("Bin/") + name));
    return program;
}

void Publish(const testsupport::SimServer& sim, const std::string& version, const std::string& bytes,
             const std::string& signing)
{
    ASSERT_TRUE(sim.Post("/_control/service/version", R"({"version":")" + version + R"("})").ok());
    ASSERT_TRUE(sim.Put("/_control/service/files/Pellago.bin", bytes).ok());
    ASSERT_TRUE(sim.Post("/_control/service/signing", signing).ok());
}

class SignedUpdate : public headless::SimAndMailTest {};

TEST_F(SignedUpdate, OnlySignedProgramsOfTheAnnouncedVersionAreInstalledAndABadOneIsRolledBack)
{
    ProgramHome home(sim);
    const std::string program = PrepareUpdatableFolder(home, sim, "upd");
    home.SetEnvironment("PELLAGO_TEST_UPDATE_UP_S", "20");

    // The published helper differs from the installed one in content only.
    const std::string helper = ReadFileBytes(testsupport::BinDir() + "ReExe.exe");
    std::string damaged = helper;
    std::reverse(damaged.begin() + 64, damaged.end());
    WriteFileBytes(home.file("Bin/ReExe.exe"), damaged);
    ASSERT_TRUE(sim.Put("/_control/service/files/Bin/ReExe.exe", helper).ok());

    const std::string installed = ReadFileBytes(program);
    const std::string newer = installed + "\n# ver. 1.03\n";
    const std::vector<Step> steps = {
        {"changed after signing", "1.03", newer, R"({"path":"Pellago.bin","mode":"tampered"})", Outcome::Refused,
         "のプログラムファイル を拒否しました: ファイルの内容が署名と一致しません"},
        {"unsigned", "1.03", newer, R"({"path":"Pellago.bin","mode":"unsigned"})", Outcome::Refused,
         "のプログラムファイル を拒否しました: 署名ファイル"},
        {"older signed file served as new", "1.03", installed, R"({"path":"Pellago.bin","version":"1.02"})",
         Outcome::Refused, "を拒否しました: 署名は「pellago 1.02 Pellago.bin」のもので"},
        {"good signed update", "1.03", newer, R"({"path":"Pellago.bin"})", Outcome::Installed, ""},
        {"signed program that exits at once", "1.04", "#!/bin/sh\nexit 3\n", R"({"path":"Pellago.bin"})",
         Outcome::RolledBack, "[AutoUpdate] 新しいver. 1.04 が起動しなかったため、replace.exe が元のプログラムに戻しました"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        Publish(sim, step.version, step.programBytes, step.signing);
        const std::string before = ReadFileBytes(program);
        if (step.outcome == Outcome::Refused) {
            const headless::RunResult run = home.RunOnce();
            EXPECT_EQ(run.exitCode, 0) << run.output;
            EXPECT_TRUE(Contains(run.output, step.logPart)) << run.output;
            EXPECT_FALSE(fs::exists(home.file("Bin/Pellago.bin")));
            EXPECT_FALSE(fs::exists(home.file("Bin/Replace.log")));
            EXPECT_EQ(ReadFileBytes(program), before);
            continue;
        }
        home.EndLeftovers();
        fs::remove(home.file("Bin/update-started"));
        auto first = home.Start(false);
        ASSERT_TRUE(first->waitForStarted());
        const pid_t old = static_cast<pid_t>(first->processId());
        pid_t up = 0;
        ASSERT_TRUE(testsupport::WaitUntil([&] { return (up = ProgramUp(home)) != 0 && up != old; }, 120000))
            << ReadFileBytes(home.file("Bin/Replace.log"));
        ExpectSameKindOfProgram(home, up, step.what);
        if (step.outcome == Outcome::Installed) {
            EXPECT_EQ(ReadFileBytes(program), newer);
            EXPECT_TRUE(Contains(ReadFileBytes(home.file("Bin/Replace.log")), "the new program is up"));
        } else {
            EXPECT_EQ(ReadFileBytes(program), before) << "the old program is back";
            EXPECT_TRUE(testsupport::WaitUntil([&] { return TradesOnAfter(home, step.logPart); }, 60000))
                << ActivityLog(home);
        }
        fs::remove(home.file("Bin/Replace.log"));
    }
    EXPECT_EQ(ReadFileBytes(home.file("Bin/ReExe.exe")), helper) << "the signed helper replaced the damaged one";
    EXPECT_EQ(sim.NetLots("lionfx", "upd"), headless::DemoTargets()) << "the first run traded";
    home.EndLeftovers();
}

// systemd kills what is left of the unit when the program exits, so the test
// plays the unit: ExecStartPre (replace.exe --settle), then ExecStart, and a
// new start after exit code 75 or a failure.
TEST_F(SignedUpdate, UnderSystemdTheProgramSwapsItselfInAndAStartThatNeverComesUpIsRolledBack)
{
    ProgramHome home(sim);
    const std::string program = PrepareUpdatableFolder(home, sim, "sysd");
    home.SetEnvironment("NOTIFY_SOCKET", QString::fromStdString(home.file("notify"))); // nobody listens
    const auto startAsUnit = [&] {
        QProcess::execute(QString::fromStdString(home.file("Bin/replace.exe")),
                          {"--settle", QString::fromStdString(program)});
        return home.Start(false);
    };
    const auto upAs = [&](QProcess& started) {
        const pid_t pid = static_cast<pid_t>(started.processId());
        return testsupport::WaitUntil([&] { return ProgramUp(home) == pid; }, 60000);
    };
    const std::string installed = ReadFileBytes(program);
    const std::string newer = installed + "\n# ver. 1.03\n";

    // A good update: the program swaps it in, exits 75, and the next start runs it.
    Publish(sim, "1.03", newer, R"({"path":"Pellago.bin"})");
    const headless::RunResult swapped = headless::Finish(*startAsUnit(), 120000);
    EXPECT_EQ(swapped.exitCode, 75) << swapped.output;
    EXPECT_TRUE(Contains(swapped.output, "[systemd] 新しいプログラムを置きました")) << swapped.output;
    EXPECT_EQ(ReadFileBytes(program), newer);
    auto next = startAsUnit();
    EXPECT_TRUE(upAs(*next)) << ReadFileBytes(home.file("Bin/Replace.log"));
    EXPECT_FALSE(fs::exists(home.file("Bin/update-swapped"))) << "the start that came up settled the swap";
    home.EndLeftovers();
    next->waitForFinished();

    // A signed program that exits at once: the start after it puts the old one back.
    Publish(sim, "1.04", "#!/bin/sh\nexit 3\n", R"({"path":"Pellago.bin"})");
    EXPECT_EQ(headless::Finish(*startAsUnit(), 120000).exitCode, 75);
    EXPECT_EQ(headless::Finish(*startAsUnit(), 30000).exitCode, 3) << "the new program ran";
    auto back = startAsUnit();
    EXPECT_EQ(ReadFileBytes(program), newer) << "the old program is back";
    EXPECT_TRUE(upAs(*back));
    const std::string rolledBack = "[AutoUpdate] 新しいver. 1.04 が起動しなかったため、replace.exe が元のプログラムに戻しました";
    EXPECT_TRUE(testsupport::WaitUntil(
        [&] {
            const std::string log = ActivityLog(home);
            const std::size_t at = log.rfind(rolledBack);
            return at != std::string::npos && Contains(log.substr(at), "シグナルチェックを正常に終えました");
        },
        60000))
        << ActivityLog(home);
    EXPECT_FALSE(WatchdogRunning(home)) << "systemd alone supervises";
    home.EndLeftovers();
}

} // namespace
