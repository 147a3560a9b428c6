// The program under a Type=notify unit, with the test as systemd: a unix
// datagram socket in NOTIFY_SOCKET and a 2 s watchdog in WATCHDOG_USEC. The
// program in automatic mode reports READY, keeps pinging the watchdog
// through a trade run that slow broker pages stretch well past the watchdog
// period, reports the run's outcome as STATUS, starts no PellagoChecker,
// and stops pinging once its
// cycle is frozen (SIGSTOP), which is what makes systemd kill and restart it.

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

// The manager's end of NOTIFY_SOCKET.
class NotifySocket {
public:
    explicit NotifySocket(const std::string& path) : path_(path)
    {
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        const timeval wait{0, 100000};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    }
    ~NotifySocket()
    {
        ::close(fd_);
        ::unlink(path_.c_str());
    }

    bool Bound() const { return bound_; }

    // Everything that arrives within `ms`, the test's event loop kept running
    // so the program's output pipe never fills.
    std::vector<Notification> Collect(int ms) const
    {
        std::vector<Notification> received;
        const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
        while (Clock::now() < end) {
            QCoreApplication::processEvents();
            char buffer[4096];
            const ssize_t size = ::recv(fd_, buffer, sizeof buffer, 0);
            if (size > 0)
                received.push_back({Clock::now(), std::string(buffer, static_cast<size_t>(size))});
        }
        return received;
    }

private:
    std::string path_;
    int fd_ = -1;
    bool bound_ = false;
};

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

int FirstWith(const std::vector<Notification>& received, const std::string& part)
{
    for (size_t i = 0; i < received.size(); ++i)
        if (Contains(received[i].text, part))
            return static_cast<int>(i);
    return -1;
}

class SystemdNotify : public headless::SimAndMailTest {};

TEST_F(SystemdNotify, ReadyPingsThroughALongRunStatusOfItsOutcomeAndNoPingOnceFrozen)
{
    testsupport::ScratchDir runtime;
    NotifySocket manager(runtime.file("notify"));
    ASSERT_TRUE(manager.Bound());
    headless::ProgramHome home(sim);
    ASSERT_TRUE(sim.CreateAccount(R"({"family":"lionfx","id":"notify","password":"pw","deposit":1000000})"));
    home.AddAccount("LionFX", "notify", "pw");
    // Four broker pages 3 s late: the trade run outlasts the watchdog period many times.
    ASSERT_TRUE(sim.AddFault(R"({"kind":"slow","family":"lionfx","count":4,"delayMs":3000})"));
    home.SetEnvironment("NOTIFY_SOCKET", QString::fromStdString(runtime.file("notify")));
    home.SetEnvironment("WATCHDOG_USEC", QString::number(kWatchdogMs * 1000));

    const std::unique_ptr<QProcess> program = home.Start(false);
    std::vector<Notification> received;
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] {
            for (const Notification& notification : manager.Collect(500))
                received.push_back(notification);
            return FirstWith(received, "STATUS=自動売買は正常に終了しました (") >= 0;
        },
        headless::kRunTimeoutMs))
        << program->readAllStandardOutput().toStdString();

    const int ready = FirstWith(received, "READY=1");
    const int outcome = FirstWith(received, "STATUS=自動売買は正常に終了しました (");
    ASSERT_GE(ready, 0);
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
        return Contains(process.executable, "PellagoChecker") &&
               (Contains(process.executable, folder) ||
                std::any_of(process.arguments.begin(), process.arguments.end(),
                            [&](const std::string& argument) { return Contains(argument, folder); }));
    });
    EXPECT_EQ(checkers, 0) << "PellagoChecker ran beside systemd's watchdog";

    ::kill(static_cast<pid_t>(program->processId()), SIGSTOP);
    manager.Collect(200); // what was on its way
    EXPECT_EQ(FirstWith(manager.Collect(2 * kWatchdogMs), "WATCHDOG=1"), -1) << "a frozen program pinged";
    ::kill(static_cast<pid_t>(program->processId()), SIGKILL);
    program->waitForFinished();
}

} // namespace
