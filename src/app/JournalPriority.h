#pragma once
// The severity of an activity line as the system journal reads it: a headless
// program's standard output under systemd is the journal, and a "<N>" prefix
// (sd-daemon) lets `journalctl -p err` find the failures.

#include <string>

enum class LinePriority { Error = 3, Warning = 4, Info = 6 };

// Errors: what the trade log counts as one ("error" in any case) and the
// [重要] lines that report a failure. Warnings: retries, re-runs, restarts.
LinePriority PriorityOf(const std::string& line);

// "<3>line", "<4>line" or "<6>line".
std::string JournalLine(const std::string& line);
