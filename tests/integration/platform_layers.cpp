// The platform layers against the real thing: the wake timer's timerfd on
// the alarm clock (with and without CAP_WAKE_ALARM), logind's power methods
// on a private bus served by a fake login manager, and the XDG autostart
// entry in a scratch configuration folder.

#include "app/ProcessState.h"
#include "app/StartupRegistration.h"
#include "app/WakeUp.h"
#include "platform/AlarmWakeTimer.h"
#include "platform/LogindPower.h"
#include "platform/XdgAutostart.h"
#include "support/ScratchProgram.h"
#include "support/TestSupport.h"
#include "unit/UnitFixtures.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/timerfd.h>
#include <unistd.h>

using testsupport::Logged;
using testsupport::ScratchProgramFolder;

namespace {

const char* const kSetLine = "休止状態/サスペンドから復帰するためのタイマーをセットしました";

// One field ("clockid", "it_interval", ...) of the kernel's view of a descriptor.
std::string FdInfo(int fd, const std::string& field)
{
    std::ifstream info("/proc/self/fdinfo/" + std::to_string(fd));
    for (std::string line; std::getline(info, line);)
        if (line.rfind(field + ":", 0) == 0)
            return Trim(line.substr(field.size() + 1));
    return {};
}

long long SecondsLeft(int fd)
{
    itimerspec spec{};
    timerfd_gettime(fd, &spec);
    return spec.it_value.tv_sec + (spec.it_value.tv_nsec >= 500000000 ? 1 : 0);
}

// CAP_WAKE_ALARM out of this thread's effective set while alive.
class WithoutWakeAlarm {
public:
    WithoutWakeAlarm()
    {
        syscall(SYS_capget, &header_, data_);
        __user_cap_data_struct lowered[2] = {data_[0], data_[1]};
        lowered[CAP_TO_INDEX(CAP_WAKE_ALARM)].effective &= ~CAP_TO_MASK(CAP_WAKE_ALARM);
        syscall(SYS_capset, &header_, lowered);
    }
    ~WithoutWakeAlarm() { syscall(SYS_capset, &header_, data_); }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data_[2]{};
};

} // namespace

TEST(WakeTimer, ArmedAndReArmedOnTheAlarmClockForTheNextWakeUpTime)
{
    ScratchProgramFolder folder;
    testsupport::PinnedClock clock(2024, 3, 4, 6, 59);
    AlarmWakeTimer timer;
    if (!SetDailyWakeUp(timer, 7, 0))
        GTEST_SKIP() << "this process may not use the alarm clock (no CAP_WAKE_ALARM)";
    const int fd = timer.Descriptor();
    EXPECT_EQ(FdInfo(fd, "clockid"), std::to_string(CLOCK_REALTIME_ALARM));
    EXPECT_EQ(FdInfo(fd, "it_interval"), "(86400, 0)");
    EXPECT_EQ(SecondsLeft(fd), 60);

    clock.set(2024, 3, 4, 7, 1);
    ASSERT_TRUE(SetDailyWakeUp(timer, 7, 0));
    EXPECT_EQ(timer.Descriptor(), fd); // the same timer, re-armed
    EXPECT_EQ(SecondsLeft(fd), (23 * 60 + 59) * 60);
    EXPECT_EQ(Logged(), (std::vector<std::string>{kSetLine, kSetLine}));
    EXPECT_TRUE(timer.Armed());
    timer.Close();
    EXPECT_EQ(timer.Descriptor(), -1);
    EXPECT_FALSE(timer.Armed());
}

TEST(WakeTimer, WithoutTheCapabilityTheFailureLineSaysHowToGrantIt)
{
    ScratchProgramFolder folder;
    WithoutWakeAlarm lowered;
    AlarmWakeTimer timer;
    EXPECT_FALSE(SetDailyWakeUp(timer, 7, 0));
    const std::vector<std::string> lines = Logged();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Error! 復帰タイマーのセットに失敗しました。休止/サスペンドからの復帰を行えない可能性があります");
    EXPECT_EQ(lines[1], "復帰タイマーにはCAP_WAKE_ALARM権限が必要です。管理者として「setcap cap_wake_alarm+ep \"" +
                            ExecutablePath() + "\"」を実行し、Pellagoを起動し直してください");
}

namespace {

// A child process and the lines it printed.
class LineProcess {
public:
    LineProcess(const QString& program, const QStringList& args) { process_.start(program, args); }
    ~LineProcess()
    {
        process_.kill();
        process_.waitForFinished(3000);
    }
    // The first `count` lines, waiting up to timeoutMs for them; fewer when they did not come.
    std::vector<std::string> Lines(std::size_t count, int timeoutMs = 10000)
    {
        while (lines_.size() < count && (process_.canReadLine() || process_.waitForReadyRead(timeoutMs)))
            while (process_.canReadLine())
                lines_.push_back(process_.readLine().trimmed().toStdString());
        return lines_;
    }

private:
    QProcess process_;
    std::vector<std::string> lines_;
};

} // namespace

// The bus daemon stands in for the system bus of this test program, the
// fake for the login manager on it.
TEST(LogindBus, PowerMethodsAreCalledWithoutAskingAndTheInhibitorIsHeldUntilTheEnd)
{
    ScratchProgramFolder folder;
    LineProcess daemon("dbus-daemon", {"--session", "--nofork", "--print-address=1",
                                       "--address=unix:tmpdir=" + QString::fromStdString(folder.Path(""))});
    const std::vector<std::string> address = daemon.Lines(1);
    ASSERT_EQ(address.size(), 1u) << "dbus-daemon did not start";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", address[0].c_str(), 1);
    LineProcess logind(QString::fromStdString(testsupport::BinDir() + "fake-logind"), {});
    ASSERT_EQ(logind.Lines(1), std::vector<std::string>{"ready"});
    {
        LogindPower power;
        EXPECT_TRUE(power.RequestKeepAwake());
        EXPECT_TRUE(power.RequestKeepAwake()); // held: asked for once
        EXPECT_TRUE(power.SuspendMachine(true));
        EXPECT_TRUE(power.HibernateMachine(true));
        EXPECT_TRUE(power.ExitWindowsForced(PowerControl::kShutdownForced));
        EXPECT_TRUE(power.ExitWindowsForced(PowerControl::kRebootForced));
        EXPECT_EQ(logind.Lines(7, 500).size(), 6u) << "released while still held";
    }
    EXPECT_EQ(logind.Lines(7), (std::vector<std::string>{"ready",
                                                         "Inhibit sleep:idle|Pellago|自動売買のため起動したままにします|block",
                                                         "Suspend false", "Hibernate false", "PowerOff false",
                                                         "Reboot false", "Released"}));
}

TEST(XdgAutostart, EntryWrittenAndRemovedWhereXdgSaysAndStartsTheProgramWithAuto)
{
    ScratchProgramFolder folder;
    testsupport::ScratchDir config;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    const std::string entryFile = config.file("autostart/Pellago.desktop");
    XdgAutostart entry;
    struct Step {
        bool registered;
        bool exists;
        std::size_t messages;
    } steps[] = {{true, true, 1}, {true, true, 1}, {false, false, 2}, {false, false, 2}};
    for (const Step& step : steps) {
        CheckBox9Click(entry, step.registered);
        EXPECT_EQ(std::filesystem::exists(entryFile), step.exists);
        EXPECT_EQ(folder.messages.size(), step.messages);
        if (step.exists)
            EXPECT_NE(testsupport::ReadFileBytes(entryFile).find("\nExec=" + folder.Path("pellago") + " auto\n"), std::string::npos);
    }
    EXPECT_EQ(folder.messages[0].rfind("スタートアップに登録しました\r\n", 0), 0u);
    EXPECT_EQ(folder.messages[1].rfind("スタートアップの登録を削除しました\r\n", 0), 0u);
    EXPECT_EQ(folder.captions, (std::vector<std::string>{"確認", "確認"}));

    // A program outside its program folder comes back with the folder; the
    // format's quoting keeps odd characters in the path.
    SetExecutablePath("/opt/my \"P$\"/pellago");
    const std::string programFolder = folder.Path("").substr(0, folder.Path("").size() - 1);
    EXPECT_EQ(DesktopExecLine(StartupCommand()), R"("/opt/my \\"P\\$\\"/pellago" auto --home )" + programFolder);
    unsetenv("XDG_CONFIG_HOME");
}
