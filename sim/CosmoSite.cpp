#include "CosmoSite.h"

#include "Confirmations.h"
#include "CosmoPages.h"
#include "HttpUtil.h"
#include "SiteSessions.h"

#include <algorithm>
#include <ctime>
#include <memory>

namespace sim {

namespace {

using namespace cosmo;

// The largest order the site takes in one go.
constexpr int kMaxOrderLots = 500;

void Send(httplib::Response& res, const std::string& html)
{
    SetNoStore(res);
    res.set_content(html, "text/html; charset=UTF-8");
}

void ToLogin(httplib::Response& res)
{
    SetNoStore(res);
    res.set_redirect(std::string("/") + kCosmoFamily + "/Login.do?timeout=1", 302);
}

// Why the order's terms are refused; empty when they are accepted. The
// simulator executes at the market only: resting orders have no book here.
std::string TermsRefusal(const OrderTicket& order)
{
    if (order.orderType != "MARKET")
        return "指値注文はお取り扱いしていません。執行条件で成行を選択してください。";
    if (order.expirationType != "DAY" && order.expirationType != "GTC")
        return "有効期限を選択してください。";
    return "";
}

long long StartOfToday()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    return static_cast<long long>(std::mktime(&local));
}

class CosmoSite {
public:
    explicit CosmoSite(SimContext& context)
        : context_(context),
          confirmations_(context.counters, kCosmoFamily),
          desk_(context, kCosmoFamily, [](const httplib::Request&, httplib::Response& res) { ToLogin(res); },
                [](httplib::Response& res, const std::string& reason) {
                    Send(res, ErrorPage("お取引できません。(" + reason + ")"));
                })
    {
    }

    void Register(httplib::Server& server, const std::shared_ptr<CosmoSite>& self);

private:
    void LoginAction(const httplib::Request& req, httplib::Response& res);
    void Logout(const httplib::Request& req, httplib::Response& res);
    void Home(const Visitor& visitor, httplib::Response& res);
    void Margin(const Visitor& visitor, httplib::Response& res);
    void ContractList(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void ForwardClose(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void ConfirmClose(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void ExecuteClose(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void NewOrder(httplib::Response& res);
    void ConfirmOrder(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void ExecuteOrder(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);

    // The order or close a form describes; empty with the refusal shown.
    std::optional<OrderTicket> OrderOf(const httplib::Request& req, httplib::Response& res);
    std::optional<OrderTicket> CloseOf(const Visitor& visitor, const httplib::Request& req, httplib::Response& res,
                                       Position& position);
    // What the confirmation the request submits executes; nothing, with the
    // refusal shown, for an unknown token or a repeat the account refuses.
    std::optional<OrderTicket> Confirmed(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);

    SimContext& context_;
    Confirmations<OrderTicket> confirmations_;
    SiteSessions desk_;
};

void CosmoSite::Register(httplib::Server& server, const std::shared_ptr<CosmoSite>& self)
{
    const std::string p = std::string("/") + kCosmoFamily + "/";
    using Req = const httplib::Request&;
    using Res = httplib::Response&;
    server.Get(p + "Login.do", desk_.Page([](Req req, Res res) {
        Send(res, LoginPage(req.has_param("timeout") ? "セッションの有効期限が切れました。再度ログインしてください。" : ""));
    }));
    server.Post(p + "LoginAction.do", desk_.Page([self](Req req, Res res) { self->LoginAction(req, res); }));
    server.Get(p + "Logout.do", desk_.Page([self](Req req, Res res) { self->Logout(req, res); }));
    server.Get(p + "Home.do", desk_.InSession([self](const Visitor& v, Req, Res res) { self->Home(v, res); }));
    server.Get(p + "ViewAccountMargin.do",
               desk_.InSession([self](const Visitor& v, Req, Res res) { self->Margin(v, res); }));
    server.Get(p + "ListContract.do",
               desk_.InSession([self](const Visitor& v, Req req, Res res) { self->ContractList(v, req, res); }));
    server.Post(p + "ForwardCloseSingleOrder.do",
                desk_.InSession([self](const Visitor& v, Req req, Res res) { self->ForwardClose(v, req, res); }));
    server.Post(p + "ConfirmCloseSingleOrder.do",
                desk_.InSession([self](const Visitor& v, Req req, Res res) { self->ConfirmClose(v, req, res); }));
    server.Post(p + "ExecuteCloseSingleOrder.do",
                desk_.InSession([self](const Visitor& v, Req req, Res res) { self->ExecuteClose(v, req, res); }));
    server.Get(p + "NewSingleOrder.do", desk_.InSession([self](const Visitor&, Req, Res res) { self->NewOrder(res); }));
    server.Post(p + "ConfirmSingleOrder.do",
                desk_.InSession([self](const Visitor& v, Req req, Res res) { self->ConfirmOrder(v, req, res); }));
    server.Post(p + "ExecuteSingleOrder.do",
                desk_.InSession([self](const Visitor& v, Req req, Res res) { self->ExecuteOrder(v, req, res); }));
}

void CosmoSite::LoginAction(const httplib::Request& req, httplib::Response& res)
{
    desk_.Count("logons");
    std::string id = FieldValue(req, "loginId");
    if (!context_.broker.CheckPassword(kCosmoFamily, id, FieldValue(req, "password"))) {
        Send(res, LoginPage("ログインIDまたはパスワードに誤りがあります。"));
        return;
    }
    desk_.Admit(id, "Home.do", res);
}

void CosmoSite::Logout(const httplib::Request& req, httplib::Response& res)
{
    desk_.Close(req);
    Send(res, LogoutPage());
}

void CosmoSite::Home(const Visitor& visitor, httplib::Response& res)
{
    Send(res, HomePage(context_.broker.GetAccount(kCosmoFamily, visitor.account).name,
                       context_.broker.FiguresOf(kCosmoFamily, visitor.account)));
}

void CosmoSite::Margin(const Visitor& visitor, httplib::Response& res)
{
    // Profit or loss of today's closes reaches the deposit on delivery, the
    // next business day; until then the site lists it apart.
    double pending = 0;
    const long long today = StartOfToday();
    for (const Execution& execution : context_.broker.GetAccount(kCosmoFamily, visitor.account).executions)
        if (execution.kind == "close" && execution.time >= today)
            pending += execution.realized;
    Send(res, MarginPage(context_.broker.FiguresOf(kCosmoFamily, visitor.account), pending));
}

void CosmoSite::ContractList(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    ListView view;
    view.quotes = context_.broker.Prices();
    view.pairFilter = FieldValue(req, "pair");
    for (const Position& position : context_.broker.GetAccount(kCosmoFamily, visitor.account).positions)
        if (view.pairFilter.empty() || position.pair == view.pairFilter)
            view.positions.push_back(position);
    auto size = ParseWhole(FieldValue(req, "pageSize"));
    if (size && std::find(std::begin(kPageSizes), std::end(kPageSizes), *size) != std::end(kPageSizes))
        view.pageSize = *size;
    view.page = ParseWhole(FieldValue(req, "page")).value_or(1);
    Send(res, ContractListPage(view));
}

void CosmoSite::ForwardClose(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    std::vector<std::string> ids = FieldValues(req, "contractId");
    std::vector<std::string> amounts = FieldValues(req, "closeOrderAmount");
    std::vector<size_t> entered;
    for (size_t i = 0; i < amounts.size() && i < ids.size(); ++i)
        if (!amounts[i].empty())
            entered.push_back(i);
    if (entered.empty()) {
        Send(res, ErrorPage("決済する建玉の決済数量を入力してください。"));
        return;
    }
    if (entered.size() > 1) {
        Send(res, ErrorPage("一度に決済できる建玉は1件です。"));
        return;
    }
    auto position = context_.broker.FindPosition(kCosmoFamily, visitor.account, ids[entered[0]]);
    auto lots = ParseWhole(amounts[entered[0]]);
    if (!position) {
        Send(res, ErrorPage("指定の建玉は既に決済されています。"));
        return;
    }
    if (!lots || *lots < 1 || *lots > position->lots) {
        Send(res, ErrorPage("決済数量は1から" + std::to_string(position->lots) + "の範囲で入力してください。"));
        return;
    }
    Send(res, CloseEntryPage(*position, *lots));
}

std::optional<OrderTicket> CosmoSite::CloseOf(const Visitor& visitor, const httplib::Request& req,
                                             httplib::Response& res, Position& position)
{
    auto found = context_.broker.FindPosition(kCosmoFamily, visitor.account, FieldValue(req, "contractId"));
    auto lots = ParseWhole(FieldValue(req, "closeOrderAmount"));
    if (!found || !lots || *lots < 1 || *lots > found->lots) {
        Send(res, ErrorPage("指定の建玉は既に決済されているか、決済数量が建玉数量を超えています。"));
        return std::nullopt;
    }
    OrderTicket close;
    close.pair = found->pair;
    close.buy = !found->buy;
    close.lots = *lots;
    close.orderType = FieldValue(req, "orderType");
    close.expirationType = FieldValue(req, "expirationType");
    close.contractId = found->id;
    if (std::string refusal = TermsRefusal(close); !refusal.empty()) {
        Send(res, ErrorPage(refusal));
        return std::nullopt;
    }
    position = *found;
    return close;
}

void CosmoSite::ConfirmClose(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    Position position;
    if (auto close = CloseOf(visitor, req, res, position))
        Send(res, CloseConfirmPage(position, *close, context_.broker.Price(position.pair).value_or(0),
                                   confirmations_.Remember(visitor.account, *close)));
}

std::optional<OrderTicket> CosmoSite::Confirmed(const Visitor& visitor, const httplib::Request& req,
                                                httplib::Response& res)
{
    auto ticket = confirmations_.Submit(visitor.account, FieldValue(req, "token"), desk_.OneTimeConfirmations(visitor));
    if (!ticket)
        Send(res, ErrorPage("この注文は受付済みか、有効期限が切れています。"));
    return ticket;
}

void CosmoSite::ExecuteClose(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    auto close = Confirmed(visitor, req, res);
    if (!close)
        return;
    auto position = context_.broker.FindPosition(kCosmoFamily, visitor.account, std::to_string(close->contractId));
    if (!position || close->lots > position->lots) {
        Send(res, ErrorPage("指定の建玉は既に決済されているか、決済数量が建玉数量を超えています。"));
        return;
    }
    desk_.Execute(visitor, req, res, "closes", [&](bool answer) {
        Execution execution = context_.broker.ClosePosition(kCosmoFamily, visitor.account, position->id, close->lots);
        if (answer)
            Send(res, CloseDonePage(execution));
    });
}

void CosmoSite::NewOrder(httplib::Response& res)
{
    Send(res, NewOrderPage(context_.broker.Prices()));
}

std::optional<OrderTicket> CosmoSite::OrderOf(const httplib::Request& req, httplib::Response& res)
{
    OrderTicket order;
    order.pair = PairOfProduct(FieldValue(req, "productId"));
    std::string side = FieldValue(req, "buySellType");
    auto lots = ParseWhole(FieldValue(req, "orderAmount"));
    order.orderType = FieldValue(req, "orderType");
    order.expirationType = FieldValue(req, "expirationType");
    std::string refusal;
    if (order.pair.empty() || !context_.broker.Price(order.pair))
        refusal = "通貨ペアを選択してください。";
    else if (side != "BUY" && side != "SELL")
        refusal = "売買を選択してください。";
    else if (!lots || *lots < 1 || *lots > kMaxOrderLots)
        refusal = "数量は1から" + std::to_string(kMaxOrderLots) + "の範囲で入力してください。";
    else
        refusal = TermsRefusal(order);
    if (!refusal.empty()) {
        Send(res, ErrorPage(refusal));
        return std::nullopt;
    }
    order.buy = side == "BUY";
    order.lots = *lots;
    return order;
}

void CosmoSite::ConfirmOrder(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    if (auto order = OrderOf(req, res))
        Send(res, OrderConfirmPage(*order, context_.broker.Price(order->pair).value_or(0),
                                   confirmations_.Remember(visitor.account, *order)));
}

void CosmoSite::ExecuteOrder(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    auto order = Confirmed(visitor, req, res);
    if (!order)
        return;
    desk_.Execute(visitor, req, res, "orders", [&](bool answer) {
        OrderResult result =
            context_.broker.PlaceOrder(kCosmoFamily, visitor.account, order->pair, order->buy, order->lots);
        if (answer)
            Send(res, OrderDonePage(result));
    });
}

} // namespace

void RegisterCosmo(httplib::Server& server, SimContext& context)
{
    AddSite<CosmoSite>(server, context, kCosmoFamily, SideBySideRules());
}

} // namespace sim
