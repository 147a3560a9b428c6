#pragma once
// The report mail of a trade run: sections built from the run's log, the
// account document and the newest signal, the run record AutoTradeLog.Log,
// the copy in MailLog/ and the queue file in MailTemp/.

#include <string>
#include <vector>

// Which sections the mail carries (the check boxes of the tab "メール").
struct TReportOptions {
    bool ErrorTotal = true;      // CheckBox3
    bool AccountStatus = true;   // CheckBox4
    bool ImportantLog = true;    // CheckBox5
    bool SignalList = true;      // CheckBox14
    bool SignalPositions = true; // CheckBox15
    bool AllPositions = true;    // CheckBox16
    bool WholeLog = false;       // CheckBox6
};

struct TReportSources {
    std::string AccountPath; // Setting/Account.xml
    std::string SignalPath;  // the newest signal file; "" when none
    bool DemoMode = false;
};

// Every section, complete with its CR LF ends; lines is the run's log split
// into physical lines, with "■ERROR■" in front of each error line.
struct TReportSections {
    std::string ErrorTotal;
    std::string AccountStatus;
    std::string ImportantLog;
    std::string SignalList;
    std::string SignalPositions;
    std::string AllPositions;
    std::vector<std::string> Lines;
};

// The three lists are built only when their option is on (empty otherwise).
TReportSections BuildReportSections(const std::vector<std::string>& tradeLog, const TReportOptions& options,
                                    const TReportSources& sources);
// The mail file's text: the chosen sections in their order, then the subject.
std::string ReportMailText(const TReportSections& sections, const TReportOptions& options, const std::string& subject);

// Composes the report and writes AutoTradeLog.Log, MailLog/ and MailTemp/
// (`queueBusy`, the program's MailQueueBusy, is set meanwhile). Returns the
// queue file written, "" when it could not be written. The caller then
// processes the queue.
std::string ComposeReportMail(const std::vector<std::string>& tradeLog, const TReportOptions& options,
                              const TReportSources& sources, bool& queueBusy);
