#pragma once
// A real POP3 server for tests: dovecot started on loopback with a private
// configuration and one mailbox that messages are delivered into.

#include "support/TestSupport.h"

#include <QProcess>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace dovecotkit {

namespace fs = std::filesystem;

inline const std::string kUser = "user1_signal@pellago.example";
inline const std::string kPassword = "secret";

inline bool Accepts(int port)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

inline void ChownTree(const fs::path& root, uid_t uid, gid_t gid)
{
    chown(root.c_str(), uid, gid);
    for (const auto& entry : fs::recursive_directory_iterator(root))
        chown(entry.path().c_str(), uid, gid);
}

// dovecot with POP3 only, its own base folder and a high port (or `port`,
// to bring one back where it was); the login processes run as dovenull and
// the mail as the dovecot user, never root.
class Dovecot {
public:
    explicit Dovecot(const std::string& root, int port = 0)
        : root_(root), port_(port ? port : testsupport::FreeLoopbackPort())
    {
        for (const char* sub : {"run", "state", "mail"})
            fs::create_directories(root_ / sub);
        for (const char* sub : {"new", "cur", "tmp"})
            fs::create_directories(root_ / "mail" / kUser / sub);
        OwnMailToDovecot();
        testsupport::WriteFileBytes((root_ / "users").string(), kUser + ":{PLAIN}" + kPassword + "\n");
        const std::string r = root_.string();
        testsupport::WriteFileBytes((root_ / "dovecot.conf").string(),
            "base_dir = " + r + "/run\n"
            "state_dir = " + r + "/state\n"
            "instance_name = pellago-test-" + std::to_string(port_) + "\n"
            "log_path = " + r + "/dovecot.log\n"
            "protocols = pop3\n"
            "listen = 127.0.0.1\n"
            "ssl = no\n"
            "disable_plaintext_auth = no\n"
            "auth_mechanisms = plain login\n"
            "auth_failure_delay = 0\n"
            "default_login_user = dovenull\n"
            "default_internal_user = dovecot\n"
            "first_valid_uid = 1\n"
            "mail_location = maildir:" + r + "/mail/%u\n"
            "pop3_uidl_format = %08Xu%08Xv\n"
            "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN username_format=%u " + r + "/users\n}\n"
            "userdb {\n  driver = static\n  args = uid=dovecot gid=dovecot home=" + r + "/mail/%u\n}\n"
            "service pop3-login {\n  inet_listener pop3 {\n    address = 127.0.0.1\n    port = " +
                std::to_string(port_) + "\n  }\n}\n");
        process_.start("/usr/sbin/dovecot", {"-F", "-c", QString::fromStdString(r + "/dovecot.conf")});
        started_ = testsupport::WaitUntil([&] { return Accepts(port_); }, 10000);
    }
    ~Dovecot()
    {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
    }

    bool Started() const { return started_; }
    int Port() const { return port_; }
    std::string Log() const { return testsupport::ReadFileBytes((root_ / "dovecot.log").string()); }

    // Delivers a message as the n-th waiting one (older first).
    void Deliver(int n, const std::string& raw)
    {
        fs::path box = root_ / "mail" / kUser;
        testsupport::WriteFileBytes((box / "new" / (std::to_string(1700000000 + n) + ".M" + std::to_string(n) +
                                                    "P1.pellago-test")).string(),
                                    raw);
        OwnMailToDovecot();
    }

    int Waiting() const
    {
        int count = 0;
        fs::path box = root_ / "mail" / kUser;
        for (const char* sub : {"new", "cur"})
            for (const auto& entry : fs::directory_iterator(box / sub))
                count += entry.is_regular_file();
        return count;
    }

private:
    // The mail processes run as the dovecot user and must own the mailbox.
    void OwnMailToDovecot() const
    {
        if (passwd* user = getpwnam("dovecot"))
            ChownTree(root_ / "mail", user->pw_uid, user->pw_gid);
    }

    fs::path root_;
    int port_;
    QProcess process_;
    bool started_ = false;
};

} // namespace dovecotkit
