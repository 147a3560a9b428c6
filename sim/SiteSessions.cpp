#include "SiteSessions.h"

#include "HttpUtil.h"
#include "PageFaults.h"

namespace sim {

namespace {

constexpr const char* kCookie = "JSESSIONID";

} // namespace

SiteSessions::SiteSessions(SimContext& context, std::string family, PageHandler sessionEnded,
                           RefusalHandler refused)
    : context_(context), family_(std::move(family)), sessionEnded_(std::move(sessionEnded)),
      refused_(std::move(refused))
{
}

httplib::Server::Handler SiteSessions::Page(PageHandler page) const
{
    return WithPageFaults(context_, std::move(page));
}

httplib::Server::Handler SiteSessions::InSession(SessionPageHandler page) const
{
    return WithPageFaults(context_, [this, page = std::move(page)](const httplib::Request& req, httplib::Response& res) {
        auto visitor = VisitorOf(req);
        if (!visitor) {
            sessionEnded_(req, res);
            return;
        }
        try {
            page(*visitor, req, res);
        } catch (const BrokerError& error) {
            // The account was removed under a live session, or the market
            // has no such pair: the site refuses, the session stays.
            refused_(res, error.what());
        }
    });
}

std::optional<Visitor> SiteSessions::VisitorOf(const httplib::Request& req) const
{
    std::string token = CookieValue(req, kCookie);
    auto account = context_.sessions.AccountOf(family_, token);
    if (!account)
        return std::nullopt;
    return Visitor{*account, token};
}

void SiteSessions::Admit(const std::string& account, const std::string& landing, httplib::Response& res) const
{
    Count("logonsAccepted");
    std::string token = context_.sessions.Open(family_, account);
    res.set_header("Set-Cookie", std::string(kCookie) + "=" + token + "; Path=/" + family_ + "; HttpOnly");
    SetNoStore(res);
    res.set_redirect("/" + family_ + "/" + landing, 302);
}

void SiteSessions::Close(const httplib::Request& req) const
{
    Count("logoffs");
    context_.sessions.Close(CookieValue(req, kCookie));
}

void SiteSessions::Count(const std::string& what) const
{
    context_.counters.Add(what + "/" + family_);
}

void SiteSessions::Execute(const Visitor& visitor, const httplib::Request& req, httplib::Response& res,
                           const std::string& what, const std::function<void(bool answer)>& trade) const
{
    bool answer = true;
    if (auto fault = context_.faults.TakeOrderFault("expireSession", req.path, visitor.account)) {
        context_.sessions.Close(visitor.token);
        sessionEnded_(req, res);
        if (!fault->execute)
            return;
        answer = false;
    }
    if (answer && AnswerLost(context_, req, visitor.account, res))
        answer = false;
    Count(what);
    trade(answer);
}

bool SiteSessions::OneTimeConfirmations(const Visitor& visitor) const
{
    return context_.broker.GetAccount(family_, visitor.account).oneTimeConfirmations;
}

FamilyRules SideBySideRules()
{
    FamilyRules rules;
    rules.counterTradeCloses = false;
    rules.ticketStyle = TicketStyle::OrderNumber;
    return rules;
}

} // namespace sim
