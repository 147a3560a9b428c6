#pragma once
// Answers the dialogs that pages raise, so that no prompt can stall an
// unattended run. While a session reloads a server-error page the watchdog
// is switched on: every dialog is then logged, answered with its first
// button and counted for the trade run; when dialogs keep coming back, the
// program ends so that the unattended restart starts it afresh. While it is
// off, dialogs are answered the same way and only noted in the detail log.

#include "broker/Browser.h"

#include <functional>
#include <string>

class DialogWatchdog {
public:
    struct Actions {
        std::function<void(const std::string&)> log;
        std::function<void(const std::string&)> detailLog;
        // Ends the program at once (exit code 0, no clean-up).
        std::function<void()> endProgram;
    };

    static constexpr int kAttemptLimit = 10;

    explicit DialogWatchdog(Actions actions);

    // The switch handed to sessions as their reload callback.
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }
    // A trade run starts counting afresh.
    void ResetAttempts() { attempts_ = 0; }
    int Attempts() const { return attempts_; }

    // The dialog handler of every browser of the program.
    BrowserDialogAnswer Answer(const BrowserDialog& dialog);

private:
    void LogDialog(const BrowserDialog& dialog, long long handle);

    Actions actions_;
    bool enabled_ = false;
    int attempts_ = 0;
    long long dialogsSeen_ = 0;
};

// The program's one watchdog: logs to the activity and detail logs and ends
// the process with exit code 0.
DialogWatchdog& ProgramDialogWatchdog();
