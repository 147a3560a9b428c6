#include "fakes/InMemoryBroker.h"

#include "base/AkUnit.h"

#include <algorithm>
#include <cstdlib>

namespace {

int SignedLots(const TTicket& t) {
    const int size = std::abs(std::stoi(t.Units));
    return t.IsBuy ? size : -size;
}

void SetSize(TTicket& t, int size) { t.Units = (t.IsBuy ? "" : "-") + std::to_string(size); }

} // namespace

void InMemoryBook::Hold(const std::string& pair, int lots, const std::string& rate) {
    TTicket t;
    t.Ticket = "T" + std::to_string(NextTicket++);
    t.Pair = pair;
    t.OpenRate = rate;
    t.IsBuy = lots > 0;
    SetSize(t, std::abs(lots));
    Positions.push_back(t);
}

int InMemoryBook::NetLots(const std::string& pair) const {
    int net = 0;
    for (const TTicket& t : Positions)
        if (EqualsNoCase(t.Pair, pair)) net += SignedLots(t);
    return net;
}

InMemoryBroker::InMemoryBroker(const TSessionSettings& settings, std::shared_ptr<InMemoryBook> book)
    : TTradeApiBase(settings), Book(std::move(book)) {}

bool InMemoryBroker::LogOn(const std::string& user, const std::string& password) {
    ++Book->LogOns;
    if (Book->FailLogOns > 0) {
        --Book->FailLogOns;
        return false;
    }
    if (password == Book->Password) {
        if (Book->PasswordExpired) {
            if (SubPassword.empty()) return false;
            Book->Password = SubPassword;
            Book->PasswordExpired = false;
            PasswordChanged = true;
        }
    } else if (!SubPassword.empty() && SubPassword == Book->Password) {
        PasswordChanged = true;
    } else {
        return false;
    }
    Balance = Book->Balance;
    BalancePL = Book->BalancePL;
    return true;
}

bool InMemoryBroker::LogOff() {
    ++Book->LogOffs;
    return true;
}

bool InMemoryBroker::ReportsOutcome(bool& execute) {
    const int order = ++Book->OrderCount;
    if (Book->OnOrder) Book->OnOrder(order);
    auto unknown = Book->UnknownOutcome.find(order);
    execute = unknown == Book->UnknownOutcome.end() || unknown->second;
    return unknown == Book->UnknownOutcome.end();
}

bool InMemoryBroker::OpenPosition(const std::string& pair, bool buy, int lots, pugi::xml_node,
                                  pugi::xml_node, const std::string&, double ratio) {
    if (lots == 0) lots = std::stoi(ComputeLots(ratio));
    bool execute = true;
    const bool known = ReportsOutcome(execute);
    if (!execute) return false;
    Book->Orders.push_back("Open " + pair + " " + (buy ? "Buy" : "Sell") + " " + std::to_string(lots));
    int remaining = lots;
    if (Book->CounterTradeCloses) {
        auto& positions = Book->Positions;
        for (auto it = positions.begin(); it != positions.end() && remaining > 0;) {
            if (!EqualsNoCase(it->Pair, pair) || it->IsBuy == buy) {
                ++it;
                continue;
            }
            const int size = std::abs(SignedLots(*it));
            const int taken = std::min(size, remaining);
            remaining -= taken;
            if (taken == size) {
                it = positions.erase(it);
            } else {
                SetSize(*it, size - taken);
                ++it;
            }
        }
    }
    if (remaining > 0) Book->Hold(pair, buy ? remaining : -remaining);
    return known;
}

bool InMemoryBroker::FixPosition(const std::string& pair, bool buy, pugi::xml_node holding,
                                 pugi::xml_node moved, int maxLotsPerOrder, int lots) {
    if (Book->CounterTradeCloses)
        return TTradeApiBase::FixPosition(pair, buy, holding, moved, maxLotsPerOrder, lots);
    return FixPositionByCloseThenOpen(pair, buy, holding, moved, maxLotsPerOrder, lots);
}

bool InMemoryBroker::ClosePosition(const TTicket& ticket, int lots) {
    bool execute = true;
    const bool known = ReportsOutcome(execute);
    if (!execute) return false;
    auto& positions = Book->Positions;
    auto it = std::find_if(positions.begin(), positions.end(),
                           [&](const TTicket& t) { return t.Ticket == ticket.Ticket; });
    if (it == positions.end()) return false;
    Book->Orders.push_back("Close " + ticket.Ticket + " " + std::to_string(lots));
    const int size = std::abs(SignedLots(*it));
    if (lots < 0 || lots >= size)
        positions.erase(it);
    else
        SetSize(*it, size - lots);
    return known;
}

bool InMemoryBroker::EnumTicket(TTicketArray& tickets) {
    tickets.clear();
    if (Book->FailEnumTickets > 0) {
        --Book->FailEnumTickets;
        return false;
    }
    tickets = Book->Positions;
    return true;
}

InMemoryBrokers::InMemoryBrokers() {
    auto create = [this](const TSessionSettings& settings) -> TSessionPtr<> {
        auto book = Book(settings.AccountName);
        if (!book) return nullptr;
        return TTradeApiBase::Create<InMemoryBroker>(settings, book);
    };
    for (TBrokerFamily family : {TBrokerFamily::OCBC, TBrokerFamily::LionFX, TBrokerFamily::Cosmo})
        Adapters.Register(family, create);
}

std::shared_ptr<InMemoryBook> InMemoryBrokers::Add(const std::string& accountName) {
    auto book = std::make_shared<InMemoryBook>();
    Books[accountName] = book;
    return book;
}

std::shared_ptr<InMemoryBook> InMemoryBrokers::Book(const std::string& accountName) const {
    auto it = Books.find(accountName);
    return it == Books.end() ? nullptr : it->second;
}
