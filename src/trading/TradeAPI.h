#pragma once
// One trade run over all accounts of the account document: log on to each
// enabled account's broker (four attempts), rotate a password the broker
// forced to change, record the account's figures, bring its positions to the
// signal, and judge the run by the accounts and by its own log.

#include "broker/AdapterFactory.h"
#include "broker/TradeApiBase.h"

#include <pugixml.hpp>

#include <string>
#include <vector>

enum class TUpdateMode { Trade, LogOnTest };

// What the sessions of a run are given besides the account's own values.
struct TSessionEnvironment {
    const TAdapterFactory* Adapters = nullptr;
    BrowserFactory* Browsers = nullptr;
    BrowserHost* Host = nullptr;
    // The dialog watchdog's switch, handed to every session as its reload callback.
    ReloadingSwitch Watchdog;
    TSessionProxy Proxy;
};

class TTradeAPI {
public:
    // activityLog is the activity log (AddLog), detailLog the detail log.
    TTradeAPI(const bool& cancelFlag, bool realMode, SessionLog activityLog, SessionLog detailLog);

    // The run over every account. `signal` is not read in log-on test mode
    // (it may be null there). Saves the account document to `accountPath`
    // when a password was rotated. A document value that does not convert
    // raises DocumentValueError: the run is then broken, the current session
    // is logged off, and the caller saves nothing.
    bool UpdateAccount(pugi::xml_document* signal, pugi::xml_document& accounts,
                       const std::string& accountPath, TUpdateMode mode,
                       const TSessionEnvironment& environment);

    // Brings one logged-on account to the signal, checks every position and
    // saves the document. True when the check found the account matching and
    // the save succeeded.
    bool AdjustAccount(TTradeApiBase& api, pugi::xml_document& accounts,
                       const std::string& accountPath, pugi::xml_node account,
                       pugi::xml_node signalSummary);
    // Up to ten tries; true when saved.
    bool SaveAccountDocument(const pugi::xml_document& accounts, const std::string& accountPath,
                             const std::string& accountName);

    // Appends to the run's log and passes on to the activity log.
    void AddTradeLog(const std::string& text);
    // The detail log only.
    void AddTradeDetailLog(const std::string& text);
    // The run's log only (lines meant for the report mail).
    void AppendTradeLogOnly(const std::string& text);
    const std::vector<std::string>& TradeLog() const { return Lines; }

private:
    enum class AttemptResult { Done, Retry, Cancelled };
    // Cancelled ends the whole run.
    enum class AccountResult { Ok, Failed, Cancelled };
    AccountResult UpdateOneAccount(pugi::xml_node account, pugi::xml_document& accounts,
                                   const std::string& accountPath, pugi::xml_node signalSummary,
                                   TUpdateMode mode, const TSessionEnvironment& environment);
    TSessionSettings SessionSettingsFor(pugi::xml_node account, const TSessionEnvironment& environment);
    AttemptResult Attempt(int attempt, const TSessionSettings& settings, pugi::xml_node account,
                          pugi::xml_document& accounts, const std::string& accountPath,
                          pugi::xml_node signalSummary, TUpdateMode mode,
                          const TSessionEnvironment& environment);
    void RotatePassword(pugi::xml_node account, const pugi::xml_document& accounts,
                        const std::string& accountPath, const std::string& name);
    void AdjustPair(TTradeApiBase& api, pugi::xml_node account, const TUnitSize& target,
                    const TUnitSizeArray& server, pugi::xml_node holding, pugi::xml_node moved);
    void OpenInChunks(TTradeApiBase& api, pugi::xml_node account, const std::string& pair, bool buy,
                      int amount, pugi::xml_node holding, pugi::xml_node moved);
    void FixByAdapter(TTradeApiBase& api, pugi::xml_node account, const TUnitSize& target, bool buy,
                      int amount, pugi::xml_node holding, pugi::xml_node moved);
    void LogCancel() { AddTradeLog("[Cancel] 処理を中断します..."); }
    bool Cancelled() const { return CancelFlag; }

    const bool& CancelFlag;
    bool RealMode;
    SessionLog ActivityLog;
    SessionLog DetailLog;
    std::vector<std::string> Lines;
    int ErrorCount = 0;
};

// Lines of the run's log (an entry holding line breaks counts as several)
// that contain "error" in any letter case.
int CountErrorLines(const std::vector<std::string>& tradeLog);
