#pragma once
// What the program leaves in and takes from its environment at start.

#include <QString>

// Exports PELLAGO_HOME as the chosen program folder, so the programs it
// starts (ReExe's restart, the watchdog's revival, replace.exe's start of the
// new file) come back in the same folder without --home.
void ExportProgramHome(const QString& folder);

// Test-only: PELLAGO_TEST_CLOCK_OFFSET (signed seconds) moves the program's
// clock, so the idle benchmark and the end-to-end tests can place a run on a
// weekend or a weekday whatever the real date is. Unset or not a number:
// the system clock as it is.
void ApplyTestClockOffset();

// Test-only: PELLAGO_TEST_RETRY_STEP_MS replaces the 3 minutes that each
// consecutive failure adds to the retry delay, so a test sees the restart
// through ReExe within seconds. Unset or not a positive number: 3 minutes.
void ApplyTestRetryStep();
