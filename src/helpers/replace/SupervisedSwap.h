#pragma once
// Self-update under systemd. systemd kills whatever is left of the unit
// once the program exits, so replace.exe cannot outlive it there: the
// program swaps the new file in itself (--swap) and exits for systemd to
// start it again, and every start of the unit first settles the swap
// (--settle, the unit's ExecStartPre): the first start after a swap may
// run, a second start means the new program never came up, and the backup
// is put back. Both return replace.exe's exit code.

#include "helpers/common/HelperLog.h"

#include <string>

// Keeps "<executable>.bak", puts newFile in place and marks the swap.
int SwapForSupervisor(const std::string& newFile, const std::string& executable, const HelperLog& log);

// Lets the first start after a swap run; rolls back before the next one.
int SettleSwap(const std::string& executable, const HelperLog& log);
