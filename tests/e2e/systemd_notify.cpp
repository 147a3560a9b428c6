// The program under a Type=notify unit, with the test as systemd: a unix
// datagram socket in NOTIFY_SOCKET and a 2 s watchdog in WATCHDOG_USEC. The
// program in automatic mode reports READY, keeps pinging the watchdog
// through a trade run that slow broker pages stretch well past the watchdog
// period, reports the run's outcome as STATUS, starts no PellagoChecker,
// and stops pinging once its cycle is frozen (SIGSTOP); killed as systemd's
// watchdog kills it, the program starts again in the same folder.

#include "e2e/HeadlessKit.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWatchdogMs = 2000;

struct Notification {
    Clock::time_point at;
    std::string text;
};

// The manager's end of NOTIFY_SOCKET, keeping what arrives in order.
class NotifySocket {
public:
    explicit NotifySocket(const std::string& path) : path_(path), fd_(::socket(AF_UNIX, SOCK_DGRAM, 0))
    {
        sockaddr_un address{AF_UNIX, {}};
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        bound = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        const timeval wait{0, 100000};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    }
    ~NotifySocket()
    {
        ::close(fd_);
        ::unlink(path_.c_str());
    }

    // Receives for `ms`, the test's event loop kept running so the
    // program's output pipe never fills. Returns where the new ones begin.
    size_t Collect(int ms)
    {
        const size_t first = received.size();
        for (const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms); Clock::now() < end;) {
            QCoreApplication::processEvents();
            char buffer[4096];
            if (const ssize_t size = ::recv(fd_, buffer, sizeof buffer, 0); size > 0)
                received.push_back({Clock::now(), std::string(buffer, static_cast<size_t>(size))});
        }
        return first;
    }

    // The index of the first notification from `from` on holding `part`, or -1.
    int Find(const std::string& part, size_t from = 0) const
    {
        for (size_t i = from; i < received.size(); ++i)
            if (received[i].text.find(part) != std::string::npos)
                return static_cast<int>(i);
        return -1;
    }

    bool bound = false;
    std::vector<Notification> received;

private:
    std::string path_;
    int fd_;
};

class SystemdNotify : public headless::SimAndMailTest {};

TEST_F(SystemdNotify, ReadyPingsThroughALongRunStatusOfItsOutcomeAndNoPingOnceFrozen)
{
    testsupport::ScratchDir runtime;
    NotifySocket manager(runtime.file("notify"));
    ASSERT_TRUE(manager.bound);
    headless::ProgramHome home(sim);
    ASSERT_TRUE(sim.CreateAccount(R"({"family":"lionfx","id":"notify","password":"pw","deposit":1000000})"));
    home.AddAccount("LionFX", "notify", "pw");
    // Four broker pages 3 s late: the trade run outlasts the watchdog period many times.
    ASSERT_TRUE(sim.AddFault(R"({"kind":"slow","family":"lionfx","count":4,"delayMs":3000})"));
    home.SetEnvironment("NOTIFY_SOCKET", QString::fromStdString(runtime.file("notify")));
    home.SetEnvironment("WATCHDOG_USEC", QString::number(kWatchdogMs * 1000));

    const std::unique_ptr<QProcess> program = home.Start(false);
    const std::string success = "STATUS=自動売買は正常に終了しました (";
    ASSERT_TRUE(testsupport::WaitUntil([&] { return manager.Collect(500), manager.Find(success) >= 0; },
                                       headless::kRunTimeoutMs))
        << program->readAllStandardOutput().toStdString();

    const int ready = manager.Find("READY=1");
    const int outcome = manager.Find(success);
    ASSERT_GE(ready, 0);
    const std::vector<Notification>& received = manager.received;
    EXPECT_GE(received[outcome].at - received[ready].at, std::chrono::seconds(12)) << "the run was not long";
    Clock::time_point lastPing = received[ready].at;
    for (int i = ready + 1; i <= outcome; ++i) {
        if (received[i].text != "WATCHDOG=1")
            continue;
        EXPECT_LT(received[i].at - lastPing, std::chrono::milliseconds(kWatchdogMs)) << "a ping came late";
        lastPing = received[i].at;
    }
    EXPECT_LT(received[outcome].at - lastPing, std::chrono::milliseconds(kWatchdogMs));

    const std::string folder = home.path();
    const int checkers = testsupport::EndProcessesWhere([&](const testsupport::ProcessInfo& process) {
        const auto inFolder = [&](const std::string& text) { return text.find(folder) != std::string::npos; };
        return process.executable.find("PellagoChecker") != std::string::npos &&
               (inFolder(process.executable) ||
                std::any_of(process.arguments.begin(), process.arguments.end(), inFolder));
    });
    EXPECT_EQ(checkers, 0) << "PellagoChecker ran beside systemd's watchdog";

    ::kill(static_cast<pid_t>(program->processId()), SIGSTOP);
    manager.Collect(200); // what was on its way
    EXPECT_EQ(manager.Find("WATCHDOG=1", manager.Collect(2 * kWatchdogMs)), -1) << "a frozen program pinged";
    // What systemd's watchdog then does: SIGABRT, SIGKILL after the abort
    // time-out (a frozen program never handles the first), and a new start.
    ::kill(static_cast<pid_t>(program->processId()), SIGABRT);
    manager.Collect(500);
    ::kill(static_cast<pid_t>(program->processId()), SIGKILL);
    program->waitForFinished();
    const size_t restart = manager.received.size();
    const std::unique_ptr<QProcess> restarted = home.Start(false);
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] {
            manager.Collect(500);
            const int up = manager.Find("READY=1", restart);
            return up >= 0 && manager.Find("WATCHDOG=1", static_cast<size_t>(up)) >= 0;
        },
        60000))
        << "the killed program's folder kept the new start from coming up: "
        << restarted->readAllStandardOutput().toStdString();
    home.EndLeftovers();
    restarted->waitForFinished();
}

} // namespace
