#pragma once
// A broken signal is never traded: one without its positions would close
// every position of every account. It is announced once (log line, and a
// notice mail when mail reports are on); while the same file stays the
// newest, later runs pass it over quietly, since reading it again cannot
// mend it. A new or re-sent signal is judged afresh.

#include <string>

// True when the signal at `path` must not be traded (and was refused).
bool RefuseBrokenSignal(const std::string& path, bool mailReports);

// The signal file as the log names it: relative to the program folder, with '/'.
std::string ShownSignalPath(const std::string& path);
