#include "Faults.h"

#include "BrokerTypes.h"

#include <algorithm>
#include <functional>

namespace sim {

namespace {

const std::vector<std::string>& PageKindsBefore()
{
    static const std::vector<std::string> kinds{"error", "notfound", "empty", "drop", "slow"};
    return kinds;
}

bool IsKind(const std::vector<std::string>& kinds, const std::string& kind)
{
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

bool IsPageKind(const std::string& kind) { return IsKind(PageKindsBefore(), kind) || kind == "confirm"; }

bool IsOrderKind(const std::string& kind) { return kind == "expireSession" || kind == "lostAnswer"; }

bool PathMatches(const Fault& fault, const std::string& path)
{
    return (fault.family.empty() || fault.family == FamilyOfPath(path)) &&
           (fault.path.empty() || path.find(fault.path) != std::string::npos);
}

void Require(bool condition, const std::string& what)
{
    if (!condition)
        throw BrokerError(BrokerError::Kind::Invalid, what);
}

} // namespace

std::string FamilyOfPath(const std::string& path)
{
    size_t end = path.find('/', 1);
    if (path.size() < 2 || path[0] != '/' || end == std::string::npos)
        return "";
    return path.substr(1, end - 1);
}

Fault FaultFromJson(const Json& json)
{
    Fault fault;
    fault.kind = StringField(json, "kind");
    fault.count = static_cast<int>(IntegerField(json, "count", 1));
    fault.after = static_cast<int>(IntegerField(json, "after", 0));
    fault.family = StringField(json, "family");
    fault.path = StringField(json, "path");
    fault.method = StringField(json, "method");
    fault.account = StringField(json, "account");
    fault.delayMs = static_cast<int>(IntegerField(json, "delayMs", 0));
    fault.status = static_cast<int>(IntegerField(json, "status", 0));
    fault.message = StringField(json, "message", "よろしいですか？");
    fault.execute = BoolField(json, "execute", false);
    fault.answer = StringField(json, "answer", "empty");
    Require(IsPageKind(fault.kind) || IsOrderKind(fault.kind), "unknown fault kind: " + fault.kind);
    Require(IsKind({"empty", "drop", "error"}, fault.answer), "answer must be empty, drop or error");
    Require(fault.count >= 1 && fault.count <= 1000, "count must be 1 to 1000");
    Require(fault.after >= 0, "after must not be negative");
    // A page held longer than a minute would only tie up a server thread.
    Require(fault.delayMs >= 0 && fault.delayMs <= 60000, "delayMs must be 0 to 60000");
    Require(fault.status == 0 || (fault.status >= 200 && fault.status <= 599), "status must be 200 to 599");
    Require(fault.method.empty() || fault.method == "GET" || fault.method == "POST", "method must be GET or POST");
    return fault;
}

Json FaultToJson(const Fault& fault)
{
    Json json = Json::object();
    json["kind"] = fault.kind;
    json["count"] = fault.count;
    json["after"] = fault.after;
    json["family"] = fault.family;
    json["path"] = fault.path;
    json["method"] = fault.method;
    json["account"] = fault.account;
    json["delayMs"] = fault.delayMs;
    json["status"] = fault.status;
    json["message"] = fault.message;
    json["execute"] = fault.execute;
    json["answer"] = fault.answer;
    return json;
}

void FaultBoard::Add(const Fault& fault)
{
    std::lock_guard lock(mutex_);
    faults_.push_back(fault);
}

void FaultBoard::Clear()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::vector<Fault> FaultBoard::List() const
{
    std::lock_guard lock(mutex_);
    return faults_;
}

std::optional<Fault> FaultBoard::Take(const std::function<bool(const Fault&)>& matches)
{
    std::lock_guard lock(mutex_);
    auto it = std::find_if(faults_.begin(), faults_.end(), matches);
    if (it == faults_.end())
        return std::nullopt;
    if (it->after > 0) {
        --it->after;
        return std::nullopt;
    }
    Fault hit = *it;
    if (--it->count == 0)
        faults_.erase(it);
    auto counter = std::find_if(hits_.begin(), hits_.end(), [&](const auto& h) { return h.first == hit.kind; });
    if (counter == hits_.end())
        hits_.emplace_back(hit.kind, 1);
    else
        ++counter->second;
    return hit;
}

std::optional<Fault> FaultBoard::TakePageFault(Stage stage, const std::string& path, const std::string& method)
{
    return Take([&](const Fault& fault) {
        bool stageMatches = stage == Stage::AfterPage ? fault.kind == "confirm" : IsKind(PageKindsBefore(), fault.kind);
        return stageMatches && PathMatches(fault, path) && (fault.method.empty() || fault.method == method);
    });
}

std::optional<Fault> FaultBoard::TakeOrderFault(const std::string& kind, const std::string& path,
                                                const std::string& account)
{
    return Take([&](const Fault& fault) {
        return fault.kind == kind && PathMatches(fault, path) && (fault.account.empty() || fault.account == account);
    });
}

Json FaultBoard::HitCounts() const
{
    std::lock_guard lock(mutex_);
    Json json = Json::object();
    for (const auto& [kind, count] : hits_)
        json[kind] = count;
    return json;
}

} // namespace sim
