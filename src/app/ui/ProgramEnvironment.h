#pragma once
// What the program leaves in and takes from its environment at start.

#include <QString>

// Exports PELLAGO_HOME as the chosen program folder, so the programs it
// starts (ReExe's restart, the watchdog's revival, replace.exe's start of the
// new file) come back in the same folder without --home.
void ExportProgramHome(const QString& folder);

// Qt's own texts (the standard buttons はい/いいえ/キャンセル, the context
// menus of the text boxes) in Japanese, whatever the desktop's language.
void LoadQtJapanese();

// Test-only: PELLAGO_TEST_CLOCK_OFFSET (signed seconds) moves the program's
// clock, so the idle benchmark and the end-to-end tests can place a run on a
// weekend or a weekday whatever the real date is. Unset or not a number:
// the system clock as it is.
void ApplyTestClockOffset();

// Test-only, so that tests see retries, restarts and whole cycles within
// seconds (each unset or not a positive number: the real value):
// PELLAGO_TEST_RETRY_STEP_MS replaces the 3 minutes that each consecutive
// failure adds to the retry delay; PELLAGO_TEST_TICK_MS the period of the
// auto-trade timer (3 or 10 minutes); PELLAGO_TEST_SETTLE_MS the 0.7 s a
// page wait settles, PELLAGO_TEST_POLL_MS the 0.3 s between its readings of
// the browser; PELLAGO_TEST_PAGE_DEADLINE_S the 30 s a page gets.
void ApplyTestTimings();
