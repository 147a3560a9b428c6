#include "reporting/SendmailRoute.h"

#include "base/AkUnit.h"
#include "base/Clock.h"
#include "reporting/MailRoute.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// A mailer that neither reads nor ends within this is stuck; it is killed.
constexpr auto kMailerTimeLimit = std::chrono::seconds(60);
constexpr int kExitUnavailable = 69; // sysexits EX_UNAVAILABLE
constexpr int kExitTempFail = 75;    // sysexits EX_TEMPFAIL

using Clock = std::chrono::steady_clock;

std::string MailerProgram()
{
    for (const char* path : {"/usr/sbin/sendmail", "/usr/lib/sendmail"})
        if (access(path, X_OK) == 0)
            return path;
    return "sendmail"; // from PATH
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    void Close()
    {
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// The mailer with its standard input on `input` and its error output on `errors`.
pid_t StartMailer(int input, int errors)
{
    const std::string program = MailerProgram();
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>("-t"), const_cast<char*>("-i"),
                            nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errors, STDERR_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : 0;
}

void DrainErrors(int fd, std::string& errors)
{
    char buffer[512];
    ssize_t n = 0;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        errors.append(buffer, static_cast<std::size_t>(n));
}

// Writes without ever blocking the event loop; false when the mailer stops
// reading or the time runs out.
bool FeedMailer(int fd, const std::string& bytes, Clock::time_point deadline)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if ((errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) || Clock::now() > deadline)
            return false;
        PumpFor(5);
    }
    return true;
}

// The mailer's exit status, or -1 when it had to be killed.
int AwaitMailer(pid_t pid, int errorsFd, std::string& errors, Clock::time_point deadline)
{
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        DrainErrors(errorsFd, errors);
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        PumpFor(10);
    }
    DrainErrors(errorsFd, errors);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TMailResult ResultOf(int exitStatus)
{
    if (exitStatus == 0)
        return TMailResult::Sent;
    if (exitStatus == kExitTempFail || exitStatus == kExitUnavailable)
        return TMailResult::Unreachable;
    return TMailResult::Failed;
}

std::string FailureReason(bool fed, int status, const std::string& errors)
{
    if (status == -1) return "sendmail が時間内に終わらないため止めました";
    const std::string said = Trim(errors).empty() ? "" : " (" + Trim(errors) + ")";
    if (!fed) return "sendmail がメールを受け取りませんでした" + said;
    return "sendmail が終了コード " + std::to_string(status) + " で終わりました" + said;
}

TMailResult SendByMailer(const TMailContent& mail)
{
    if (SplitRecipients(mail.Recipients).empty()) {
        LogRouteFailure("sendmail", "受信者メールアドレスがありません");
        return TMailResult::Failed;
    }
    TMailContent fromMailer = mail;
    fromMailer.SenderName.clear();
    fromMailer.SenderAddress.clear();
    const std::string message = BuildMailMessage(fromMailer, NowPoint());

    int input[2];
    int errors[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0) {
        LogRouteFailure("sendmail", "メールの受け渡し口を用意できません");
        return TMailResult::Failed;
    }
    FileDescriptor ours(input[0]), theirs(input[1]);
    if (pipe2(errors, O_CLOEXEC | O_NONBLOCK) != 0) {
        LogRouteFailure("sendmail", "メールの受け渡し口を用意できません");
        return TMailResult::Failed;
    }
    FileDescriptor errorsOurs(errors[0]), errorsTheirs(errors[1]);

    const pid_t pid = StartMailer(theirs.get(), errorsTheirs.get());
    theirs.Close();
    errorsTheirs.Close();
    if (pid == 0) {
        LogRouteFailure("sendmail", MailerProgram() + " を起動できません");
        return TMailResult::Failed;
    }
    const Clock::time_point deadline = Clock::now() + kMailerTimeLimit;
    const bool fed = FeedMailer(ours.get(), message, deadline);
    ours.Close(); // end of the message for the mailer
    std::string errorText;
    const int status = AwaitMailer(pid, errorsOurs.get(), errorText, deadline);
    if (status != 0 || !fed)
        LogRouteFailure("sendmail", FailureReason(fed, status, errorText));
    return fed ? ResultOf(status) : TMailResult::Failed;
}

} // namespace

TMailResult OutlookExpressSendMail(const TMailContent& mail)
{
    return RunMailRoute("sendmail", [&] { return SendByMailer(mail); });
}
