#pragma once
// The real mail peers of the mail tests: the loopback SMTP server of
// scripts/loopback-smtp.py (python3-aiosmtpd) with STARTTLS on a
// certificate made here with openssl and AUTH, and what it received.

#include "support/TestSupport.h"

#include <QProcess>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace mailkit {

inline const char* const kUser = "pellago";
inline const char* const kPassword = "secret";

// A self-signed certificate for 127.0.0.1 in folder/cert.pem (also the CA
// file that trusts it) with its key in folder/key.pem.
inline bool MakeCertificate(const std::string& folder)
{
    QProcess openssl;
    openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                              "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost", "-keyout",
                              QString::fromStdString(folder + "key.pem"), "-out",
                              QString::fromStdString(folder + "cert.pem")});
    return openssl.waitForFinished(60000) && openssl.exitCode() == 0;
}

struct ReceivedMessage {
    std::string raw;      // the bytes as they came over the wire
    std::string envelope; // JSON: mail_from, rcpt_tos, tls, authenticated
};

class SmtpServer {
public:
    // With certFolder: STARTTLS required and AUTH as kUser/kPassword.
    SmtpServer(const std::string& spool, const std::string& certFolder, int port = 0) : spool_(spool)
    {
        QStringList arguments{QString::fromStdString(testsupport::SourceDir() + "scripts/loopback-smtp.py"), "--spool",
                              QString::fromStdString(spool), "--port", QString::number(port)};
        if (!certFolder.empty())
            arguments << "--cert" << QString::fromStdString(certFolder + "cert.pem") << "--key"
                      << QString::fromStdString(certFolder + "key.pem") << "--user" << kUser << "--password"
                      << kPassword;
        process_ = std::make_unique<QProcess>();
        process_->start("/usr/bin/python3", arguments);
        testsupport::WaitUntil(
            [&] { return process_->canReadLine() || process_->state() == QProcess::NotRunning; }, 15000);
        port_ = process_->readLine().trimmed().toInt();
    }
    ~SmtpServer()
    {
        process_->kill();
        process_->waitForFinished(3000);
    }
    int Port() const { return port_; }

    std::vector<ReceivedMessage> Messages() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(spool_))
            if (entry.path().extension() == ".eml")
                names.push_back(entry.path().stem().string());
        std::sort(names.begin(), names.end());
        std::vector<ReceivedMessage> messages;
        for (const std::string& name : names)
            messages.push_back({testsupport::ReadFileBytes(spool_ + name + ".eml"),
                                testsupport::ReadFileBytes(spool_ + name + ".json")});
        return messages;
    }

private:
    std::string spool_;
    std::unique_ptr<QProcess> process_;
    int port_ = 0;
};

// The value of a header that stands on one line ("" when absent).
inline std::string HeaderValue(const std::string& raw, const std::string& name)
{
    const std::size_t at = raw.find("\r\n" + name + ": ");
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + name.size() + 4;
    return raw.substr(start, raw.find("\r\n", start) - start);
}

} // namespace mailkit
