#pragma once
// Mail delivery: one mail (subject and body) to the user's addresses by the
// route the tab "メール" chooses: the relay form, the system's mailer, or
// direct SMTP. Also the test mail of Button1.

#include "reporting/MailMime.h"
#include "reporting/RelaySendMail.h"
#include "reporting/SmtpSendMail.h"

#include <string>

// The tab's delivery settings as they stand when a mail goes out.
struct TMailSettings {
    TSmtpSettings Smtp;         // Edit3, Edit7, Edit4, Edit5, CheckBox2 (+ our CA file)
    std::string SenderName;     // Edit8
    std::string SenderAddress;  // Edit9
    std::string Recipients;     // Edit10
    bool Utf8 = false;          // CheckBox21
    bool OutlookExpress = false; // CheckBox20: the system's mailer
    bool Relay = false;         // CheckBox27
    TRelayRoute RelayRoute;
};

// The relay if chosen, else the system's mailer if chosen, else SMTP.
TMailResult DeliverMail(const TMailSettings& settings, const std::string& subject, const std::string& body);

// Button1Click: with local save on only the message (naming that option by
// its caption); otherwise the test mail at once, with its log lines and a
// message saying whether it went out, or why not.
void SendTestMail(const TMailSettings& settings, bool localSave, const std::string& localSaveCaption);
