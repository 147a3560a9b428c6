#pragma once
// Faults that tests and rehearsals order up: broken pages, slow pages, a
// JavaScript confirm, a session that ends on the next order, an order whose
// answer is lost. Each fault waits for `after` matching requests, then hits
// the next `count` ones.

#include "JsonFields.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct Fault {
    // Page faults: "error" (the server-error page), "notfound", "empty"
    // (a page with nothing in it), "slow" (the real page, late), "confirm"
    // (the real page raising a JavaScript confirm). Order faults, met by the
    // confirmations that execute (orders and closes): "expireSession" (the
    // session ends when the next order arrives) and "lostAnswer" (the order
    // is executed but its answer is lost, as `answer` says).
    std::string kind;
    int count = 1;
    int after = 0;
    std::string family;   // empty: every family (and the service pages)
    std::string path;     // part of the request path; empty: any page (or confirmation)
    std::string method;   // "GET" or "POST"; empty: both
    std::string account;  // expireSession: the account id; empty: any
    int delayMs = 0;      // slow
    int status = 0;       // error/notfound/empty: HTTP status; 0: the kind's usual one
    std::string message;  // confirm: the question
    bool execute = false; // expireSession: the order is executed all the same
    // lostAnswer: "empty" (an empty page), "drop" (the connection closes
    // before the page arrives) or "error" (the server-error page).
    std::string answer = "empty";
};

// Raises BrokerError (Invalid) for unknown kinds and impossible numbers.
Fault FaultFromJson(const Json& json);
Json FaultToJson(const Fault& fault);

class FaultBoard {
public:
    enum class Stage {
        BeforePage, // error, notfound, empty, slow: decided before the page is made
        AfterPage   // confirm: added to the page that was made
    };

    void Add(const Fault& fault);
    void Clear();
    std::vector<Fault> List() const;

    // The fault that hits this page request, if any (and counts it down).
    std::optional<Fault> TakePageFault(Stage stage, const std::string& path, const std::string& method);
    // The fault of this kind that hits the account's confirmation at this
    // path (an order or a close that is about to execute), if any.
    std::optional<Fault> TakeOrderFault(const std::string& kind, const std::string& path, const std::string& account);

    // Times faults of each kind have hit so far.
    Json HitCounts() const;

private:
    std::optional<Fault> Take(const std::function<bool(const Fault&)>& matches);

    mutable std::mutex mutex_;
    std::vector<Fault> faults_;
    std::vector<std::pair<std::string, int>> hits_;
};

// The family a path belongs to: its first segment ("/lionfx/Menu.do" ->
// "lionfx"); empty for pages at the root.
std::string FamilyOfPath(const std::string& path);

} // namespace sim
