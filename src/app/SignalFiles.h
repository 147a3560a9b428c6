#pragma once
// The signal folder and the storing of received signal documents. Names
// come from outside (a FileName element, a mail subject), so only a plain
// file name is ever accepted: nothing can be written outside the folder.

#include "base/Clock.h"

#include <string>

// <program>/AutoTrade/SignalLog/<yyyy>/ for the given moment.
std::string SignalFolderFor(const DateTime& now);

// A bare file name: not empty, no path separator, no "..", no control
// character and none of < > : " | ? *.
bool IsSafeFileName(const std::string& name);

// Every line ended by CR LF, whatever ended it before.
std::string WithCrLfLineEnds(const std::string& bytes);

enum class StoreResult { Stored, RefusedName, WriteFailed };
// Stores the bytes as received (lines re-ended with CR LF) under folder +
// name, replacing the file atomically. A refused name or a failed write is
// logged; nothing is written then.
StoreResult StoreSignalFile(const std::string& folder, const std::string& name, const std::string& bytes);
