#include "OcbcSite.h"

#include "Confirmations.h"
#include "HandheldPage.h"
#include "HttpUtil.h"
#include "OcbcPages.h"
#include "SiteSessions.h"

#include <map>
#include <memory>
#include <mutex>
#include <random>

namespace sim {

namespace {

using namespace ocbc;

// The largest order the site takes in one go.
constexpr int kMaxOrderLots = 1000;
constexpr int kMaxSlippage = 999;

std::string NewKey()
{
    static thread_local std::mt19937_64 random{std::random_device{}()};
    return std::to_string(random());
}

void Send(httplib::Response& res, const Page& page)
{
    SendShiftJisPage(res, page.title, page.body);
}

// Why an order or a close form is refused; empty when it is accepted. An
// empty slippage means the site's own; anything else must be whole pips.
std::string Refusal(const std::string& lotsCaption, const std::optional<int>& lots, int maxLots,
                    const std::string& slippage)
{
    if (!lots || *lots < 1 || *lots > maxLots)
        return lotsCaption + "は1から" + std::to_string(maxLots) + "までで入力してください。";
    auto pips = ParseWhole(slippage);
    if (!slippage.empty() && (!pips || *pips < 0 || *pips > kMaxSlippage))
        return "許容ｽﾘｯﾌﾟは0から" + std::to_string(kMaxSlippage) + "までで入力してください。";
    return "";
}

class OcbcSite {
public:
    explicit OcbcSite(SimContext& context)
        : context_(context),
          forms_(context.counters, kOcbcFamily),
          desk_(context, kOcbcFamily, [](const httplib::Request&, httplib::Response& res) { Send(res, SessionEndedPage()); },
                [](httplib::Response& res, const std::string& reason) {
                    Send(res, NoticePage("お取引できません。(" + reason + ")"));
                })
    {
    }

    void Register(httplib::Server& server, const std::shared_ptr<OcbcSite>& self);

private:
    // What an order or close form executes: an order in a pair, or the
    // close of a position.
    struct FormPayload {
        std::string pair;
        long long positionId = 0;
    };
    // A password change under way: who logged on, and the new password
    // once it has been entered.
    struct Change {
        std::string account;
        std::string password;
    };

    void LoginAction(const httplib::Request& req, httplib::Response& res);
    void Logout(const httplib::Request& req, httplib::Response& res);
    void PasswordForm(const httplib::Request& req, httplib::Response& res);
    void PasswordConfirm(const httplib::Request& req, httplib::Response& res);
    void PasswordDone(const httplib::Request& req, httplib::Response& res);

    void Menu(const Visitor& visitor, httplib::Response& res);
    void Account(const Visitor& visitor, httplib::Response& res);
    void OrderMenu(httplib::Response& res);
    void OrderForm(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void OrderAction(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void SettlementList(const Visitor& visitor, httplib::Response& res);
    void PositionDetail(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void CloseForm(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);
    void CloseAction(const Visitor& visitor, const httplib::Request& req, httplib::Response& res);

    std::optional<Change> ChangeOf(const std::string& key);
    void KeepChange(const std::string& key, const Change& change);
    std::optional<FormPayload> Submitted(const Visitor& visitor, const httplib::Request& req);

    SimContext& context_;
    Confirmations<FormPayload> forms_;
    SiteSessions desk_;
    std::mutex changesMutex_;
    std::map<std::string, Change> changes_;
};

void OcbcSite::Register(httplib::Server& server, const std::shared_ptr<OcbcSite>& self)
{
    const std::string p = std::string("/") + kOcbcFamily + "/";
    using Req = const httplib::Request&;
    using Res = httplib::Response&;
    server.Get(p + "Login.do", desk_.Page([](Req, Res res) { Send(res, LoginPage("")); }));
    server.Post(p + "LoginAction.do", desk_.Page([self](Req req, Res res) { self->LoginAction(req, res); }));
    server.Get(p + "Logout.do", desk_.Page([self](Req req, Res res) { self->Logout(req, res); }));
    server.Post(p + "PasswordChange.do", desk_.Page([self](Req req, Res res) { self->PasswordForm(req, res); }));
    server.Post(p + "PasswordConfirm.do", desk_.Page([self](Req req, Res res) { self->PasswordConfirm(req, res); }));
    server.Post(p + "PasswordDone.do", desk_.Page([self](Req req, Res res) { self->PasswordDone(req, res); }));

    server.Get(p + "Menu.do", desk_.InSession([self](const Visitor& v, Req, Res res) { self->Menu(v, res); }));
    server.Get(p + "Account.do", desk_.InSession([self](const Visitor& v, Req, Res res) { self->Account(v, res); }));
    server.Get(p + "OrderMenu.do", desk_.InSession([self](const Visitor&, Req, Res res) { self->OrderMenu(res); }));
    server.Get(p + "NewOrder.do",
               desk_.InSession([self](const Visitor& v, Req req, Res res) { self->OrderForm(v, req, res); }));
    server.Post(p + "OrderAction.do",
                desk_.InSession([self](const Visitor& v, Req req, Res res) { self->OrderAction(v, req, res); }));
    server.Get(p + "SettlementList.do",
               desk_.InSession([self](const Visitor& v, Req, Res res) { self->SettlementList(v, res); }));
    server.Get(p + "PositionDetail.do",
               desk_.InSession([self](const Visitor& v, Req req, Res res) { self->PositionDetail(v, req, res); }));
    server.Get(p + "CloseForm.do",
               desk_.InSession([self](const Visitor& v, Req req, Res res) { self->CloseForm(v, req, res); }));
    server.Post(p + "CloseAction.do",
                desk_.InSession([self](const Visitor& v, Req req, Res res) { self->CloseAction(v, req, res); }));
}

void OcbcSite::LoginAction(const httplib::Request& req, httplib::Response& res)
{
    desk_.Count("logons");
    std::string id = FieldValue(req, "loginId");
    if (!context_.broker.CheckPassword(kOcbcFamily, id, FieldValue(req, "password"))) {
        Send(res, LoginPage("ﾛｸﾞｲﾝIDまたはﾊﾟｽﾜｰﾄﾞが違います。"));
        return;
    }
    if (context_.broker.GetAccount(kOcbcFamily, id).passwordExpired) {
        std::string key = NewKey();
        KeepChange(key, Change{id, ""});
        Send(res, PasswordExpiredPage(key));
        return;
    }
    desk_.Admit(id, "Menu.do", res);
}

void OcbcSite::Logout(const httplib::Request& req, httplib::Response& res)
{
    desk_.Close(req);
    Send(res, LogoutPage());
}

void OcbcSite::PasswordForm(const httplib::Request& req, httplib::Response& res)
{
    std::string key = FieldValue(req, "henkouKey");
    if (!ChangeOf(key)) {
        Send(res, LoginPage("お手続きの有効期限が切れました。再度ﾛｸﾞｲﾝしてください。"));
        return;
    }
    Send(res, PasswordFormPage(key, ""));
}

void OcbcSite::PasswordConfirm(const httplib::Request& req, httplib::Response& res)
{
    std::string key = FieldValue(req, "henkouKey");
    auto change = ChangeOf(key);
    if (!change) {
        Send(res, LoginPage("お手続きの有効期限が切れました。再度ﾛｸﾞｲﾝしてください。"));
        return;
    }
    std::string password = FieldValue(req, "newPassword");
    if (password.empty() || password != FieldValue(req, "newPasswordConfirm")) {
        Send(res, PasswordFormPage(key, "新しいﾊﾟｽﾜｰﾄﾞが空欄か、確認用と一致しません。"));
        return;
    }
    if (context_.broker.CheckPassword(kOcbcFamily, change->account, password)) {
        Send(res, PasswordFormPage(key, "現在と同じﾊﾟｽﾜｰﾄﾞには変更できません。"));
        return;
    }
    change->password = password;
    KeepChange(key, *change);
    Send(res, PasswordConfirmPage(key));
}

void OcbcSite::PasswordDone(const httplib::Request& req, httplib::Response& res)
{
    std::string key = FieldValue(req, "henkouKey");
    auto change = ChangeOf(key);
    if (!change || change->password.empty()) {
        Send(res, LoginPage("お手続きの有効期限が切れました。再度ﾛｸﾞｲﾝしてください。"));
        return;
    }
    {
        std::lock_guard lock(changesMutex_);
        changes_.erase(key);
    }
    context_.broker.ChangePassword(kOcbcFamily, change->account, change->password);
    desk_.Count("passwordChanges");
    Send(res, PasswordChangedPage());
}

void OcbcSite::Menu(const Visitor& visitor, httplib::Response& res)
{
    Send(res, MenuPage(context_.broker.GetAccount(kOcbcFamily, visitor.account).name));
}

void OcbcSite::Account(const Visitor& visitor, httplib::Response& res)
{
    Send(res, AccountPage(context_.broker.FiguresOf(kOcbcFamily, visitor.account)));
}

void OcbcSite::OrderMenu(httplib::Response& res)
{
    Send(res, OrderMenuPage(context_.broker.Prices()));
}

void OcbcSite::OrderForm(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    std::string pair = FieldValue(req, "pair");
    auto rate = context_.broker.Price(pair);
    if (!rate) {
        Send(res, NoticePage("指定の通貨ﾍﾟｱはお取り扱いしていません。"));
        return;
    }
    Send(res, OrderFormPage(pair, *rate, forms_.Remember(visitor.account, FormPayload{pair, 0})));
}

void OcbcSite::OrderAction(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    std::string side = FieldValue(req, "baibaiKubun");
    auto lots = ParseWhole(FieldValue(req, "suuryou"));
    std::string refusal = Refusal("数量", lots, kMaxOrderLots, FieldValue(req, "kyoyouSlip"));
    if (side != kBuy && side != kSell)
        refusal = "売買区分を選択してください。";
    if (!refusal.empty()) {
        Send(res, NoticePage(refusal));
        return;
    }
    auto form = Submitted(visitor, req);
    if (!form || form->pair.empty()) {
        Send(res, NoticePage("この注文は受付済みか、有効期限が切れています。"));
        return;
    }
    desk_.Execute(visitor, req, res, "orders", [&](bool answer) {
        OrderResult result =
            context_.broker.PlaceOrder(kOcbcFamily, visitor.account, form->pair, side == kBuy, *lots);
        if (answer)
            Send(res, OrderDonePage(result));
    });
}

void OcbcSite::SettlementList(const Visitor& visitor, httplib::Response& res)
{
    Send(res, SettlementListPage(context_.broker.GetAccount(kOcbcFamily, visitor.account).positions));
}

void OcbcSite::PositionDetail(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    auto position = context_.broker.FindPosition(kOcbcFamily, visitor.account, FieldValue(req, "pbangou"));
    Send(res, position ? PositionPage(*position) : NoticePage("指定の建玉は存在しません。"));
}

void OcbcSite::CloseForm(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    auto position = context_.broker.FindPosition(kOcbcFamily, visitor.account, FieldValue(req, "pbangou"));
    if (!position) {
        Send(res, NoticePage("指定の建玉は存在しません。"));
        return;
    }
    Send(res, CloseFormPage(*position, forms_.Remember(visitor.account, FormPayload{"", position->id})));
}

void OcbcSite::CloseAction(const Visitor& visitor, const httplib::Request& req, httplib::Response& res)
{
    auto position = context_.broker.FindPosition(kOcbcFamily, visitor.account, FieldValue(req, "pbangou"));
    if (!position) {
        Send(res, NoticePage("指定の建玉は存在しません。"));
        return;
    }
    auto lots = ParseWhole(FieldValue(req, "suuryou"));
    std::string refusal = Refusal("決済数量", lots, position->lots, FieldValue(req, "kyoyouSlip"));
    if (!refusal.empty()) {
        Send(res, NoticePage(refusal));
        return;
    }
    auto form = Submitted(visitor, req);
    if (!form || form->positionId != position->id) {
        Send(res, NoticePage("この注文は受付済みか、有効期限が切れています。"));
        return;
    }
    desk_.Execute(visitor, req, res, "closes", [&](bool answer) {
        Execution execution = context_.broker.ClosePosition(kOcbcFamily, visitor.account, position->id, *lots);
        if (answer)
            Send(res, CloseDonePage(execution));
    });
}

std::optional<OcbcSite::FormPayload> OcbcSite::Submitted(const Visitor& visitor, const httplib::Request& req)
{
    return forms_.Submit(visitor.account, FieldValue(req, "token"), desk_.OneTimeConfirmations(visitor));
}

std::optional<OcbcSite::Change> OcbcSite::ChangeOf(const std::string& key)
{
    std::lock_guard lock(changesMutex_);
    auto it = changes_.find(key);
    if (it == changes_.end())
        return std::nullopt;
    return it->second;
}

void OcbcSite::KeepChange(const std::string& key, const Change& change)
{
    std::lock_guard lock(changesMutex_);
    // Changes nobody finished are dropped before they pile up.
    if (changes_.size() > 1000)
        changes_.clear();
    changes_[key] = change;
}

} // namespace

void RegisterOcbc(httplib::Server& server, SimContext& context)
{
    AddSite<OcbcSite>(server, context, kOcbcFamily, SideBySideRules());
}

} // namespace sim
