#pragma once
// The broker core shared by every site family: accounts with log-in data,
// a moving market, orders executed at the market rate, positions with their
// ticket texts, and figures recomputed from the open positions. Every call
// is safe from the server's worker threads. Failures raise BrokerError.

#include "BrokerTypes.h"
#include "JsonFields.h"
#include "PriceBoard.h"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// "2024/05/01 10:00:00": seconds since the epoch in local time, as the
// sites write execution times.
std::string LocalTimeText(long long seconds);

// What one order did: the positions it closed (wholly or in part) and the
// position it opened with what was left, if anything.
struct OrderResult {
    std::vector<Execution> executions;
    std::optional<Position> opened;
};

class Broker {
public:
    using Clock = std::function<long long()>; // seconds since the epoch
    using Persist = std::function<void(const Json& snapshot)>;

    explicit Broker(Clock clock = {});

    // Called with the whole state after every change (the state file).
    void SetPersist(Persist persist);

    void DefineFamily(const std::string& family, const FamilyRules& rules);
    // The family's rules; unknown families get the defaults.
    FamilyRules RulesOf(const std::string& family) const;

    // Adds or replaces an account (positions and executions included).
    void PutAccount(Account account);
    void RemoveAccount(const std::string& family, const std::string& id);
    Account GetAccount(const std::string& family, const std::string& id) const;
    std::vector<Account> Accounts() const;
    bool CheckPassword(const std::string& family, const std::string& id, const std::string& password) const;
    // From now on a log-on must first change the password.
    void ExpirePassword(const std::string& family, const std::string& id);
    // Installs a new password and ends its expiry. Raises Invalid for an empty
    // password or the one in force.
    void ChangePassword(const std::string& family, const std::string& id, const std::string& password);

    // The account's open position whose id reads `idText` (as a page sends it).
    std::optional<Position> FindPosition(const std::string& family, const std::string& id,
                                         const std::string& idText) const;

    Figures FiguresOf(const std::string& family, const std::string& id) const;
    // Net lots per pair (positive long), only pairs with a non-zero net.
    std::map<std::string, int> NetLots(const std::string& family, const std::string& id) const;

    // A market order: moves the market one step, then executes at its rate.
    // At a broker whose counter trades close, it closes opposite positions
    // first unless the order asks to hold both sides (straddle).
    OrderResult PlaceOrder(const std::string& family, const std::string& id, const std::string& pair,
                           bool buy, int lots, bool straddle = false);
    // Closes `lots` of one position (all of it when lots <= 0 or larger).
    Execution ClosePosition(const std::string& family, const std::string& id, long long positionId, int lots);
    // Replaces the account's positions, as if each had just been executed.
    std::vector<Position> SetPositions(const std::string& family, const std::string& id,
                                       const std::vector<PositionSpec>& specs);
    Position AddPosition(const std::string& family, const std::string& id, const PositionSpec& spec);

    void SetPrice(const std::string& pair, double rate);
    std::optional<double> Price(const std::string& pair) const;
    std::vector<std::pair<std::string, double>> Prices() const;
    void SetPricesMoving(bool moving);

    Json Snapshot() const;
    // Loads a snapshot written by Snapshot; raises JsonError on bad input.
    void Restore(const Json& snapshot);
    // Drops every account; prices go back to the defaults.
    void Reset();

private:
    Account& Find(const std::string& family, const std::string& id);
    const Account& Find(const std::string& family, const std::string& id) const;
    std::string Key(const std::string& family, const std::string& id) const { return family + "/" + id; }
    double RateOf(const std::string& pair) const;
    long long NextExecutionTime();
    std::string TicketText(const Account& account, long long id, long long time) const;
    Position Open(Account& account, const std::string& pair, bool buy, int lots, double rate);
    Execution Close(Account& account, size_t index, int lots, double rate);
    double ProfitOf(const Account& account, const Position& position, int lots, double rate) const;
    double RoundMoney(const Account& account, double amount) const;
    Execution Record(Account& account, Execution execution);
    void Changed();
    Json SnapshotLocked() const;

    mutable std::mutex mutex_;
    Clock clock_;
    Persist persist_;
    std::map<std::string, FamilyRules> families_;
    std::map<std::string, Account> accounts_; // by family + "/" + id
    PriceBoard prices_;
    long long nextPositionId_ = 1;
    long long nextExecutionSeq_ = 1;
    long long lastExecutionTime_ = 0;
};

} // namespace sim
