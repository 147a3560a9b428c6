#include "Sessions.h"

#include <chrono>
#include <random>

namespace sim {

namespace {

long long SystemSeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string RandomToken()
{
    static thread_local std::mt19937_64 random{std::random_device{}()};
    static const char* hex = "0123456789ABCDEF";
    std::string token;
    for (int i = 0; i < 32; ++i)
        token += hex[random() & 15];
    return token;
}

} // namespace

SessionStore::SessionStore(Clock clock) : clock_(clock ? std::move(clock) : Clock(SystemSeconds)) {}

std::string SessionStore::Open(const std::string& family, const std::string& accountId)
{
    std::lock_guard lock(mutex_);
    std::string token = RandomToken();
    sessions_[token] = Session{family, accountId, clock_()};
    return token;
}

std::optional<std::string> SessionStore::AccountOf(const std::string& family, const std::string& token)
{
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(token);
    if (it == sessions_.end() || it->second.family != family)
        return std::nullopt;
    long long now = clock_();
    if (now - it->second.lastUse > idleLimit_) {
        sessions_.erase(it);
        return std::nullopt;
    }
    it->second.lastUse = now;
    return it->second.accountId;
}

void SessionStore::Close(const std::string& token)
{
    std::lock_guard lock(mutex_);
    sessions_.erase(token);
}

int SessionStore::ExpireAccount(const std::string& family, const std::string& accountId)
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::erase_if(sessions_, [&](const auto& entry) {
        return entry.second.family == family && entry.second.accountId == accountId;
    }));
}

void SessionStore::SetIdleLimit(long long seconds)
{
    std::lock_guard lock(mutex_);
    idleLimit_ = seconds;
}

} // namespace sim
