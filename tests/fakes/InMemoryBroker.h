#pragma once
// A broker account kept in memory, driven through the adapter interface as
// the real sites are. The book outlives the sessions (it is the "server"), so
// a run's retries and a second run see what the first one left behind.

#include "broker/AdapterFactory.h"
#include "broker/TradeApiBase.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

struct InMemoryBook {
    // The password in force at the broker.
    std::string Password = "pw1";
    double Balance = 1000000;
    double BalancePL = 1000000;
    // True: an opposite order closes open positions first (oldest first).
    // False: buy and sell positions are held side by side.
    bool CounterTradeCloses = true;

    // --- switches -------------------------------------------------------
    // The next n log-ons fail.
    int FailLogOns = 0;
    // The next log-on with the password in force makes the broker demand a
    // new one; the session installs its alternate password.
    bool PasswordExpired = false;
    // Orders (opens and closes, counted from 1 over the book's life) whose
    // outcome the session cannot tell: the value says whether the order was
    // executed all the same.
    std::map<int, bool> UnknownOutcome;
    // The next n position listings fail.
    int FailEnumTickets = 0;
    // Called with the order's number before each order reaches the book.
    std::function<void(int order)> OnOrder;

    // --- the server -------------------------------------------------------
    // Units carry "-" for a sell position, as the side-by-side sites show them.
    std::vector<TTicket> Positions;
    int NextTicket = 1;
    int OrderCount = 0;
    // Every order that reached the book: "Open USDJPY Buy 3", "Close T2 -1".
    std::vector<std::string> Orders;
    int LogOns = 0;
    int LogOffs = 0;

    // Adds a position directly (a starting state): lots > 0 buy, < 0 sell.
    void Hold(const std::string& pair, int lots, const std::string& rate = "100");
    // Net lots of a pair over all positions.
    int NetLots(const std::string& pair) const;
};

class InMemoryBroker : public TTradeApiBase {
public:
    InMemoryBroker(const TSessionSettings& settings, std::shared_ptr<InMemoryBook> book);

    bool LogOn(const std::string& user, const std::string& password) override;
    bool LogOff() override;
    bool OpenPosition(const std::string& pair, bool buy, int lots, pugi::xml_node holding,
                      pugi::xml_node moved, const std::string& tag, double ratio) override;
    bool FixPosition(const std::string& pair, bool buy, pugi::xml_node holding, pugi::xml_node moved,
                     int maxLotsPerOrder, int lots) override;
    bool ClosePosition(const TTicket& ticket, int lots) override;
    bool EnumTicket(TTicketArray& tickets) override;

protected:
    void PauseAfterFixOrder() override {}

private:
    // Counts the order; false when its outcome is to be unknown, with
    // `execute` telling whether it happens anyway.
    bool ReportsOutcome(bool& execute);
    std::shared_ptr<InMemoryBook> Book;
};

// A factory serving every broker family from books keyed by account name.
// An account without a book gets no session.
class InMemoryBrokers {
public:
    std::shared_ptr<InMemoryBook> Add(const std::string& accountName);
    std::shared_ptr<InMemoryBook> Book(const std::string& accountName) const;
    const TAdapterFactory& Factory() const { return Adapters; }

    InMemoryBrokers();

private:
    std::map<std::string, std::shared_ptr<InMemoryBook>> Books;
    TAdapterFactory Adapters;
};
