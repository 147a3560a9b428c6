#pragma once
// What `pellago --status` tells: the program folder's state read from its
// files alone, so it answers while the program runs and never disturbs it.

#include "base/Clock.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct StatusPosition {
    std::string pair;
    std::optional<long long> targetLots; // signed: minus sells; none when sizing cannot read a value
    std::string heldState;               // "held", "none" or "checkFailed"
    long long heldLots = 0;              // signed as the target
};

struct StatusAccount {
    std::string name;
    bool enabled = false;
    std::string balance; // Today/Balance as stored
    std::vector<StatusPosition> positions;
};

struct StatusReport {
    std::string version;
    std::string folder;
    bool termsAccepted = false;

    // The last trade run, from the settings file and the activity log.
    bool latestTrade = true; // false while a re-run is owed
    long long retryCount = 0;
    std::optional<DateTime> lastRunStarted;
    std::optional<DateTime> lastSuccess; // newest "自動売買は正常に終了しました" line
    std::optional<DateTime> nextRun;     // when a retry was announced after the last run
    std::vector<std::string> errorLines; // of the last run
    std::chrono::minutes marketTimeSinceSuccess{0};

    std::string signalFile; // relative to the folder; "" when none
    std::string latestUpdate;
    std::vector<StatusAccount> accounts;

    std::size_t queuedMails = 0;
    std::string lastMailFile; // the name in MailLog/; "" when none
    std::string lastMailSubject;
    std::optional<DateTime> lastMailTime;
};

// Monitoring exit codes of --status.
enum class StatusCode { Ok = 0, RunFailed = 1, Stale = 2, NotSetUp = 3 };

// The program folder's state at Now().
StatusReport ReadStatusReport();
StatusCode StatusCodeOf(const StatusReport& report);
