#include "LionFxSite.h"

#include "Confirmations.h"
#include "HandheldPage.h"
#include "HttpUtil.h"
#include "LionFxPages.h"
#include "PageFaults.h"

#include <charconv>
#include <memory>

namespace sim {

namespace {

using namespace lionfx;

constexpr const char* kCookie = "JSESSIONID";
constexpr const char* kPrefix = "/lionfx/";
// The largest order the site takes in one go.
constexpr int kMaxOrderLots = 1000;

std::optional<int> ParseCount(const std::string& text)
{
    int value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

void Send(httplib::Response& res, const Page& page)
{
    SendShiftJisPage(res, page.title, page.body);
}

class LionFxSite {
public:
    explicit LionFxSite(SimContext& context) : context_(context), confirmations_(context.counters, kLionFxFamily) {}

    void Register(httplib::Server& server, const std::shared_ptr<LionFxSite>& self);

private:
    // A request of a logged-on user: the account id and the live session.
    struct Visitor {
        std::string account;
        std::string token;
    };
    // What a confirmation executes: an order, or the close of a position.
    struct Pending {
        std::optional<PendingOrder> order;
        long long positionId = 0;
    };
    using Handler = void (LionFxSite::*)(const Visitor&, const httplib::Request&, httplib::Response&);

    std::optional<Visitor> VisitorOf(const httplib::Request& req, httplib::Response& res);
    httplib::Server::Handler InSession(const std::shared_ptr<LionFxSite>& self, Handler handler);

    void LoginForm(const httplib::Request&, httplib::Response& res);
    void LoginAction(const httplib::Request& req, httplib::Response& res);
    void Logout(const httplib::Request& req, httplib::Response& res);

    void Menu(const Visitor&, const httplib::Request&, httplib::Response& res) { Send(res, MenuPage()); }
    void Account(const Visitor& visitor, const httplib::Request&, httplib::Response& res);
    void Inquiry(const Visitor&, const httplib::Request&, httplib::Response& res) { Send(res, InquiryPage()); }
    void SummaryPairs(const Visitor&, const httplib::Request&, httplib::Response& res);
    void PairSummary(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void Trade(const Visitor&, const httplib::Request&, httplib::Response& res) { Send(res, TradePage()); }
    void OrderMenu(const Visitor&, const httplib::Request&, httplib::Response& res) { Send(res, OrderMenuPage()); }
    void OrderForm(const Visitor&, const httplib::Request&, httplib::Response& res);
    void OrderConfirm(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void OrderExecute(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void PositionPairs(const Visitor& visitor, const httplib::Request&, httplib::Response& res);
    void PositionList(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void CloseForm(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void CloseConfirm(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void CloseExecute(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);

    std::vector<Position> PositionsIn(const std::string& account, const std::string& pair) const;
    std::optional<Position> FindPosition(const std::string& account, const std::string& idText) const;
    std::optional<Pending> Submitted(const Visitor& visitor, const httplib::Request& req);
    // The site's rule for a session that ended under an order: the order
    // may or may not have gone through, the user is sent to log on again.
    bool SessionEndsHere(const Visitor& visitor, const httplib::Request& req, httplib::Response& res, bool& execute);

    SimContext& context_;
    Confirmations<Pending> confirmations_;
};

std::optional<LionFxSite::Visitor> LionFxSite::VisitorOf(const httplib::Request& req, httplib::Response& res)
{
    std::string token = CookieValue(req, kCookie);
    auto account = context_.sessions.AccountOf(kLionFxFamily, token);
    if (!account) {
        Send(res, SessionEndedPage());
        return std::nullopt;
    }
    return Visitor{*account, token};
}

httplib::Server::Handler LionFxSite::InSession(const std::shared_ptr<LionFxSite>& self, Handler handler)
{
    return WithPageFaults(context_, [self, handler](const httplib::Request& req, httplib::Response& res) {
        auto visitor = self->VisitorOf(req, res);
        if (!visitor)
            return;
        try {
            (self.get()->*handler)(*visitor, req, res);
        } catch (const BrokerError& error) {
            // The account was removed under a live session, or the market
            // has no such pair: the site refuses, the session stays.
            Send(res, NoticePage("ｴﾗｰ", "お取引できません。(" + std::string(error.what()) + ")"));
        }
    });
}

void LionFxSite::Register(httplib::Server& server, const std::shared_ptr<LionFxSite>& self)
{
    auto plain = [this, self](void (LionFxSite::*handler)(const httplib::Request&, httplib::Response&)) {
        return WithPageFaults(context_, [self, handler](const httplib::Request& req, httplib::Response& res) {
            (self.get()->*handler)(req, res);
        });
    };
    std::string p = kPrefix;
    server.Get(p + "Login.do", plain(&LionFxSite::LoginForm));
    server.Post(p + "LoginAction.do", plain(&LionFxSite::LoginAction));
    server.Get(p + "Logout.do", plain(&LionFxSite::Logout));
    server.Get(p + "Menu.do", InSession(self, &LionFxSite::Menu));
    server.Get(p + "Account.do", InSession(self, &LionFxSite::Account));
    server.Get(p + "Inquiry.do", InSession(self, &LionFxSite::Inquiry));
    server.Get(p + "PositionSummary.do", InSession(self, &LionFxSite::SummaryPairs));
    server.Get(p + "PairSummary.do", InSession(self, &LionFxSite::PairSummary));
    server.Get(p + "Trade.do", InSession(self, &LionFxSite::Trade));
    server.Get(p + "OrderMenu.do", InSession(self, &LionFxSite::OrderMenu));
    server.Get(p + "OrderForm.do", InSession(self, &LionFxSite::OrderForm));
    server.Post(p + "OrderConfirm.do", InSession(self, &LionFxSite::OrderConfirm));
    server.Post(p + "OrderExecute.do", InSession(self, &LionFxSite::OrderExecute));
    server.Get(p + "PositionPairs.do", InSession(self, &LionFxSite::PositionPairs));
    server.Get(p + "PositionList.do", InSession(self, &LionFxSite::PositionList));
    server.Get(p + "CloseForm.do", InSession(self, &LionFxSite::CloseForm));
    server.Post(p + "CloseConfirm.do", InSession(self, &LionFxSite::CloseConfirm));
    server.Post(p + "CloseExecute.do", InSession(self, &LionFxSite::CloseExecute));
}

void LionFxSite::LoginForm(const httplib::Request&, httplib::Response& res)
{
    Send(res, LoginPage(""));
}

void LionFxSite::LoginAction(const httplib::Request& req, httplib::Response& res)
{
    context_.counters.Add("logons/lionfx");
    std::string id = FieldValue(req, "id");
    if (!context_.broker.CheckPassword(kLionFxFamily, id, FieldValue(req, "password"))) {
        Send(res, LoginPage("ﾛｸﾞｲﾝIDまたはﾊﾟｽﾜｰﾄﾞが正しくありません。"));
        return;
    }
    context_.counters.Add("logonsAccepted/lionfx");
    std::string token = context_.sessions.Open(kLionFxFamily, id);
    res.set_header("Set-Cookie", std::string(kCookie) + "=" + token + "; Path=/lionfx; HttpOnly");
    SetNoStore(res);
    res.set_redirect(std::string(kPrefix) + "Menu.do", 302);
}

void LionFxSite::Logout(const httplib::Request& req, httplib::Response& res)
{
    context_.counters.Add("logoffs/lionfx");
    context_.sessions.Close(CookieValue(req, kCookie));
    Send(res, LogoutPage());
}

void LionFxSite::Account(const Visitor& visitor, const httplib::Request&, httplib::Response& res)
{
    Send(res, AccountPage(context_.broker.FiguresOf(kLionFxFamily, visitor.account)));
}

void LionFxSite::SummaryPairs(const Visitor&, const httplib::Request&, httplib::Response& res)
{
    std::vector<std::string> pairs;
    for (const auto& quote : context_.broker.Prices())
        pairs.push_back(quote.first);
    Send(res, SummaryPairsPage(pairs));
}

void LionFxSite::PairSummary(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    std::string pair = FieldValue(req, "pair");
    if (!context_.broker.Price(pair)) {
        Send(res, NoticePage("ｴﾗｰ", "指定の通貨ﾍﾟｱはお取り扱いしていません。"));
        return;
    }
    int buyLots = 0;
    int sellLots = 0;
    for (const Position& position : PositionsIn(visitor.account, pair))
        (position.buy ? buyLots : sellLots) += position.lots;
    Send(res, PairSummaryPage(pair, buyLots, sellLots));
}

void LionFxSite::OrderForm(const Visitor&, const httplib::Request&, httplib::Response& res)
{
    std::vector<std::string> pairs;
    for (const auto& quote : context_.broker.Prices())
        pairs.push_back(quote.first);
    Send(res, OrderFormPage(pairs));
}

void LionFxSite::OrderConfirm(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    PendingOrder order;
    order.pair = FieldValue(req, "comCode");
    std::string side = FieldValue(req, "tradeSignAsString");
    std::string straddle = FieldValue(req, "straddlingAsString");
    auto lots = ParseCount(FieldValue(req, "orderCount"));
    auto rate = context_.broker.Price(order.pair);
    if (!rate || (side != "B" && side != "S") || (straddle != "0" && straddle != "1")) {
        Send(res, NoticePage("ｴﾗｰ", "注文内容に誤りがあります。"));
        return;
    }
    if (FieldValue(req, "oexcSignAsString") != "00") {
        Send(res, NoticePage("ｴﾗｰ", "この執行条件はお取り扱いしていません。"));
        return;
    }
    if (!lots || *lots < 1 || *lots > kMaxOrderLots) {
        Send(res, NoticePage("ｴﾗｰ", "枚数は1から" + std::to_string(kMaxOrderLots) + "までで入力してください。"));
        return;
    }
    order.buy = side == "B";
    order.lots = *lots;
    order.straddle = straddle == "1";
    std::string token = confirmations_.Remember(visitor.account, Pending{order, 0});
    Send(res, OrderConfirmPage(order, *rate, token));
}

bool LionFxSite::SessionEndsHere(const Visitor& visitor, const httplib::Request& req, httplib::Response& res,
                                 bool& execute)
{
    auto fault = context_.faults.TakeOrderFault("expireSession", req.path, visitor.account);
    if (!fault)
        return false;
    context_.sessions.Close(visitor.token);
    execute = fault->execute;
    Send(res, SessionEndedPage());
    return true;
}

void LionFxSite::OrderExecute(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    auto pending = Submitted(visitor, req);
    if (!pending || !pending->order) {
        Send(res, NoticePage("ｴﾗｰ", "この注文は受付済みか、有効期限が切れています。"));
        return;
    }
    const PendingOrder& order = *pending->order;
    bool execute = true;
    bool ended = SessionEndsHere(visitor, req, res, execute);
    if (!execute)
        return;
    context_.counters.Add("orders/lionfx");
    OrderResult result =
        context_.broker.PlaceOrder(kLionFxFamily, visitor.account, order.pair, order.buy, order.lots, order.straddle);
    if (!ended && !AnswerLost(context_, req, visitor.account, res))
        Send(res, OrderDonePage(result));
}

void LionFxSite::PositionPairs(const Visitor& visitor, const httplib::Request&, httplib::Response& res)
{
    std::vector<std::pair<std::string, int>> pairs;
    for (const auto& quote : context_.broker.Prices()) {
        int count = static_cast<int>(PositionsIn(visitor.account, quote.first).size());
        if (count > 0)
            pairs.emplace_back(quote.first, count);
    }
    Send(res, PositionPairsPage(pairs));
}

void LionFxSite::PositionList(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    std::string pair = FieldValue(req, "pair");
    std::vector<Position> positions = PositionsIn(visitor.account, pair);
    auto page = ParseCount(FieldValue(req, "page"));
    int count = static_cast<int>(positions.size());
    if (!page || *page < 1 || *page > count) {
        Send(res, NoPositionPage(pair));
        return;
    }
    Send(res, PositionPage(positions[static_cast<size_t>(*page - 1)], *page, count));
}

void LionFxSite::CloseForm(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    auto position = FindPosition(visitor.account, FieldValue(req, "position"));
    if (!position) {
        Send(res, NoticePage("ｴﾗｰ", "指定の建玉は存在しません。"));
        return;
    }
    Send(res, CloseFormPage(*position));
}

void LionFxSite::CloseConfirm(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    auto position = FindPosition(visitor.account, FieldValue(req, "position"));
    if (!position) {
        Send(res, NoticePage("ｴﾗｰ", "指定の建玉は存在しません。"));
        return;
    }
    if (FieldValue(req, "oexcSignAsString") != "00") {
        Send(res, NoticePage("ｴﾗｰ", "この執行条件はお取り扱いしていません。"));
        return;
    }
    std::string token = confirmations_.Remember(visitor.account, Pending{std::nullopt, position->id});
    Send(res, CloseConfirmPage(*position, token));
}

void LionFxSite::CloseExecute(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    auto pending = Submitted(visitor, req);
    if (!pending || pending->order) {
        Send(res, NoticePage("ｴﾗｰ", "この注文は受付済みか、有効期限が切れています。"));
        return;
    }
    if (!FindPosition(visitor.account, std::to_string(pending->positionId))) {
        Send(res, NoticePage("ｴﾗｰ", "指定の建玉は存在しません。"));
        return;
    }
    bool execute = true;
    bool ended = SessionEndsHere(visitor, req, res, execute);
    if (!execute)
        return;
    context_.counters.Add("closes/lionfx");
    Execution execution = context_.broker.ClosePosition(kLionFxFamily, visitor.account, pending->positionId, 0);
    if (!ended && !AnswerLost(context_, req, visitor.account, res))
        Send(res, CloseDonePage(execution));
}

std::vector<Position> LionFxSite::PositionsIn(const std::string& account, const std::string& pair) const
{
    std::vector<Position> result;
    for (const Position& position : context_.broker.GetAccount(kLionFxFamily, account).positions)
        if (position.pair == pair)
            result.push_back(position);
    return result;
}

std::optional<Position> LionFxSite::FindPosition(const std::string& account, const std::string& idText) const
{
    for (const Position& position : context_.broker.GetAccount(kLionFxFamily, account).positions)
        if (std::to_string(position.id) == idText)
            return position;
    return std::nullopt;
}

std::optional<LionFxSite::Pending> LionFxSite::Submitted(const Visitor& visitor, const httplib::Request& req)
{
    bool oneTime = context_.broker.GetAccount(kLionFxFamily, visitor.account).oneTimeConfirmations;
    return confirmations_.Submit(visitor.account, FieldValue(req, "token"), oneTime);
}

} // namespace

void RegisterLionFx(httplib::Server& server, SimContext& context)
{
    FamilyRules rules;
    rules.counterTradeCloses = true;
    rules.ticketStyle = TicketStyle::ExecutionTime;
    rules.unitSize = 10000;
    rules.currency = "JPY";
    context.broker.DefineFamily(kLionFxFamily, rules);
    auto site = std::make_shared<LionFxSite>(context);
    site->Register(server, site);
}

} // namespace sim
