#pragma once
// Where the received signals are stored: AutoTrade/SignalLog/<year>/MMDD.xml.

#include "base/Clock.h"

#include <string>

// The newest stored signal file (a name beginning with MMDD in a year folder;
// other names are ignored), looking back through earlier years while a newer one holds none;
// "" when there is none. Files of a year dated more than 3 days after `now`
// are deleted first (they sort after today's signal but are not today's).
// Any error gives "".
std::string LatestSignalFile(const DateTime& now);
std::string LatestSignalFile(); // at Now(), under the program folder
// The file LatestSignalFile would give now, found without deleting anything
// (the status pages only read).
std::string NewestSignalFile();

// "<program>/AutoTrade/SignalLog/".
std::string SignalLogFolder();
