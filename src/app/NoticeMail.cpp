#include "app/NoticeMail.h"

#include "app/ProcessState.h"
#include "base/AkUnit.h"
#include "reporting/MailQueue.h"

namespace {

MailSenderPass& SenderPass()
{
    static MailSenderPass pass;
    return pass;
}

} // namespace

void SetMailSenderPass(MailSenderPass pass) { SenderPass() = std::move(pass); }

std::string QueueNoticeMail(const std::string& subject, const std::string& body)
{
    std::string written;
    try {
        ScopedFlag guard(MailQueueBusy);
        EnsureDir(MailTempFolder());
        const std::string path = MailTempFolder() + NewMailFileName(MailTempFolder());
        if (SaveMailFile(path, subject, body))
            written = path;
    } catch (...) {
    }
    try {
        if (SenderPass())
            SenderPass()();
    } catch (...) {
    }
    return written;
}
