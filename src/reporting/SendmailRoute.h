#pragma once
// The desktop-client route ("Outlook Expressから送信") on Linux: the mail
// goes to the system's own mailer as `sendmail -t -i`, which sends it from
// the machine's default mail account. The sender fields of the tab are not
// used on this route; the mailer supplies the sender.

#include "reporting/MailMime.h"

// Sent when the mailer took the mail and ended with status 0; Unreachable
// when it reports a temporary failure (no connection to its server).
TMailResult OutlookExpressSendMail(const TMailContent& mail);
