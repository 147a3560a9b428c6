#pragma once
// Texts the broker adapters write and read alike: the side words of the
// log, a position as the log lines name it, pair codes, and the figures
// read off a page.

#include "documents/TradingTypes.h"

#include <string>

// "Buy" / "Sell".
std::string BuySell(bool buy);
// "ticket, pair, rate, Buy, units Lot", as the position lines of the log read.
std::string TicketLine(const TTicket& ticket);
// "EURUSD" -> "EUR/USD".
std::string WithSlash(const std::string& pair);
// A figure such as "1,234,567" or "-12,345"; raises BrowserError on
// anything that is not a whole number.
long long WholeNumber(const std::string& text);
