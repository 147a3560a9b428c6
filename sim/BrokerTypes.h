#pragma once
// The records of the simulated broker: accounts, their open positions and
// the executions that made them.

#include <stdexcept>
#include <string>
#include <vector>

namespace sim {

// What a site calls a position: the time of its execution (handheld sites
// that list positions by date) or a running order number.
enum class TicketStyle { ExecutionTime, OrderNumber };

// House rules of one site family.
struct FamilyRules {
    // An order against open positions closes them (oldest first) instead of
    // opening a position on the other side.
    bool counterTradeCloses = true;
    TicketStyle ticketStyle = TicketStyle::OrderNumber;
    // Currency units in one lot.
    int unitSize = 10000;
    std::string currency = "JPY";
};

struct Position {
    long long id = 0;       // the simulator's own number, unique for ever
    std::string ticket;     // the text the site shows as the position's identity
    std::string pair;       // "EURUSD"
    bool buy = true;
    int lots = 0;
    double rate = 0;        // execution rate
    long long openedAt = 0; // seconds since the epoch
};

struct Execution {
    long long seq = 0;
    long long time = 0;
    std::string kind; // "open" or "close"
    std::string pair;
    bool buy = true; // the side of the trade itself
    int lots = 0;
    double rate = 0;
    long long positionId = 0;
    double realized = 0; // profit or loss booked by a close, account currency
};

struct Account {
    std::string family;
    std::string id;
    std::string password;
    std::string name;
    std::string currency = "JPY";
    double deposit = 0;
    int unitSize = 10000;
    bool counterTradeCloses = true;
    TicketStyle ticketStyle = TicketStyle::OrderNumber;
    // Each confirmation page takes one submit only (one-time tokens). Off, a
    // re-sent confirmation executes again, as at brokers without such tokens.
    bool oneTimeConfirmations = false;
    // The next log-on must change the password before it gets in.
    bool passwordExpired = false;
    std::vector<Position> positions;
    std::vector<Execution> executions; // newest last, bounded
    long long executionCount = 0;      // every execution ever, not bounded
};

// The figures a site shows: cash, open profit or loss, their sum, and the
// margin the open positions tie up.
struct Figures {
    double deposit = 0;
    double unrealized = 0;
    double valuation = 0;
    double margin = 0;
};

// A position to put into an account directly (control API, scenarios).
struct PositionSpec {
    std::string pair;
    bool buy = true;
    int lots = 0;
    double rate = 0; // 0: the current rate
};

class BrokerError : public std::runtime_error {
public:
    enum class Kind { NotFound, Invalid };
    BrokerError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

} // namespace sim
