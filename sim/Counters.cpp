#include "Counters.h"

namespace sim {

void Counters::Add(const std::string& name, long long amount)
{
    std::lock_guard lock(mutex_);
    counts_[name] += amount;
}

long long Counters::Get(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    auto it = counts_.find(name);
    return it == counts_.end() ? 0 : it->second;
}

Json Counters::ToJson() const
{
    std::lock_guard lock(mutex_);
    Json json = Json::object();
    for (const auto& [name, count] : counts_)
        json[name] = count;
    return json;
}

void Counters::Clear()
{
    std::lock_guard lock(mutex_);
    counts_.clear();
}

} // namespace sim
