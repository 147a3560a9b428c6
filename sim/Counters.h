#pragma once
// Named counters the control API reports (pages served per family, log-on
// attempts, answered dialogs), safe from the server's worker threads.

#include "JsonFields.h"

#include <map>
#include <mutex>
#include <string>

namespace sim {

class Counters {
public:
    void Add(const std::string& name, long long amount = 1);
    long long Get(const std::string& name) const;
    Json ToJson() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::map<std::string, long long> counts_;
};

} // namespace sim
