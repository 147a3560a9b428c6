#pragma once
// The totals over all accounts in AccountSummary, in yen.

#include "base/Clock.h"

#include <pugixml.hpp>

#include <string>

// Moves Today to Yesterday, sums Balance, BalancePL and PL of every account
// (dollar accounts x 100), writes the rounded sums and LatestUpdate.
// Throws DocumentValueError when an account's Today value is not a number;
// the totals are then left as they were.
void UpdateAccountSummary(pugi::xml_document& doc, const DateTime& now);

// "yyyy/MM/dd H:mm".
std::string FormatLatestUpdate(const DateTime& time);
