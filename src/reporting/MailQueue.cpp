#include "reporting/MailQueue.h"

#include "base/AkUnit.h"
#include "base/Clock.h"
#include "base/Log.h"
#include "base/ScopedFlag.h"

#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string SentNotesPath() { return ProgramPath("MailTempSent.txt"); }

bool RemoveFile(const std::string& path)
{
    std::error_code error;
    return fs::remove(path, error) && !error;
}

// A report's queue file has its twin in MailLog/ already; a notice is moved there.
bool KeepLocally(const std::string& name)
{
    const std::string logged = MailLogFolder() + name;
    std::error_code error;
    if (fs::exists(logged, error))
        return RemoveFile(MailTempFolder() + name);
    EnsureDir(MailLogFolder());
    fs::rename(MailTempFolder() + name, logged, error);
    return !error;
}

std::string RetryTime(int intervalMs)
{
    return FormatTimeStamp(ToLocal(NowPoint() + std::chrono::milliseconds(intervalMs)));
}

} // namespace

std::string MailTempFolder() { return ProgramPath("MailTemp/"); }
std::string MailLogFolder() { return ProgramPath("MailLog/"); }

std::string NewMailFileName(const std::string& folder)
{
    std::string name;
    for (int attempt = 0; attempt < 50; ++attempt) {
        name = StampedLogName(Now()) + ".log";
        if (!fs::exists(folder + name))
            break;
        PumpFor(2);
    }
    return name;
}

bool SaveMailFile(const std::string& path, const std::string& subject, const std::string& body)
{
    std::string text = body;
    if (!text.empty() && text.back() != '\n' && text.back() != '\r')
        text += "\r\n";
    return SaveTextFile(path, text + subject);
}

bool LoadMailFile(const std::string& path, std::string& subject, std::string& body)
{
    std::string text;
    if (!LoadTextFile(path, text))
        return false;
    std::vector<std::string> lines = SplitLines(text);
    subject = lines.empty() ? "" : lines.back();
    if (!lines.empty())
        lines.pop_back();
    body.clear();
    for (const std::string& line : lines)
        body += line + "\r\n";
    return true;
}

void TMailQueue::ProcessQueue(const TMailQueueOptions& options, const bool& busy, const MailDeliverer& deliver)
{
    // Delivery pumps events; a notice queued meanwhile waits for the next pass.
    if (busy || !options.ReportsOn || running_)
        return;
    // Cleared on every way out: a pass left marked running would stop the mail for good.
    ScopedFlag running(running_);
    LoadSentNotes();
    for (const std::string& name : ListFolder(MailTempFolder(), ".log", ListMode::Files)) {
        if (SendOne(name, options, deliver) == Outcome::StopPass)
            break;
    }
}

TMailQueue::Outcome TMailQueue::SendOne(const std::string& name, const TMailQueueOptions& options,
                                        const MailDeliverer& deliver)
{
    if (sentNotDeleted_.count(name)) {
        DeleteSent(name);
        return Outcome::Done;
    }
    if (options.LocalSave)
        return KeepLocally(name) ? Outcome::Done : Outcome::Kept;
    std::string subject;
    std::string body;
    if (!LoadMailFile(MailTempFolder() + name, subject, body))
        return Outcome::Kept;
    AddLog("送信されていないメール");
    AddLog(subject + "(" + name + ") を送信します");
    const TMailResult result = deliver(subject, body);
    if (result == TMailResult::Sent) {
        AddLog("メール送信成功.");
        DeleteSent(name);
        return Outcome::Done;
    }
    AddLog("メール送信失敗.時間を置いて再送信します(次回実行:" + RetryTime(options.IntervalMs) + ")");
    // With the server out of reach every further mail would wait out its own time-out.
    return result == TMailResult::Unreachable ? Outcome::StopPass : Outcome::Kept;
}

void TMailQueue::DeleteSent(const std::string& name)
{
    const bool wasNoted = sentNotDeleted_.count(name) != 0;
    if (RemoveFile(MailTempFolder() + name)) {
        AddLog("送信済みメール " + name + " を削除しました");
        sentNotDeleted_.erase(name);
    } else {
        AddDetailLog("送信済みメール " + name + " を削除できません。次回、削除のみ再試行します");
        sentNotDeleted_.insert(name);
    }
    if (wasNoted != (sentNotDeleted_.count(name) != 0))
        SaveSentNotes();
}

void TMailQueue::LoadSentNotes()
{
    std::erase_if(sentNotDeleted_, [](const std::string& name) { return !fs::exists(MailTempFolder() + name); });
    std::string bytes;
    if (!ReadFileBytes(SentNotesPath(), bytes))
        return;
    for (const std::string& name : SplitLines(bytes))
        if (!name.empty() && fs::exists(MailTempFolder() + name))
            sentNotDeleted_.insert(name);
}

void TMailQueue::SaveSentNotes() const
{
    std::string bytes;
    for (const std::string& name : sentNotDeleted_)
        bytes += name + "\n";
    if (bytes.empty())
        RemoveFile(SentNotesPath());
    else
        SaveFileAtomically(SentNotesPath(), bytes);
}
