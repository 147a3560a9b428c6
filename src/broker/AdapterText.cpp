#include "broker/AdapterText.h"

#include "base/AkUnit.h"
#include "broker/Browser.h"

std::string BuySell(bool buy) { return buy ? "Buy" : "Sell"; }

std::string TicketLine(const TTicket& ticket) {
    return ticket.Ticket + ", " + ticket.Pair + ", " + ticket.OpenRate + ", " + BuySell(ticket.IsBuy) + ", " +
           ticket.Units + " Lot";
}

std::string WithSlash(const std::string& pair) {
    const std::string upper = ToUpperAscii(pair);
    return upper.size() > 3 ? upper.substr(0, 3) + "/" + upper.substr(3) : upper;
}

long long WholeNumber(const std::string& text) {
    long long value = 0;
    if (!TryParseInteger(ReplaceAll(text, ",", ""), value)) throw BrowserError("not a whole number: " + text);
    return value;
}
