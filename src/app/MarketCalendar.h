#pragma once
// When the foreign-exchange market trades, and which signal belongs to the
// current trading day. Both read the injected clock.

#include "base/Clock.h"

#include <chrono>
#include <string>

// UTC Sunday 22:00 up to Friday 20:00 (Monday 07:00 to Saturday 05:00 in
// Japan, when the brokers are not in maintenance).
bool IsMarketOpen();
bool IsMarketOpenAt(const DateTime& utc);

// How long the market was open between two moments, counted up to a little
// past `enough` (a folder left alone for months is not walked through).
std::chrono::minutes MarketTimeBetween(std::chrono::system_clock::time_point from,
                                       std::chrono::system_clock::time_point to, std::chrono::minutes enough);

// The signal file's name without extension ("0105") equals the padded month
// and day of local now minus 6 h 55 min: the trading day turns at 06:55.
// An empty path never matches.
bool IsTodaysSignal(const std::string& latestSignalFile);
