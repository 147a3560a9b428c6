#pragma once
// The trade run around UpdateAccount: load the signal and the account
// document, prepare, run, then save the document with its daily snapshot,
// rebuild the balance history and hand the run's log to the report mail.

#include "base/Clock.h"
#include "trading/TradeAPI.h"

#include <pugixml.hpp>

#include <functional>
#include <string>
#include <vector>

// Where the run's log goes for the report mail (the mail side implements it).
class ReportMailSink {
public:
    virtual ~ReportMailSink() = default;
    virtual void ComposeReportMail(const std::vector<std::string>& tradeLog) = 0;
};

struct TRunUpdateAccountSetup {
    // The program-wide cancel request; cleared when the run starts.
    bool* CancelFlag = nullptr;
    bool RealMode = true;
    TSessionEnvironment Sessions;
    // AddLog and AddDetailLog.
    SessionLog ActivityLog;
    SessionLog DetailLog;
    // Shows (true) or hides (false) the enabled cancel button.
    std::function<void(bool shown)> ShowCancelButton;
    std::function<void()> ResetWatchdogClicks;
    // Null when mail reports are switched off.
    ReportMailSink* ReportMail = nullptr;
};

bool RunUpdateAccount(const std::string& signalPath, const std::string& accountPath,
                      const TRunUpdateAccountSetup& setup);

// After a log-on test on a copy of the document: the balances it read (each
// account's Today and the AccountSummary) go into the stored document, the
// daily snapshot and the balance history, as a trade run's would. Nothing
// else of the copy is kept. False when the document cannot be saved.
bool KeepLogOnTestBalances(pugi::xml_document& tested, const std::string& accountPath, const SessionLog& log);

// "AutoTrade/AccountLog/<yyyy>/<MMdd>.xml" for the day; creates the year folder.
std::string DailySnapshotPath(const DateTime& day);

// Copies each portfolio's slot count from the signal into its MaxPosi.
void UseSystemCountToMaxPosi(pugi::xml_document& signal, pugi::xml_document& accounts,
                             const SessionLog& log);
