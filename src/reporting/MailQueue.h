#pragma once
// The persistent mail queue: one file per mail in MailTemp/ (the body's
// lines, then the subject as the last line; CP932, CR LF), named by the
// time it was written. MailLog/ keeps a copy of every report mail.

#include "reporting/MailMime.h"

#include <functional>
#include <set>
#include <string>

std::string MailTempFolder(); // <program>/MailTemp/
std::string MailLogFolder();  // <program>/MailLog/

// StampedLogName(now) + ".log", waiting a moment when that name is taken in
// `folder`, so two mails of one millisecond never share a file.
std::string NewMailFileName(const std::string& folder);
bool SaveMailFile(const std::string& path, const std::string& subject, const std::string& body);
bool LoadMailFile(const std::string& path, std::string& subject, std::string& body);

using MailDeliverer = std::function<TMailResult(const std::string& subject, const std::string& body)>;

struct TMailQueueOptions {
    bool ReportsOn = false; // "メール報告機能を使用する"
    bool LocalSave = false; // "実際には送信せずローカルに保存"
    int IntervalMs = 60000; // until the next pass, for the retry line
};

// The queue's sender (SendMailTimerTimer without its timer). A mail that
// went out but could not be deleted is noted (also in MailTempSent.txt, for
// a restart), so later passes only retry the deletion and never send it twice.
class TMailQueue {
public:
    // One pass over the queue in name order. Does nothing while `busy` (a
    // mail is being written), while reports are off, or inside another pass.
    // Stops at the first mail whose server could not be reached.
    void ProcessQueue(const TMailQueueOptions& options, const bool& busy, const MailDeliverer& deliver);

private:
    enum class Outcome { Done, Kept, StopPass };
    Outcome SendOne(const std::string& name, const TMailQueueOptions& options, const MailDeliverer& deliver);
    void DeleteSent(const std::string& name);
    void LoadSentNotes();
    void SaveSentNotes() const;

    std::set<std::string> sentNotDeleted_;
    bool running_ = false;
};
