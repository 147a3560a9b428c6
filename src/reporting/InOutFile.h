#pragma once
// InOut.csv as the balance history and the grid read it. A line that does
// not read as "date, amount" is moved to InOut_rejected.csv beside it
// (appended) and logged, so one mistyped line never stops the history again.

#include "reporting/BalanceHistory.h"

#include <string>
#include <vector>

std::string InOutRejectedCsvPath(); // .../InOut_rejected.csv

struct TInOutLines {
    std::vector<TBalanceLine> Entries;
    std::string Text;                  // the readable lines as stored, CR LF ended
    std::vector<std::string> Rejected; // the lines that do not read
    bool FileUnreadable = false;       // the file is there but could not be read
};

// Blank lines are skipped; an amount may carry a leading sign.
TInOutLines SplitInOutLines(const std::string& text);

// The readable part of InOut.csv (empty when it is missing), after moving
// the unreadable lines aside.
TInOutLines LoadInOutLines();
