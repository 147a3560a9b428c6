#pragma once
// Records shared by the sizing, the adjustment and the broker sessions.

#include <cstdint>
#include <string>
#include <vector>

// Net position of one currency pair in lots: positive long, negative short.
struct TUnitSize {
    std::int32_t Lots = 0;
    std::string Pair;
};
using TUnitSizeArray = std::vector<TUnitSize>;

// One open position as the broker's site lists it (texts as shown, trimmed).
struct TTicket {
    std::string Ticket;
    std::string Units;
    std::string Pair;
    std::string OpenRate;
    bool IsBuy = false;
};
using TTicketArray = std::vector<TTicket>;
