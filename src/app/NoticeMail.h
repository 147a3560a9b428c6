#pragma once
// The queue of notice mails: one file per mail in MailTemp/, the body lines
// followed by the subject as the last line, CP932 with CR LF. The mail
// sender reads them back, sends them and deletes the sent ones.

#include <functional>
#include <string>

// Writes the queue file (guarded by MailQueueBusy), then runs one pass of
// the mail sender at once. Errors are ignored. Returns the file written, or
// "" when nothing could be written.
std::string QueueNoticeMail(const std::string& subject, const std::string& body);

// The window wires the mail sender's one pass (the SendMailTimer handler).
using MailSenderPass = std::function<void()>;
void SetMailSenderPass(MailSenderPass pass);
