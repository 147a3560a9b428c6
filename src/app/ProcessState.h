#pragma once
// Process-wide state that the window and the Qt-free operations share. One
// GUI thread reads and writes these plain variables; the flags prevent the
// re-entry that pumping events during long operations would otherwise allow.

#include "base/ScopedFlag.h"

#include <string>
#include <sys/types.h>
#include <vector>

// The running program's version, compared with the service's version record.
constexpr double ProgramVersion = 1.0271;

extern bool VersionChecked;   // start-up version check done (or skipped after an update)
extern bool AutoMode;         // automatic trading mode is on
extern bool Replacing;        // a new program file was handed to replace.exe
extern bool TermsAccepted;    // the terms marker existed at start
extern bool TradeRunning;     // a trade run holds the settings tabs locked
extern bool SignalCheckBusy;  // a signal check is in progress
extern bool MailQueueBusy;    // a mail file is being written into MailTemp/
extern bool CancelRequested;  // the user asked the running trade run to stop
extern int AutoRetryCount;    // consecutive failed automatic runs
extern pid_t WatchdogProcess; // the running PellagoChecker.exe, 0 when none
extern bool KeepWatchdogAtExit; // the revival test ends the program for the watchdog to revive

// Back to the start values (tests, and the window's start-up step 1).
void ResetProcessState();

// Path of the running executable (the program's own file, which replace.exe
// swaps and the helpers restart). Defaults to /proc/self/exe.
const std::string& ExecutablePath();
void SetExecutablePath(const std::string& path);

// The options a restarted program keeps from this start (--home DIR,
// --headless), so ReExe and the watchdog bring back the same kind of program.
const std::vector<std::string>& RestartOptions();
void SetRestartOptions(std::vector<std::string> options);
// The command that starts this program again: the executable, `arguments`
// ("auto", the retry number), then the restart options.
std::string RestartCommandLine(const std::vector<std::string>& arguments);

// What replace.exe is told to end: on Linux the process id of the program.
std::string MainWindowHandleText();
void SetMainWindowHandleText(const std::string& text);

// <program folder>/<executable name>.ini
std::string SettingsIniPath();
