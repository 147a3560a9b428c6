// The final check of an adjustment: every single position is read again,
// recorded under HoldPosition, compared per pair with the signal's lots, and
// positions in pairs the signal does not cover are closed.

#include "broker/Reconciliation.h"
#include "broker/TradeApiBase.h"

#include "base/AkUnit.h"
#include "documents/DocumentNodes.h"
#include "documents/DocumentValues.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

const char* TrendText(bool buy) { return buy ? "Buy" : "Sell"; }

void ResetHolding(pugi::xml_node holding) {
    while (holding.first_child()) holding.remove_child(holding.first_child());
    SetAttributeValue(holding, "LatestDateTime", FormatTimeStamp(Now()));
}

bool IsInScope(const TTicket& ticket, pugi::xml_node signalPairs) {
    return static_cast<bool>(FindChildElementNoCase(signalPairs, ticket.Pair));
}

const TUnitSize* FindLots(const TUnitSizeArray& lots, const std::string& pair) {
    auto it = std::find_if(lots.begin(), lots.end(),
                           [&](const TUnitSize& u) { return EqualsNoCase(u.Pair, pair); });
    return it == lots.end() ? nullptr : &*it;
}

struct PairTotal {
    long long net = 0;
    double weighted = 0;
};

// Writes the pair's positions under Currency/<pair> and sums them.
PairTotal RecordPairPositions(std::vector<TTicket>& tickets, const std::vector<bool>& inScope,
                              const std::string& pair, pugi::xml_node currencyPair) {
    PairTotal total;
    for (std::size_t i = 0; i < tickets.size(); ++i) {
        TTicket& ticket = tickets[i];
        if (!inScope[i] || !EqualsNoCase(ticket.Pair, pair)) continue;
        ticket.Units = ReplaceAll(ticket.Units, "-", "");
        pugi::xml_node position = currencyPair.append_child("Position");
        SetNodeText(position.append_child("OpenRate"), ticket.OpenRate);
        SetNodeText(position.append_child("Trend"), TrendText(ticket.IsBuy));
        SetNodeText(position.append_child("Units"), ticket.Units);
        long long lots = ParseInt32(ticket.Units, "Units");
        if (!ticket.IsBuy) lots = -lots;
        total.net += lots;
        total.weighted += ParseDecimal(ticket.OpenRate, "OpenRate") * static_cast<double>(lots);
    }
    return total;
}

void WriteSummary(pugi::xml_node summaryPair, const PairTotal& total) {
    if (total.net == 0) return;
    const double rate = std::fabs(total.weighted / static_cast<double>(total.net));
    SetNodeText(summaryPair.append_child("OpenRate"), FormatDecimal(rate).substr(0, 6));
    SetNodeText(summaryPair.append_child("Trend"), TrendText(total.net >= 0));
    SetNodeText(summaryPair.append_child("Units"), std::to_string(total.net));
}

// Net lots of every in-scope position of a pair, whatever the pair.
long long NetLots(const std::vector<TTicket>& tickets, const std::vector<bool>& inScope,
                  const std::string& pair) {
    long long net = 0;
    for (std::size_t i = 0; i < tickets.size(); ++i) {
        if (!inScope[i] || !EqualsNoCase(tickets[i].Pair, pair)) continue;
        const long long lots = std::llabs(ParseInt32(tickets[i].Units, "Units"));
        net += tickets[i].IsBuy ? lots : -lots;
    }
    return net;
}

bool IsReportingPair(const std::string& pair) {
    return std::any_of(kReportingPairs.begin(), kReportingPairs.end(),
                       [&](const char* p) { return EqualsNoCase(pair, p); });
}

} // namespace

bool TTradeApiBase::EnumTicketEx(pugi::xml_node holding, pugi::xml_node signalPairs,
                                 const TUnitSizeArray& signalLots) {
    try {
        Log("[EnumTicketEx] SignalLotsの個数(通貨ペアの数) = " + std::to_string(signalLots.size()));
        ResetHolding(holding);
        TTicketArray tickets;
        if (!EnumTicket(tickets)) {
            SetNodeText(holding, "miss:EnumTicket");
            return false;
        }
        try {
            return CheckTickets(holding, signalPairs, signalLots, tickets);
        } catch (...) {
            ResetHolding(holding);
            std::ostringstream xml;
            holding.print(xml);
            ShowUserMessage(xml.str());
            SetNodeText(holding, "miss:EnumTicketOverride");
            return false;
        }
    } catch (...) {
        return false;
    }
}

bool TTradeApiBase::CheckTickets(pugi::xml_node holding, pugi::xml_node signalPairs,
                                 const TUnitSizeArray& signalLots, TTicketArray& tickets) {
    bool allMatch = true;
    std::vector<bool> inScope;
    for (const TTicket& ticket : tickets) inScope.push_back(IsInScope(ticket, signalPairs));

    pugi::xml_node summary = holding.append_child("Summary");
    pugi::xml_node currency = holding.append_child("Currency");
    currency.append_child("Other");

    auto compare = [&](const std::string& pair, long long net) {
        const TUnitSize* target = FindLots(signalLots, pair);
        if (!target) return;
        Log("[EnumTicketEx] " + pair + " SignalLots = " + std::to_string(target->Lots) +
            ", ServerLots = " + std::to_string(net));
        if (target->Lots == net) {
            Log("[EnumTicketEx] " + pair + " のLot数は一致しています");
        } else {
            Log("[EnumTicketEx] " + pair + " のLot数にはズレがあります");
            allMatch = false;
        }
    };

    for (const char* pair : kReportingPairs) {
        pugi::xml_node summaryPair = summary.append_child(pair);
        pugi::xml_node currencyPair = currency.append_child(pair);
        const PairTotal total = RecordPairPositions(tickets, inScope, pair, currencyPair);
        compare(pair, total.net);
        WriteSummary(summaryPair, total);
    }
    // Signal pairs outside the reported six are still compared, so an order
    // of unknown outcome there cannot pass as a match.
    for (const TUnitSize& target : signalLots)
        if (!IsReportingPair(target.Pair)) compare(target.Pair, NetLots(tickets, inScope, target.Pair));

    for (std::size_t i = 0; i < tickets.size(); ++i) {
        if (inScope[i]) continue;
        if (!CloseOutOfScope(tickets[i])) allMatch = false;
    }
    return allMatch;
}

bool TTradeApiBase::CloseOutOfScope(const TTicket& ticket) {
    Log("[EnumTicketEx] 対象外の通貨 " + ticket.Pair + " のポジション(Ticket=" + ticket.Ticket +
        ")を確認。手仕舞います");
    if (ClosePosition(ticket, -1)) {
        Log("手仕舞いに成功しました");
        return true;
    }
    Log("[EnumTicketEx] Error. シグナル対象外の通貨 " + ticket.Pair + " のポジション(Ticket=" +
        ticket.Ticket + ")の存在を確認し手仕舞いを実行しましたが、成否が不明です。次回、再確認します");
    return false;
}
