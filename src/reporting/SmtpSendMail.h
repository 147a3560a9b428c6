#pragma once
// The SMTP route on libcurl: connect (40 s), STARTTLS when asked, AUTH with
// the user name and password, then the mail to every recipient. The TLS
// peer is always verified, against CaFile when one is named.

#include "reporting/MailMime.h"

#include <string>

struct TSmtpSettings {
    std::string Host;     // "ホスト"
    std::string Port;     // "ポート", decimal
    std::string User;     // "ログインID"; empty: no AUTH
    std::string Password; // "パスワード"
    bool UseTls = false;  // "SSLを使用する": STARTTLS, required
    std::string CaFile;   // PEM file of trusted certificates; empty: the system's
};

// The connect time-out of the route.
constexpr long kSmtpConnectTimeoutMs = 40000;

TMailResult SmtpSendMail(const TSmtpSettings& smtp, const TMailContent& mail);
