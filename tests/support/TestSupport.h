#pragma once
// Shared helpers for tests: scratch folders, locating built programs and
// source fixtures, and waiting on the Qt event loop with a bound.

#include "base/Clock.h"
#include "support/ScratchFiles.h"

#include <QString>
#include <functional>
#include <string>

namespace testsupport {

// Folder of the built executables (pellago, pellago-sim, helpers), with '/'.
std::string BinDir();
// The repository's root folder, with '/'.
std::string SourceDir();

// A loopback TCP port nobody listens on at the moment of asking.
int FreeLoopbackPort();

// Processes Qt events until `done` returns true or `timeoutMs` passes.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs);

// Whole days (as seconds, 0 or negative) to move the program's clock back
// until the FX market is open, so a run trades on any real date.
long long MarketOpenOffset();
// The local time of a program whose clock is moved by `offsetSeconds`.
DateTime ProgramNow(long long offsetSeconds);

} // namespace testsupport
