#pragma once
// The relay route ("別サーバーを経由して送信"): a hidden browser of our own
// fills in the service's mail form "send/mail/contact.php" and submits it.
// The handheld user agent and the proxy are set on that browser only.

#include "broker/Browser.h"
#include "reporting/MailMime.h"

#include <string>

struct TRelayRoute {
    BrowserFactory* Browsers = nullptr;
    BrowserHost* Host = nullptr; // where the invisible browser is placed
    std::string PageUrl;         // the service's web host + "/send/mail/contact.php"
    BrowserProxy Proxy;
};

// Sent when the answer page says "正常に終了しました"; Unreachable when the
// form page could not be loaded.
TMailResult RelaySendMail(const TRelayRoute& route, const std::string& subject, const std::string& senderAddress,
                          const std::string& recipients, const std::string& body);
