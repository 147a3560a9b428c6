#include "app/NoticeMail.h"

#include "app/ProcessState.h"
#include "base/AkUnit.h"
#include "base/Clock.h"

#include <filesystem>

namespace {

MailSenderPass& SenderPass()
{
    static MailSenderPass pass;
    return pass;
}

// Two notices within one millisecond must not share a file.
std::string FreeQueuePath()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::string path = ProgramPath("MailTemp/" + StampedLogName(Now()) + ".log");
        if (!std::filesystem::exists(path))
            return path;
        PumpFor(2);
    }
    return {};
}

} // namespace

void SetMailSenderPass(MailSenderPass pass) { SenderPass() = std::move(pass); }

std::string QueueNoticeMail(const std::string& subject, const std::string& body)
{
    std::string written;
    try {
        ScopedFlag guard(MailQueueBusy);
        EnsureDir(ProgramPath("MailTemp"));
        std::string path = FreeQueuePath();
        std::string text = body;
        if (!text.empty() && text.back() != '\n' && text.back() != '\r')
            text += "\r\n";
        text += subject;
        if (!path.empty() && SaveTextFile(path, text))
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
