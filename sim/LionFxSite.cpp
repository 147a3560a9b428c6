#include "LionFxSite.h"

#include "Confirmations.h"
#include "HandheldPage.h"
#include "HttpUtil.h"
#include "LionFxPages.h"
#include "SiteSessions.h"

#include <memory>

namespace sim {

namespace {

using namespace lionfx;

constexpr const char* kPrefix = "/lionfx/";
// The largest order the site takes in one go.
constexpr int kMaxOrderLots = 1000;

void Send(httplib::Response& res, const Page& page)
{
    SendShiftJisPage(res, page.title, page.body);
}

class LionFxSite {
public:
    explicit LionFxSite(SimContext& context)
        : context_(context),
          confirmations_(context.counters, kLionFxFamily),
          desk_(context, kLionFxFamily, [](const httplib::Request&, httplib::Response& res) { Send(res, SessionEndedPage()); },
                [](httplib::Response& res, const std::string& reason) {
                    Send(res, NoticePage("ｴﾗｰ", "お取引できません。(" + reason + ")"));
                })
    {
    }

    void Register(httplib::Server& server, const std::shared_ptr<LionFxSite>& self);

private:
    // What a confirmation executes: an order, or the close of a position.
    struct Pending {
        std::optional<PendingOrder> order;
        long long positionId = 0;
    };
    using Handler = void (LionFxSite::*)(const Visitor&, const httplib::Request&, httplib::Response&);

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
    std::optional<Pending> Submitted(const Visitor& visitor, const httplib::Request& req);

    SimContext& context_;
    Confirmations<Pending> confirmations_;
    SiteSessions desk_;
};

void LionFxSite::Register(httplib::Server& server, const std::shared_ptr<LionFxSite>& self)
{
    auto plain = [this, self](void (LionFxSite::*handler)(const httplib::Request&, httplib::Response&)) {
        return desk_.Page([self, handler](const httplib::Request& req, httplib::Response& res) {
            (self.get()->*handler)(req, res);
        });
    };
    auto inSession = [this](const std::shared_ptr<LionFxSite>& site, Handler handler) {
        return desk_.InSession([site, handler](const Visitor& visitor, const httplib::Request& req,
                                               httplib::Response& res) { (site.get()->*handler)(visitor, req, res); });
    };
    std::string p = kPrefix;
    server.Get(p + "Login.do", plain(&LionFxSite::LoginForm));
    server.Post(p + "LoginAction.do", plain(&LionFxSite::LoginAction));
    server.Get(p + "Logout.do", plain(&LionFxSite::Logout));
    server.Get(p + "Menu.do", inSession(self, &LionFxSite::Menu));
    server.Get(p + "Account.do", inSession(self, &LionFxSite::Account));
    server.Get(p + "Inquiry.do", inSession(self, &LionFxSite::Inquiry));
    server.Get(p + "PositionSummary.do", inSession(self, &LionFxSite::SummaryPairs));
    server.Get(p + "PairSummary.do", inSession(self, &LionFxSite::PairSummary));
    server.Get(p + "Trade.do", inSession(self, &LionFxSite::Trade));
    server.Get(p + "OrderMenu.do", inSession(self, &LionFxSite::OrderMenu));
    server.Get(p + "OrderForm.do", inSession(self, &LionFxSite::OrderForm));
    server.Post(p + "OrderConfirm.do", inSession(self, &LionFxSite::OrderConfirm));
    server.Post(p + "OrderExecute.do", inSession(self, &LionFxSite::OrderExecute));
    server.Get(p + "PositionPairs.do", inSession(self, &LionFxSite::PositionPairs));
    server.Get(p + "PositionList.do", inSession(self, &LionFxSite::PositionList));
    server.Get(p + "CloseForm.do", inSession(self, &LionFxSite::CloseForm));
    server.Post(p + "CloseConfirm.do", inSession(self, &LionFxSite::CloseConfirm));
    server.Post(p + "CloseExecute.do", inSession(self, &LionFxSite::CloseExecute));
}

void LionFxSite::LoginForm(const httplib::Request&, httplib::Response& res)
{
    Send(res, LoginPage(""));
}

void LionFxSite::LoginAction(const httplib::Request& req, httplib::Response& res)
{
    desk_.Count("logons");
    std::string id = FieldValue(req, "id");
    if (!context_.broker.CheckPassword(kLionFxFamily, id, FieldValue(req, "password"))) {
        Send(res, LoginPage("ﾛｸﾞｲﾝIDまたはﾊﾟｽﾜｰﾄﾞが正しくありません。"));
        return;
    }
    desk_.Admit(id, "Menu.do", res);
}

void LionFxSite::Logout(const httplib::Request& req, httplib::Response& res)
{
    desk_.Close(req);
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
    auto lots = ParseWhole(FieldValue(req, "orderCount"));
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

void LionFxSite::OrderExecute(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    auto pending = Submitted(visitor, req);
    if (!pending || !pending->order) {
        Send(res, NoticePage("ｴﾗｰ", "この注文は受付済みか、有効期限が切れています。"));
        return;
    }
    const PendingOrder& order = *pending->order;
    desk_.Execute(visitor, req, res, "orders", [&](bool answer) {
        OrderResult result = context_.broker.PlaceOrder(kLionFxFamily, visitor.account, order.pair, order.buy,
                                                        order.lots, order.straddle);
        if (answer)
            Send(res, OrderDonePage(result));
    });
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
    auto page = ParseWhole(FieldValue(req, "page"));
    int count = static_cast<int>(positions.size());
    if (!page || *page < 1 || *page > count) {
        Send(res, NoPositionPage(pair));
        return;
    }
    Send(res, PositionPage(positions[static_cast<size_t>(*page - 1)], *page, count));
}

void LionFxSite::CloseForm(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    auto position = context_.broker.FindPosition(kLionFxFamily, visitor.account, FieldValue(req, "position"));
    if (!position) {
        Send(res, NoticePage("ｴﾗｰ", "指定の建玉は存在しません。"));
        return;
    }
    Send(res, CloseFormPage(*position));
}

void LionFxSite::CloseConfirm(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    auto position = context_.broker.FindPosition(kLionFxFamily, visitor.account, FieldValue(req, "position"));
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
    if (!context_.broker.FindPosition(kLionFxFamily, visitor.account, std::to_string(pending->positionId))) {
        Send(res, NoticePage("ｴﾗｰ", "指定の建玉は存在しません。"));
        return;
    }
    desk_.Execute(visitor, req, res, "closes", [&](bool answer) {
        Execution execution = context_.broker.ClosePosition(kLionFxFamily, visitor.account, pending->positionId, 0);
        if (answer)
            Send(res, CloseDonePage(execution));
    });
}

std::vector<Position> LionFxSite::PositionsIn(const std::string& account, const std::string& pair) const
{
    std::vector<Position> result;
    for (const Position& position : context_.broker.GetAccount(kLionFxFamily, account).positions)
        if (position.pair == pair)
            result.push_back(position);
    return result;
}

std::optional<LionFxSite::Pending> LionFxSite::Submitted(const Visitor& visitor, const httplib::Request& req)
{
    return confirmations_.Submit(visitor.account, FieldValue(req, "token"), desk_.OneTimeConfirmations(visitor));
}

} // namespace

void RegisterLionFx(httplib::Server& server, SimContext& context)
{
    FamilyRules rules;
    rules.counterTradeCloses = true;
    rules.ticketStyle = TicketStyle::ExecutionTime;
    AddSite<LionFxSite>(server, context, kLionFxFamily, rules);
}

} // namespace sim
