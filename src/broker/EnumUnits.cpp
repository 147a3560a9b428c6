// Net lots per pair from the single positions: the sum of the signed sizes
// the adapter listed (sell positions carry a leading "-").

#include "broker/TradeApiBase.h"

#include "base/AkUnit.h"
#include "documents/DocumentValues.h"

#include <algorithm>

bool TTradeApiBase::EnumUnits(TUnitSizeArray& units) {
    units.clear();
    try {
        TTicketArray tickets;
        if (!EnumTicket(tickets)) return false;
        for (const TTicket& ticket : tickets) {
            const std::int32_t lots = ParseInt32(ticket.Units, "Units");
            auto entry = std::find_if(units.begin(), units.end(),
                                      [&](const TUnitSize& u) { return EqualsNoCase(u.Pair, ticket.Pair); });
            if (entry == units.end()) entry = units.insert(units.end(), TUnitSize{0, ticket.Pair});
            entry->Lots += lots;
        }
        return true;
    } catch (...) {
        units.clear();
        return false;
    }
}
