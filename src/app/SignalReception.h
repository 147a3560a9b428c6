#pragma once
// Signal reception: the service's signal mailbox over POP3 (the default),
// the web host (reference document followed) and, in demo mode, the demo
// document. New documents are stored in the signal folder of the year.

#include "app/ServiceContext.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

struct SignalFetch {
    bool ok = false;     // the source answered
    bool isNew = false;  // at least one signal file was newly stored
};

// What a signal check found.
enum class SignalCheck {
    NewSignal,   // at least one new signal file was stored
    NothingNew,  // the source answered with nothing new
    Failed,      // the source could not be asked (settings missing, network, disk)
};

// One check from the configured source. Guarded by SignalCheckBusy (a check
// that finds one running counts as nothing new); logs its own messages,
// never throws.
SignalCheck CheckSignalNow(const ServiceSettings& settings);
// True exactly when something new was stored.
bool CheckSignal(const ServiceSettings& settings);

// Outside demo mode: the log-in setting the configured route lacks, named as
// the window names it ("ログインID", "パスワード(確認)"), or "" when none is missing.
std::string MissingSignalSetting(const ServiceSettings& settings);

// The web routes: the document at url (or, following the reference, the
// one its URL element names) stored under its FileName.
SignalFetch FetchSignalDocument(const std::string& folder, const std::string& url, bool followReference);

// The mailbox route: newest message first, each body stored (converted to
// Shift-JIS) under its subject and then deleted on the server.
SignalFetch FetchSignalMail(const std::string& host, int port, const std::string& user,
                            const std::string& password, const std::string& folder);

// Log-in and message count only; the text for the user.
std::string TestSignalMailbox(const std::string& host, int port, const std::string& user,
                              const std::string& password);

// Button4 "シグナルサーバー ログインテスト": the text shown (also logged), or
// "" when the two password boxes differ (only the message box then).
std::string SignalLoginTest(const ServiceSettings& settings);

// Button6 "手動でシグナルを受信": with something new, asks whether to trade
// now and runs `forceRun` (Button5) on OK. True when something new arrived.
bool ReceiveSignalByHand(const ServiceSettings& settings, const std::function<void()>& forceRun);

// CheckBox10 "Demoモードで動作" click rule.
struct DemoModeDecision {
    bool uncheck = false;                    // the user declined: uncheck the box again
    bool loginControlsEnabled = true;        // Edit1, Edit2, Edit6, Button4, CheckBox26
    std::optional<std::int64_t> interval;    // new AutoTradeTimer interval, if it changes
};
DemoModeDecision DemoModeRule(bool checked, bool anyLoginText, bool windowVisible,
                              std::int64_t currentInterval);
