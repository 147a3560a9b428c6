#pragma once
// Shared pieces of bringing a broker account in line with the signal: the
// pairs the final check reports on, and the list of pairs known to hold
// positions (so an adapter can skip the pages of the others).

#include <array>
#include <string>
#include <vector>

// The pairs whose positions the final check writes into HoldPosition, in this order.
inline constexpr std::array<const char*, 6> kReportingPairs = {"EURUSD", "GBPUSD", "EURGBP",
                                                               "USDJPY", "GBPJPY", "EURJPY"};

class TCurrencyList {
public:
    // True while every pair must be visited (nothing known yet).
    bool AllPairs = true;

    // "EUR/USD" is kept as "EURUSD"; an entry equal without regard to case is not added twice.
    void Add(const std::string& pair);
    bool Contains(const std::string& pair) const;
    int Count() const { return static_cast<int>(Pairs.size()); }
    const std::vector<std::string>& Items() const { return Pairs; }

private:
    std::vector<std::string> Pairs;
};
