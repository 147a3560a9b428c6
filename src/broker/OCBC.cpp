#include "broker/OCBC.h"

#include "base/AkUnit.h"
#include "broker/AdapterText.h"

#include <chrono>
#include <thread>

namespace {

// A line's order number as the settlement list writes it: "注文番号:123 <a ...".
std::string OrderNumberOf(const std::string& line) { return Trim(TextBetween(line, "注文番号:", "<")); }

// The value of a query field in a link target, up to the next field.
std::string QueryValue(const std::string& href, const std::string& field) {
    const auto at = href.find(field + "=");
    if (at == std::string::npos) return "";
    const std::string rest = href.substr(at + field.size() + 1);
    return rest.substr(0, rest.find_first_of("&#"));
}

} // namespace

TOCBCBaseAPI::TOCBCBaseAPI(const TSessionSettings& settings) : TTradeApiBase(settings) {}

// --- Log-on and log-off ------------------------------------------------------

bool TOCBCBaseAPI::LogOn(const std::string& user, const std::string& password) {
    DetailLog("■■ LogOn In");
    if (!WebBrowser) return false;
    try {
        bool useAlternate = true;
        bool loggedOn = false;
        for (int attempt = 1; attempt <= RetryLimit && !loggedOn; ++attempt) {
            if (CancelRequested()) return false;
            // Attempts 1, 3 and 5 use the password in force, 2 and 4 the alternate one.
            useAlternate = !useAlternate;
            const bool alternate = useAlternate && !SubPassword.empty();
            Log("ログインを試みます … " + std::to_string(attempt) + "回目");
            const AttemptOutcome outcome = TryLogOn(user, alternate ? SubPassword : password);
            if (outcome == AttemptOutcome::Failed) return false;
            loggedOn = outcome == AttemptOutcome::LoggedOn;
            // Only a log-on with the alternate password means the roles swap;
            // without one the password in force was used all along.
            if (loggedOn) PasswordChanged = alternate;
        }
        if (!loggedOn) return false;

        Log("ログイン成功。口座情報を取得します");
        ReadAccountFigures();
        const bool result = ClickLinkByText("メニューへ", true);
        DetailLog("■■ LogOn Out");
        return result;
    } catch (...) {
        return false;
    }
}

TOCBCBaseAPI::AttemptOutcome TOCBCBaseAPI::TryLogOn(const std::string& user, const std::string& password) {
    WebBrowser->DeleteCacheEntry(LoginURL);
    WebBrowser->Navigate(LoginURL);
    if (!WaitIE(true)) return AttemptOutcome::Failed;
    WebBrowser->SetValue(WebBrowser->ElementByNameOrId("loginId"), user);
    WebBrowser->SetValue(WebBrowser->ElementByNameOrId("password"), password);
    if (!SubmitFirstForm()) return AttemptOutcome::Failed;
    if (ClickLinkByText("口座状況", false)) return AttemptOutcome::LoggedOn;
    if (WebBrowser->BodyInnerHtml().find("パスワード変更画面へ") != std::string::npos)
        return InstallSubPassword() ? AttemptOutcome::NextAttempt : AttemptOutcome::Failed;
    LogOff();
    return AttemptOutcome::NextAttempt;
}

bool TOCBCBaseAPI::InstallSubPassword() {
    if (SubPassword.empty()) {
        // An empty new password is refused by the site: every further attempt would be doomed.
        Log("パスワードの変更を求められましたが、SubPasswordが空白のため変更できません。"
            "口座タブの「SubPassword」に第二のパスワードを設定してください");
        return false;
    }
    Log("Passwordの有効期限がのこりわずかのため、Passwordを変更します(SubPasswordと入れ替えます)");
    if (!SubmitFirstForm()) return false;
    WebBrowser->SetValue(WebBrowser->ElementByNameOrId("newPassword"), SubPassword);
    WebBrowser->SetValue(WebBrowser->ElementByNameOrId("newPasswordConfirm"), SubPassword);
    WebBrowser->SubmitForm(FirstForm());
    PasswordChanged = true;
    if (!WaitIE(true)) return false;
    return SubmitFirstForm(); // the confirmation
}

bool TOCBCBaseAPI::SubmitFirstForm() {
    WebBrowser->SubmitForm(FirstForm());
    return WaitIE(true);
}

void TOCBCBaseAPI::ReadAccountFigures() {
    for (const std::string& line : BodyLines()) {
        if (line.find("(1)口座資産") != std::string::npos)
            Balance = static_cast<double>(WholeNumber(TextBetween(line, ">", "<")));
        else if (line.find("(2)評価損益") != std::string::npos)
            BalancePL = static_cast<double>(WholeNumber(TextBetween(line, ">", "<"))) + Balance;
    }
}

bool TOCBCBaseAPI::LogOff() {
    ClickLinkByText("メニューへ", true);
    return ClickLinkByText("ログアウト", false);
}

// --- Positions -------------------------------------------------------------------

bool TOCBCBaseAPI::EnumTicket(TTicketArray& tickets) {
    DetailLog("■■ EnumTicket In");
    tickets.clear();
    try {
        ClickLinkByText("メニューへ", true);
        if (!ClickLinkByText("決済", false)) return false;
        // A position's lines name only what differs from the one above.
        std::string pair, rate, size;
        bool buy = true;
        for (const std::string& line : BodyLines()) {
            if (line.find("通貨ペア") != std::string::npos) pair = TextBetween(line, "通貨ペア:", "<");
            if (line.find("約定R") != std::string::npos) rate = TextBetween(line, "約定R:", "<");
            if (line.find("買:") != std::string::npos) {
                size = TextBetween(line, "買:", "<");
                buy = true;
            }
            if (line.find("売:") != std::string::npos) {
                size = "-" + TextBetween(line, "売:", "<");
                buy = false;
            }
            if (line.find("注文番号:") != std::string::npos) {
                TTicket ticket{OrderNumberOf(line), Trim(size), ToUpperAscii(ReplaceAll(pair, "/", "")), Trim(rate),
                               buy};
                tickets.push_back(ticket);
                TTicket shown = ticket;
                shown.Units = ReplaceAll(shown.Units, "-", "");
                Log("[EnumTicket] " + TicketLine(shown));
            }
        }
        DetailLog("■■ EnumTicket Out");
        return true;
    } catch (...) {
        tickets.clear();
        return false;
    }
}

bool TOCBCBaseAPI::OpenPositionPage(const TTicket& ticket) {
    // The order number must equal the ticket: "12" is part of "112" too.
    std::string number;
    for (const std::string& line : BodyLines())
        if (line.find("注文番号") != std::string::npos && !ticket.Ticket.empty() &&
            EqualsNoCase(OrderNumberOf(line), ticket.Ticket)) {
            number = TextBetween(line, "pbangou=", "\"");
            break;
        }
    if (number.empty()) {
        DetailLog("注文番号 " + ticket.Ticket + " の建玉が決済一覧にありません");
        return false;
    }
    return ClickMatchingLink("決済 & pbangou=" + number, [&](ElementHandle anchor) {
        return WebBrowser->InnerHtml(anchor).find("決済") != std::string::npos &&
               QueryValue(WebBrowser->Href(anchor), "pbangou") == number;
    });
}

bool TOCBCBaseAPI::ClosePosition(const TTicket& ticket, int lots) {
    DetailLog("■■ ClosePosition In");
    Log("[ClosePosi] " + TicketLine(ticket));
    try {
        ClickLinkByText("メニューへ", true);
        if (!ClickLinkByText("決済", false)) return false;
        if (!OpenPositionPage(ticket)) return false;
        if (!ClickLinkByText("決済", false) || !WaitIE(true)) return false;
        const ElementHandle form = FirstForm();
        // With -1 the size stays as the site filled it: the whole position.
        if (lots > 0) WebBrowser->SetValue(FormField(form, "suuryou"), std::to_string(lots));
        WebBrowser->SetValue(FormField(form, "kyoyouSlip"), Slippage);
        WebBrowser->Click(FormField(form, "submit"));
        if (!WaitIE(true)) return Unconfirmed();
        ClickLinkByText("メニューへ", true);
        DetailLog("■■ ClosePosition Out");
        Log("[ClosePosi] 正常終了 = True");
        return true;
    } catch (...) {
        LogUnexpectedError();
        return false;
    }
}

// --- Orders ----------------------------------------------------------------------

void TOCBCBaseAPI::FillOrderForm(bool buy, const std::string& lotText) {
    WebBrowser->SetValue(WebBrowser->ElementByNameOrId("suuryou"), lotText);
    WebBrowser->SetValue(WebBrowser->ElementByNameOrId("kyoyouSlip"), Slippage);
    WebBrowser->SetChecked(NamedWithValue("baibaiKubun", buy ? "2" : "1"), true);
    WebBrowser->Click(FormField(FirstForm(), "submit"));
}

bool TOCBCBaseAPI::OpenPosition(const std::string& pair, bool buy, int lots, pugi::xml_node, pugi::xml_node,
                                const std::string&, double ratio) {
    DetailLog("■■ OpenPosition In");
    try {
        ClickLinkByText("メニューへ", true);
        if (!ClickLinkByText("注文", false) || !ClickLink("新規注文", pair, true, false, false)) return false;
        const std::string lotText = lots == 0 ? ComputeLots(ratio) : std::to_string(lots);
        DetailLog("発注直前.(WaitIEを呼び出し、状況をHideAddさせる)");
        WaitIE(false);
        FillOrderForm(buy, lotText);
        if (!WaitIE(true)) return Unconfirmed();
        const bool result = ClickLinkByText("メニューへ", true);
        DetailLog("■■ OpenPosition Out");
        return result;
    } catch (...) {
        return false;
    }
}

bool TOCBCBaseAPI::FixPosition(const std::string& pair, bool buy, pugi::xml_node holding, pugi::xml_node moved,
                               int maxLotsPerOrder, int lots) {
    return FixPositionByCloseThenOpen(pair, buy, holding, moved, maxLotsPerOrder, lots);
}

void TOCBCBaseAPI::PauseAfterFixOrder() { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }
