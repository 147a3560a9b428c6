#include "Broker.h"

#include "BrokerJson.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

namespace sim {

namespace {

// Executions kept per account: enough to inspect a run, bounded for the file.
constexpr size_t kExecutionsKept = 2000;
// Margin the sites ask for an open position: 4 % of its value (leverage 25).
constexpr double kMarginRate = 0.04;

long long SystemSeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string RequirePair(const std::string& text)
{
    auto pair = PriceBoard::NormalizePair(text);
    if (!pair)
        throw BrokerError(BrokerError::Kind::Invalid, "not a currency pair: " + text);
    return *pair;
}

void RequireLots(int lots)
{
    if (lots <= 0)
        throw BrokerError(BrokerError::Kind::Invalid, "lots must be positive");
}

} // namespace

std::string LocalTimeText(long long seconds)
{
    std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y/%m/%d %H:%M:%S", &local);
    return buffer;
}

Broker::Broker(Clock clock) : clock_(clock ? std::move(clock) : Clock(SystemSeconds)) {}

void Broker::SetPersist(Persist persist)
{
    std::lock_guard lock(mutex_);
    persist_ = std::move(persist);
}

void Broker::DefineFamily(const std::string& family, const FamilyRules& rules)
{
    std::lock_guard lock(mutex_);
    families_[family] = rules;
}

FamilyRules Broker::RulesOf(const std::string& family) const
{
    std::lock_guard lock(mutex_);
    auto it = families_.find(family);
    return it == families_.end() ? FamilyRules{} : it->second;
}

Account& Broker::Find(const std::string& family, const std::string& id)
{
    auto it = accounts_.find(Key(family, id));
    if (it == accounts_.end())
        throw BrokerError(BrokerError::Kind::NotFound, "no account " + Key(family, id));
    return it->second;
}

const Account& Broker::Find(const std::string& family, const std::string& id) const
{
    return const_cast<Broker*>(this)->Find(family, id);
}

void Broker::PutAccount(Account account)
{
    if (account.family.empty() || account.id.empty())
        throw BrokerError(BrokerError::Kind::Invalid, "an account needs a family and an id");
    std::lock_guard lock(mutex_);
    for (const Position& position : account.positions)
        nextPositionId_ = std::max(nextPositionId_, position.id + 1);
    for (const Execution& execution : account.executions)
        nextExecutionSeq_ = std::max(nextExecutionSeq_, execution.seq + 1);
    accounts_[Key(account.family, account.id)] = std::move(account);
    Changed();
}

void Broker::RemoveAccount(const std::string& family, const std::string& id)
{
    std::lock_guard lock(mutex_);
    Find(family, id);
    accounts_.erase(Key(family, id));
    Changed();
}

Account Broker::GetAccount(const std::string& family, const std::string& id) const
{
    std::lock_guard lock(mutex_);
    return Find(family, id);
}

std::vector<Account> Broker::Accounts() const
{
    std::lock_guard lock(mutex_);
    std::vector<Account> result;
    for (const auto& entry : accounts_)
        result.push_back(entry.second);
    return result;
}

bool Broker::CheckPassword(const std::string& family, const std::string& id, const std::string& password) const
{
    std::lock_guard lock(mutex_);
    auto it = accounts_.find(Key(family, id));
    return it != accounts_.end() && it->second.password == password;
}

void Broker::ExpirePassword(const std::string& family, const std::string& id)
{
    std::lock_guard lock(mutex_);
    Find(family, id).passwordExpired = true;
    Changed();
}

void Broker::ChangePassword(const std::string& family, const std::string& id, const std::string& password)
{
    std::lock_guard lock(mutex_);
    Account& account = Find(family, id);
    if (password.empty() || password == account.password)
        throw BrokerError(BrokerError::Kind::Invalid, "the new password must differ from the one in force");
    account.password = password;
    account.passwordExpired = false;
    Changed();
}

double Broker::RateOf(const std::string& pair) const
{
    auto rate = prices_.Get(pair);
    if (!rate)
        throw BrokerError(BrokerError::Kind::Invalid, "no market in " + pair);
    return *rate;
}

double Broker::RoundMoney(const Account& account, double amount) const
{
    double scale = account.currency == "JPY" ? 1.0 : 100.0;
    return std::round(amount * scale) / scale;
}

double Broker::ProfitOf(const Account& account, const Position& position, int lots, double rate) const
{
    double units = static_cast<double>(lots) * account.unitSize;
    double inQuote = (rate - position.rate) * units * (position.buy ? 1 : -1);
    auto converted = prices_.Convert(inQuote, position.pair.substr(3), account.currency);
    return converted ? *converted : 0.0;
}

std::optional<Position> Broker::FindPosition(const std::string& family, const std::string& id,
                                             const std::string& idText) const
{
    std::lock_guard lock(mutex_);
    for (const Position& position : Find(family, id).positions)
        if (std::to_string(position.id) == idText)
            return position;
    return std::nullopt;
}

Figures Broker::FiguresOf(const std::string& family, const std::string& id) const
{
    std::lock_guard lock(mutex_);
    const Account& account = Find(family, id);
    double open = 0;
    double margin = 0;
    for (const Position& position : account.positions) {
        auto rate = prices_.Get(position.pair);
        if (!rate)
            continue;
        open += ProfitOf(account, position, position.lots, *rate);
        double value = static_cast<double>(position.lots) * account.unitSize * *rate;
        margin += prices_.Convert(value, position.pair.substr(3), account.currency).value_or(0) * kMarginRate;
    }
    Figures figures;
    figures.deposit = account.deposit;
    figures.unrealized = RoundMoney(account, open);
    figures.valuation = RoundMoney(account, account.deposit + open);
    figures.margin = RoundMoney(account, margin);
    return figures;
}

std::map<std::string, int> Broker::NetLots(const std::string& family, const std::string& id) const
{
    std::lock_guard lock(mutex_);
    std::map<std::string, int> net;
    for (const Position& position : Find(family, id).positions)
        net[position.pair] += position.buy ? position.lots : -position.lots;
    std::erase_if(net, [](const auto& entry) { return entry.second == 0; });
    return net;
}

long long Broker::NextExecutionTime()
{
    // Sites that name positions by their execution time need every time to
    // be different, so two executions never share a second.
    lastExecutionTime_ = std::max(clock_(), lastExecutionTime_ + 1);
    return lastExecutionTime_;
}

std::string Broker::TicketText(const Account& account, long long id, long long time) const
{
    return account.ticketStyle == TicketStyle::ExecutionTime ? LocalTimeText(time) : std::to_string(id);
}

Execution Broker::Record(Account& account, Execution execution)
{
    execution.seq = nextExecutionSeq_++;
    ++account.executionCount;
    account.executions.push_back(execution);
    if (account.executions.size() > kExecutionsKept)
        account.executions.erase(account.executions.begin(),
                                 account.executions.end() - static_cast<long>(kExecutionsKept));
    return execution;
}

Position Broker::Open(Account& account, const std::string& pair, bool buy, int lots, double rate)
{
    Position position;
    position.id = nextPositionId_++;
    position.openedAt = NextExecutionTime();
    position.ticket = TicketText(account, position.id, position.openedAt);
    position.pair = pair;
    position.buy = buy;
    position.lots = lots;
    position.rate = rate;
    account.positions.push_back(position);

    Execution execution;
    execution.time = position.openedAt;
    execution.kind = "open";
    execution.pair = pair;
    execution.buy = buy;
    execution.lots = lots;
    execution.rate = rate;
    execution.positionId = position.id;
    Record(account, execution);
    return position;
}

Execution Broker::Close(Account& account, size_t index, int lots, double rate)
{
    Position& position = account.positions[index];
    int closed = (lots <= 0 || lots >= position.lots) ? position.lots : lots;
    double realized = RoundMoney(account, ProfitOf(account, position, closed, rate));
    account.deposit = RoundMoney(account, account.deposit + realized);

    Execution execution;
    execution.time = NextExecutionTime();
    execution.kind = "close";
    execution.pair = position.pair;
    execution.buy = !position.buy;
    execution.lots = closed;
    execution.rate = rate;
    execution.positionId = position.id;
    execution.realized = realized;

    position.lots -= closed;
    if (position.lots == 0)
        account.positions.erase(account.positions.begin() + static_cast<long>(index));
    return Record(account, execution);
}

OrderResult Broker::PlaceOrder(const std::string& family, const std::string& id, const std::string& pairText,
                               bool buy, int lots, bool straddle)
{
    std::string pair = RequirePair(pairText);
    RequireLots(lots);
    std::lock_guard lock(mutex_);
    Account& account = Find(family, id);
    RateOf(pair);
    prices_.Step(pair);
    double rate = RateOf(pair);

    OrderResult result;
    int remaining = lots;
    if (account.counterTradeCloses && !straddle) {
        // Oldest first: positions are kept in execution order.
        size_t index = 0;
        while (remaining > 0 && index < account.positions.size()) {
            const Position& position = account.positions[index];
            if (position.pair != pair || position.buy == buy) {
                ++index;
                continue;
            }
            int size = position.lots;
            result.executions.push_back(Close(account, index, remaining, rate));
            if (remaining < size)
                ++index; // partly closed: it stays where it is
            remaining -= std::min(remaining, size);
        }
    }
    if (remaining > 0) {
        result.opened = Open(account, pair, buy, remaining, rate);
        result.executions.push_back(account.executions.back());
    }
    Changed();
    return result;
}

Execution Broker::ClosePosition(const std::string& family, const std::string& id, long long positionId, int lots)
{
    std::lock_guard lock(mutex_);
    Account& account = Find(family, id);
    auto it = std::find_if(account.positions.begin(), account.positions.end(),
                           [&](const Position& p) { return p.id == positionId; });
    if (it == account.positions.end())
        throw BrokerError(BrokerError::Kind::NotFound, "no position " + std::to_string(positionId));
    prices_.Step(it->pair);
    Execution execution = Close(account, static_cast<size_t>(it - account.positions.begin()), lots, RateOf(it->pair));
    Changed();
    return execution;
}

std::vector<Position> Broker::SetPositions(const std::string& family, const std::string& id,
                                           const std::vector<PositionSpec>& specs)
{
    std::lock_guard lock(mutex_);
    Account& account = Find(family, id);
    std::vector<std::string> pairs;
    for (const PositionSpec& spec : specs) {
        pairs.push_back(RequirePair(spec.pair));
        RequireLots(spec.lots);
        RateOf(pairs.back());
    }
    account.positions.clear();
    for (size_t i = 0; i < specs.size(); ++i) {
        double rate = specs[i].rate > 0 ? PriceBoard::RoundRate(pairs[i], specs[i].rate) : RateOf(pairs[i]);
        Open(account, pairs[i], specs[i].buy, specs[i].lots, rate);
    }
    Changed();
    return account.positions;
}

Position Broker::AddPosition(const std::string& family, const std::string& id, const PositionSpec& spec)
{
    std::string pair = RequirePair(spec.pair);
    RequireLots(spec.lots);
    std::lock_guard lock(mutex_);
    Account& account = Find(family, id);
    double rate = spec.rate > 0 ? PriceBoard::RoundRate(pair, spec.rate) : RateOf(pair);
    Position position = Open(account, pair, spec.buy, spec.lots, rate);
    Changed();
    return position;
}

void Broker::SetPrice(const std::string& pairText, double rate)
{
    std::string pair = RequirePair(pairText);
    if (!(rate > 0) || !std::isfinite(rate))
        throw BrokerError(BrokerError::Kind::Invalid, "a rate must be positive");
    std::lock_guard lock(mutex_);
    prices_.Set(pair, rate);
    Changed();
}

std::optional<double> Broker::Price(const std::string& pair) const
{
    std::lock_guard lock(mutex_);
    return prices_.Get(pair);
}

std::vector<std::pair<std::string, double>> Broker::Prices() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::pair<std::string, double>> result;
    for (const std::string& pair : prices_.Pairs())
        result.emplace_back(pair, *prices_.Get(pair));
    return result;
}

void Broker::SetPricesMoving(bool moving)
{
    std::lock_guard lock(mutex_);
    prices_.SetMoving(moving);
    Changed();
}

Json Broker::SnapshotLocked() const
{
    Json snapshot = Json::object();
    Json accounts = Json::array();
    for (const auto& entry : accounts_)
        accounts.push_back(AccountToJson(entry.second, true));
    snapshot["accounts"] = accounts;
    Json prices = Json::object();
    for (const std::string& pair : prices_.Pairs())
        prices[pair] = *prices_.Get(pair);
    snapshot["prices"] = prices;
    snapshot["pricesMoving"] = prices_.Moving();
    snapshot["nextPositionId"] = nextPositionId_;
    snapshot["nextExecutionSeq"] = nextExecutionSeq_;
    snapshot["lastExecutionTime"] = lastExecutionTime_;
    return snapshot;
}

Json Broker::Snapshot() const
{
    std::lock_guard lock(mutex_);
    return SnapshotLocked();
}

void Broker::Restore(const Json& snapshot)
{
    std::map<std::string, Account> accounts;
    for (const Json& item : ArrayField(snapshot, "accounts")) {
        Account account = AccountFromJson(item, FamilyRules{}, true);
        accounts[Key(account.family, account.id)] = std::move(account);
    }
    PriceBoard prices;
    for (const auto& [pair, rate] : ObjectField(snapshot, "prices").items())
        prices.Set(pair, NumberValue(rate));
    prices.SetMoving(BoolField(snapshot, "pricesMoving", true));

    std::lock_guard lock(mutex_);
    accounts_ = std::move(accounts);
    prices_ = prices;
    nextPositionId_ = IntegerField(snapshot, "nextPositionId", 1);
    nextExecutionSeq_ = IntegerField(snapshot, "nextExecutionSeq", 1);
    lastExecutionTime_ = IntegerField(snapshot, "lastExecutionTime", 0);
    for (const auto& entry : accounts_)
        for (const Position& position : entry.second.positions)
            nextPositionId_ = std::max(nextPositionId_, position.id + 1);
}

void Broker::Reset()
{
    std::lock_guard lock(mutex_);
    accounts_.clear();
    prices_ = PriceBoard();
    Changed();
}

void Broker::Changed()
{
    if (persist_)
        persist_(SnapshotLocked());
}

} // namespace sim
