#pragma once
// Self-update: the program's version against the service's version record,
// the download of the new program file and its hand-over to replace.exe,
// the replacement time-out, and the report of the outcome by the next start.

#include "app/ProcessState.h"
#include "app/ServiceContext.h"

#include <string>

// Callers: the start-up check and CheckSignal (automatic), Button11
// (manual). True when the hand-over to replace.exe has started.
bool CheckForUpdate(const ServiceSettings& settings, bool automatic, bool manual);

// Downloads the program file from url into Bin/Pellago.bin, keeps it only
// when the trusted key signed it as version `versionText`, and hands it to
// replace.exe (watchdog stopped, window out of the tray, Replacing set,
// ReplaceWaitTimer armed); under systemd swaps it in and exits for systemd
// to start it. On failure logs the failure line and `stopLine`.
bool DownloadAndHandOver(const std::string& url, const std::string& versionText, const std::string& mode,
                         const std::string& stopLine);

// "AutoUpdate"/CheckVersion = 1 and BeforeVersion = ProgramVersion, at once.
void MarkUpdatePending();

// Starts replace.exe with the window handle (our process id), the new file,
// the executable, the mode and this start's options (--home, --headless);
// logs when the new file is missing.
void StartReplace(const std::string& replaceProgram, const std::string& handle, const std::string& newFile,
                  const std::string& executable, const std::string& mode);

// The time ReplaceWaitTimer gives replace.exe (60000 ms; tests shorten it).
int ReplaceWaitInterval();
void SetReplaceWaitInterval(int milliseconds);
// ReplaceWaitTimer fired: the program is still alive, so the replacement
// failed; the cycle resumes, and in automatic mode the watchdog runs again.
void OnReplaceWaitTimeout();

// FastUpdateTimer's first tick.
void StartupVersionCheck(const ServiceSettings& settings);
// The start-up check again, for a start that had no account template yet
// (fetched first when missing). True when VersionChecked is set now.
bool CompleteStartupVersionCheck(const ServiceSettings& settings);

// Tells a waiting replace.exe that this program has started: Bin/update-started
// holds our process id. A swap under systemd is settled with it.
void ShowProgramIsUp();

// Start-up after a hand-over (CheckVersion = 1): logs a rollback by
// replace.exe (that version is then skipped until a newer one), reports success or failure
// by notice mail (mail reports on) or in the log, writes CheckVersion = 0 and
// sets VersionChecked. False when no update was pending.
bool ReportUpdateOutcome(bool mailReports, double runningVersion = ProgramVersion);

// Button11 "手動でアップデート".
void ManualUpdate(const ServiceSettings& settings);
