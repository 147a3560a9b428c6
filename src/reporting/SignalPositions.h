#pragma once
// The signal-position arithmetic that the report's list and the status page
// share: what the newest signal asks of one account for one pair, and what
// the last position check found there. Reading never changes the documents.

#include <pugixml.hpp>

#include <string>

// A real number rounded to `decimals` places (halves to even), shortest form: 0.333, 1, 2.5.
std::string FormatFactor(double value, int decimals);

struct TSignalTarget {
    double Sum = 0;        // Σ strength × leverage; its sign is the direction
    double BaseAmount = 0; // balance plus virtual funds
    double Units = 0;      // |Sum × BaseAmount|, in hundreds for a yen account
    long long Lots = 0;    // MinLotSize × RoundHalfAway(Units / AccountBaseUnitSize / MinLotSize)
    bool Readable = true;  // false when a count, the balance or a lot size it needs does not read
};

// The leverage `account` applies to the portfolio item: the model case times
// AutoModelRatio when the account follows it, else its leverage element.
// Missing or unreadable values count as 0.
double AccountLeverage(pugi::xml_node item, pugi::xml_node account, bool demoMode);

// `signalPair` is a pair element of the signal's HoldPositionSummary;
// `portfolio` the account document's Portfolio. Missing or unreadable
// values count as 0.
TSignalTarget SignalTargetOf(pugi::xml_node account, pugi::xml_node portfolio, pugi::xml_node signalPair,
                             bool demoMode);

struct THeldPosition {
    enum class State { CheckFailed, None, Held };
    State state = State::None;
    std::string trend;
    std::string units; // without sign
    std::string openRate;
};

// The account's Status/HoldPosition/Summary entry for the pair.
THeldPosition HeldPositionOf(pugi::xml_node account, const std::string& pair);
