#pragma once
// The balance history: rebuilt in full from the daily snapshots of the account
// document (AutoTrade/AccountLog/<yyyy>/MMDD.xml) into Balance.csv, and with
// the user's deposits and withdrawals (InOut.csv) into BalanceWithInOut.csv.
// Lines are "yyyy/M/d, amount", CR LF ended, ASCII, no header.

#include <string>
#include <tuple>
#include <vector>

std::string AccountLogFolder();          // <program>/AutoTrade/AccountLog/
std::string BalanceCsvPath();            // .../Balance.csv
std::string InOutCsvPath();              // .../InOut.csv
std::string BalanceWithInOutCsvPath();   // .../BalanceWithInOut.csv

struct TBalanceLine {
    std::string Date;  // "2010/1/5", as written
    long long Amount = 0;
};

// Rebuilds both history files. Any error ends it, logs
// "Error! in ExtractAccountBalance" and leaves files not yet written as they were.
void ExtractAccountBalance();

// "yyyy/M/d" (zeros allowed) as a key that sorts by date; throws
// std::invalid_argument when the text is not a date.
using TBalanceDateKey = std::tuple<long long, long long, long long>;
TBalanceDateKey BalanceDateKey(const std::string& text);

// "0105" in folder "2010" gives "2010/1/5".
std::string SnapshotDate(const std::string& yearFolder, const std::string& fileName);
// Raises every history line by each in/out amount dated on or after it: money
// paid in on a day counts after that day's balance, and entries older than the
// first line change nothing. Several entries of one day all count, in any order.
// Throws std::invalid_argument when a date cannot be read.
void ApplyInOut(std::vector<TBalanceLine>& history, const std::vector<TBalanceLine>& inOut);

std::string BalanceLinesText(const std::vector<TBalanceLine>& lines);
