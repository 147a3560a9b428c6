#pragma once
// Log-in sessions of the broker sites, carried by a cookie. A session ends
// when the user logs off, when it has been idle too long, or when a test
// ends it on purpose.

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace sim {

class SessionStore {
public:
    using Clock = std::function<long long()>; // seconds since the epoch

    explicit SessionStore(Clock clock = {});

    // A new session for the account; returns its cookie value.
    std::string Open(const std::string& family, const std::string& accountId);
    // The account of a live session of the family (and marks it used).
    std::optional<std::string> AccountOf(const std::string& family, const std::string& token);
    void Close(const std::string& token);
    // Ends every session of the account; returns how many there were.
    int ExpireAccount(const std::string& family, const std::string& accountId);
    void SetIdleLimit(long long seconds);

private:
    struct Session {
        std::string family;
        std::string accountId;
        long long lastUse = 0;
    };

    std::mutex mutex_;
    Clock clock_;
    long long idleLimit_ = 1800;
    std::map<std::string, Session> sessions_;
};

} // namespace sim
