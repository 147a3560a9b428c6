#pragma once
// What the broker site families do alike around their pages: the session
// cookie, the account behind a request, the family's counters, the faults
// on order in front of every page, and the order fault that ends a session
// under an order.

#include "SimContext.h"

#include <httplib.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace sim {

// A request of a logged-on user: the account id and the live session.
struct Visitor {
    std::string account;
    std::string token;
};

using PageHandler = std::function<void(const httplib::Request&, httplib::Response&)>;
using SessionPageHandler = std::function<void(const Visitor&, const httplib::Request&, httplib::Response&)>;
// Answers a request the broker refused (no such position, pair or account).
using RefusalHandler = std::function<void(httplib::Response&, const std::string& reason)>;

class SiteSessions {
public:
    // sessionEnded answers a page asked for without a live session.
    SiteSessions(SimContext& context, std::string family, PageHandler sessionEnded, RefusalHandler refused);

    const std::string& Family() const { return family_; }
    // A page anyone may ask for (log-on, log-off).
    httplib::Server::Handler Page(PageHandler page) const;
    // A page of a logged-on user.
    httplib::Server::Handler InSession(SessionPageHandler page) const;

    // A log-on accepted: opens a session for the account, sets its cookie
    // on the answer and sends the user on to the site's page `landing`.
    void Admit(const std::string& account, const std::string& landing, httplib::Response& res) const;
    // Ends the request's session (log-off).
    void Close(const httplib::Request& req) const;
    // Counts an event of the family: "orders" counts "orders/<family>".
    void Count(const std::string& what) const;
    // Whether the account takes each confirmation once (one-time tokens).
    bool OneTimeConfirmations(const Visitor& visitor) const;
    // Executes an order or a close the site has accepted, counted as `what`
    // ("orders", "closes"). An "expireSession" fault ends the session under
    // it: the answer is then the family's page for an ended session, and
    // the trade runs only if the fault says so. A "lostAnswer" fault lets
    // the trade run and takes its answer away. `trade` is told whether its
    // done page is still the answer.
    void Execute(const Visitor& visitor, const httplib::Request& req, httplib::Response& res, const std::string& what,
                 const std::function<void(bool answer)>& trade) const;

private:
    std::optional<Visitor> VisitorOf(const httplib::Request& req) const;

    SimContext& context_;
    std::string family_;
    PageHandler sessionEnded_;
    RefusalHandler refused_;
};

// House rules of a family whose buy and sell positions stand side by side
// and are named by their order number.
FamilyRules SideBySideRules();

// Defines the family in the broker and adds the site's pages.
template <class Site>
void AddSite(httplib::Server& server, SimContext& context, const std::string& family, const FamilyRules& rules)
{
    context.broker.DefineFamily(family, rules);
    auto site = std::make_shared<Site>(context);
    site->Register(server, site);
}

} // namespace sim
