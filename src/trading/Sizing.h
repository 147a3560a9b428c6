#pragma once
// Position sizing: the signal's strengths times an account's leverages and
// balance, as target lots per pair. Conversion failures and divisions by zero
// throw DocumentValueError, which ends the trade run as failed.

#include "documents/TradingTypes.h"

#include <pugixml.hpp>

#include <functional>
#include <optional>
#include <string>

using TradeLogFunction = std::function<void(const std::string&)>;

struct TPortfolioLeverage {
    bool Found = false;
    double Leverage = 0;
};

// The leverage that `account` applies to the portfolio (pair, system). A
// missing or empty leverage element is created as "0", hidden.
TPortfolioLeverage FindPortfolioLeverage(pugi::xml_node portfolio, const std::string& pair,
                                         const std::string& system, pugi::xml_node account, bool realMode,
                                         const TradeLogFunction& log);

// The virtual funds sizing adds to the balance: 0 with the mode off. None,
// after a log line naming the account and the field, when the mode is on and
// the stored difference is not a number.
std::optional<double> VirtualFunds(pugi::xml_node account, const TradeLogFunction& log);

// Targets of one account, one entry per pair of the signal, in signal order.
// Returns false when `cancelRequested` was seen before a pair; `targets` then
// holds the pairs done so far and the caller ends the adjustment.
bool ComputeTargets(pugi::xml_node account, pugi::xml_node portfolio, pugi::xml_node holdPositionSummary,
                    double balance, bool realMode, const bool& cancelRequested, const TradeLogFunction& log,
                    TUnitSizeArray& targets);
