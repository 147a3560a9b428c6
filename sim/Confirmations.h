#pragma once
// The confirmation pages of a site family that wait for their final submit.
// A broker without one-time tokens takes a confirmation each time it is
// sent, so a re-sent form executes again; that is the default here. An
// account with one-time confirmations gets nothing from a second submit.
// Every submit after the first is counted ("resubmits/<family>"), taken or
// not, so tests can tell that a client never sent a confirmation twice.

#include "Counters.h"

#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>

namespace sim {

template <class Payload>
class Confirmations {
public:
    Confirmations(Counters& counters, std::string family) : counters_(counters), family_(std::move(family)) {}

    // The token the confirmation page carries.
    std::string Remember(const std::string& account, Payload payload)
    {
        std::lock_guard lock(mutex_);
        // Confirmations nobody submitted are dropped before they pile up.
        if (waiting_.size() > kKept)
            waiting_.clear();
        std::string token = std::to_string(random_());
        waiting_[token] = Waiting{account, std::move(payload), 0};
        return token;
    }

    // What the account confirms with the token; nothing for an unknown
    // token, another account's, or a repeat where confirmations are one-time.
    std::optional<Payload> Submit(const std::string& account, const std::string& token, bool oneTime)
    {
        std::lock_guard lock(mutex_);
        auto it = waiting_.find(token);
        if (it == waiting_.end() || it->second.account != account)
            return std::nullopt;
        if (it->second.submits++ > 0) {
            counters_.Add("resubmits/" + family_);
            if (oneTime)
                return std::nullopt;
        }
        return it->second.payload;
    }

private:
    static constexpr size_t kKept = 1000;
    struct Waiting {
        std::string account;
        Payload payload;
        int submits = 0;
    };

    Counters& counters_;
    std::string family_;
    std::mutex mutex_;
    std::mt19937_64 random_{std::random_device{}()};
    std::map<std::string, Waiting> waiting_;
};

} // namespace sim
