#include "broker/LionFX.h"

#include "base/AkUnit.h"
#include "broker/AdapterText.h"

#include <array>

namespace {

// Pair link texts, tested in this order; the first one a link contains wins.
constexpr std::array<const char*, 6> kPairLinkTexts = {"EUR/USD", "EUR/GBP", "EUR/JPY",
                                                       "GBP/USD", "GBP/JPY", "USD/JPY"};

// A position list ends where the site offers no "next" link. A site that never
// stops offering one must not hold an unattended run forever.
constexpr int kMaxListPages = 500;

std::string WithoutSlash(const std::string& pair) { return ToUpperAscii(ReplaceAll(pair, "/", "")); }

// A size such as "10枚" as its text "10".
std::string SizeText(const std::string& value) { return Trim(ReplaceAll(value, "枚", "")); }

} // namespace

TLionFXAPI::TLionFXAPI(const TSessionSettings& settings) : TTradeApiBase(settings) {}

// --- Log-on and log-off ------------------------------------------------------

bool TLionFXAPI::LogOn(const std::string& user, const std::string& password) {
    DetailLog("■■ LogOn In");
    if (!WebBrowser) return false;
    try {
        bool loggedOn = false;
        for (int attempt = 1; attempt <= RetryLimit + 10 && !loggedOn; ++attempt) {
            if (CancelRequested()) return false;
            Log("ログインを試みます … " + std::to_string(attempt) + "回目");
            ReportCookies();
            WebBrowser->DeleteCacheEntry(LoginURL);
            WebBrowser->Navigate(LoginURL);
            if (!WaitIE(true)) return false;
            const AttemptOutcome outcome = TryLogOnForm(user, password);
            if (outcome == AttemptOutcome::Failed) return false;
            loggedOn = outcome == AttemptOutcome::LoggedOn;
        }
        if (!loggedOn) return false;

        Log("ログイン成功。口座情報を取得します");
        if (!ClickLinkByAccessKey(1)) return false;
        ReadAccountFigures();
        const bool result = ClickLinkByAccessKey(0);
        DetailLog("■■ LogOn Out");
        return result;
    } catch (...) {
        return false;
    }
}

TLionFXAPI::AttemptOutcome TLionFXAPI::TryLogOnForm(const std::string& user, const std::string& password) {
    bool formFound = true;
    try {
        WebBrowser->SetValue(WebBrowser->ElementByNameOrId("id"), user);
        WebBrowser->SetValue(WebBrowser->ElementByNameOrId("password"), password);
        ClickFirstFormSubmit();
    } catch (...) {
        formFound = false;
    }
    if (!formFound) {
        // Not the log-on form: still logged on from before, or the site
        // ended the session. Either way, start over from the log-on page.
        if (!WaitIE(true)) return AttemptOutcome::Failed;
        if (LogOff() || ClickLink("", "Login.do", true, false, false)) return AttemptOutcome::NextAttempt;
    }
    if (!WaitIE(true)) return AttemptOutcome::Failed;
    // The menu key 5 exists only for a logged-on user.
    if (ClickLinkByAccessKey(5)) return AttemptOutcome::LoggedOn;
    LogOff();
    if (!WaitIE(true)) return AttemptOutcome::Failed;
    return AttemptOutcome::NextAttempt;
}

void TLionFXAPI::ReportCookies() {
    std::string cookies;
    try {
        cookies = WebBrowser->CookiesFor(LoginURL);
    } catch (...) {
        DetailLog("■failed to get buffer size.");
        return;
    }
    DetailLog(cookies.empty() ? "■cookie is not set for this site." : cookies);
}

void TLionFXAPI::ReadAccountFigures() {
    const std::vector<std::string> divs = DivTexts();
    for (size_t i = 0; i + 1 < divs.size(); ++i) {
        if (divs[i].find("証拠金預託額") != std::string::npos) {
            Balance = static_cast<double>(WholeNumber(divs[i + 1]));
        } else if (divs[i].find("有効証拠金額") != std::string::npos) {
            BalancePL = static_cast<double>(WholeNumber(divs[i + 1]));
            break;
        }
    }
}

bool TLionFXAPI::LogOff() {
    ClickLinkByAccessKey(0);
    return ClickLinkByText("ﾛｸﾞｱｳﾄ", false);
}

// --- Page reading --------------------------------------------------------------

std::vector<std::string> TLionFXAPI::DivTexts() {
    std::vector<std::string> texts;
    for (ElementHandle div : WebBrowser->ElementsByTag("div")) texts.push_back(WebBrowser->InnerText(div));
    return texts;
}

std::vector<std::string> TLionFXAPI::CollectPairLinks() {
    std::vector<std::string> pairs;
    for (ElementHandle anchor : WebBrowser->ElementsByTag("a")) {
        const std::string text = WebBrowser->InnerText(anchor);
        for (const char* pair : kPairLinkTexts)
            if (text.find(pair) != std::string::npos) {
                pairs.push_back(pair);
                break;
            }
    }
    return pairs;
}

void TLionFXAPI::UpdateAllPairsFlag() { HeldPairs.AllPairs = HeldPairs.Count() == 0; }

bool TLionFXAPI::Visits(const std::string& pairLink) const {
    return HeldPairs.AllPairs || HeldPairs.Contains(pairLink);
}

// --- Positions -------------------------------------------------------------------

bool TLionFXAPI::EnumTicket(TTicketArray& tickets) {
    DetailLog("■■ EnumTicket In");
    tickets.clear();
    try {
        ClickLinkByAccessKey(0);
        if (!ClickLinkByAccessKey(3) || !ClickLinkByAccessKey(2)) return false;
        const std::vector<std::string> pairs = CollectPairLinks();
        UpdateAllPairsFlag();
        for (const std::string& pair : pairs) {
            if (!Visits(pair)) continue;
            if (!ClickLinkByText(pair, false)) return false;
            int pages = 0;
            do {
                if (++pages > kMaxListPages) {
                    LogListWithoutEnd();
                    return false;
                }
                ReadTicketsOfPage(pair, tickets);
                if (!tickets.empty()) Log("[EnumTicket] " + TicketLine(tickets.back()));
            } while (ClickLinkByAccessKey(2));
            if (!ClickLinkByAccessKey(1)) return false;
        }
        const bool result = ClickLinkByAccessKey(0);
        DetailLog("■■ EnumTicket Out");
        return result;
    } catch (...) {
        return false;
    }
}

void TLionFXAPI::ReadTicketsOfPage(const std::string& pairLink, TTicketArray& tickets) {
    const std::vector<std::string> divs = DivTexts();
    for (size_t i = 0; i + 1 < divs.size(); ++i) {
        const std::string& label = divs[i];
        const std::string& value = divs[i + 1];
        if (label.find("約定日時") != std::string::npos) {
            TTicket ticket;
            ticket.Ticket = value;
            ticket.Pair = WithoutSlash(pairLink);
            tickets.push_back(ticket);
        } else if (tickets.empty()) {
            // A figure before any execution time belongs to no position.
            continue;
        } else if (label.find("売買") != std::string::npos) {
            tickets.back().IsBuy = EqualsNoCase(value, "買");
        } else if (label.find("約定価格") != std::string::npos) {
            tickets.back().OpenRate = Trim(value);
        } else if (label.find("残数量") != std::string::npos) {
            tickets.back().Units = SizeText(value);
        }
    }
}

bool TLionFXAPI::EnumUnits(TUnitSizeArray& units) {
    DetailLog("■■ EnumUnits In");
    units.clear();
    try {
        ClickLinkByAccessKey(0);
        if (!ClickLinkByAccessKey(5) || !ClickLinkByAccessKey(2)) return false;
        const std::vector<std::string> pairs = CollectPairLinks();
        UpdateAllPairsFlag();
        for (const std::string& pair : pairs) {
            if (CancelRequested()) return false;
            if (!Visits(pair)) continue;
            if (!ClickLinkByText(pair, false)) return false;
            const int sum = SumOfSummaryPage();
            const std::string code = WithoutSlash(pair);
            Log("[EnumUnits] " + code + " = " + std::to_string(sum) + " Lot");
            if (sum != 0) {
                units.push_back(TUnitSize{sum, code});
                HeldPairs.Add(pair);
            }
            if (!ClickLinkByAccessKey(2)) return false;
        }
        const bool result = ClickLinkByAccessKey(0);
        DetailLog("■■ EnumUnits Out");
        return result;
    } catch (...) {
        return false;
    }
}

int TLionFXAPI::SumOfSummaryPage() {
    const std::vector<std::string> divs = DivTexts();
    long long sum = 0;
    for (size_t i = 0; i + 1 < divs.size(); ++i) {
        if (divs[i].find("数量") == std::string::npos) continue;
        const long long lots = WholeNumber(SizeText(divs[i + 1]));
        sum += divs[i].find("買") != std::string::npos ? lots : -lots;
    }
    if (sum > INT32_MAX || sum < INT32_MIN) throw BrowserError("net lots out of range");
    return static_cast<int>(sum);
}

// --- Orders ----------------------------------------------------------------------

void TLionFXAPI::ClickFirstFormSubmit() { WebBrowser->Click(FormField(FirstForm(), "submit")); }

void TLionFXAPI::FillOrderForm(const std::string& pair, bool buy, const std::string& lotText) {
    const ElementHandle form = FirstForm();
    const std::string side = buy ? "B" : "S";
    WebBrowser->SetValue(FormField(form, "comCode"), ToUpperAscii(pair));
    bool sideChecked = false;
    for (ElementHandle field : WebBrowser->FormFields(form)) {
        if (WebBrowser->Attribute(field, "name") != "tradeSignAsString" ||
            !EqualsNoCase(WebBrowser->Value(field), side))
            continue;
        WebBrowser->SetChecked(field, true);
        sideChecked = true;
        break;
    }
    // Submitting with the form's preset side could trade the wrong way.
    if (!sideChecked) throw BrowserError("no side " + side + " on the order form");
    WebBrowser->SetValue(FormField(form, "straddlingAsString"), "0");
    WebBrowser->SetValue(FormField(form, "oexcSignAsString"), "00");
    WebBrowser->SetValue(FormField(form, "orderCount"), lotText);
    WebBrowser->Click(FormField(form, "submit"));
}

bool TLionFXAPI::WaitTwice() { return WaitIE(true) && WaitIE(true); }

bool TLionFXAPI::OpenPosition(const std::string& pair, bool buy, int lots, pugi::xml_node, pugi::xml_node,
                              const std::string&, double ratio) {
    DetailLog("■■ OpenPosition In");
    try {
        ClickLinkByAccessKey(0);
        if (!ClickLinkByAccessKey(3) || !ClickLinkByAccessKey(1) || !ClickLinkByAccessKey(1)) return false;
    } catch (...) {
        return false;
    }
    bool result = false;
    try {
        const std::string lotText = lots == 0 ? ComputeLots(ratio) : std::to_string(lots);
        result = PlaceOrder(pair, buy, lotText);
    } catch (...) {
        RecoverFromOrderError();
        return false;
    }
    DetailLog("■■ OpenPosition Out");
    return result;
}

bool TLionFXAPI::PlaceOrder(const std::string& pair, bool buy, const std::string& lotText) {
    FillOrderForm(pair, buy, lotText);
    if (!WaitTwice()) return Unconfirmed();
    HeldPairs.Add(pair);
    ClickFirstFormSubmit(); // the confirmation page
    if (!WaitTwice()) return Unconfirmed();
    if (ClickLink("", "Login.do", true, false, false)) {
        // The site ended the session under the order: whether it went
        // through is unknown until the positions are read again.
        Log("再ログインを要求されました。再ログインします");
        LogOnAndCheck();
        return false;
    }
    return ClickLinkByAccessKey(0);
}

bool TLionFXAPI::RecoverFromOrderError() {
    try {
        // The page before may answer a form; it is not sent again.
        WebBrowser->GoBack();
        if (!WaitIE(true) && AnswerLost) return Unconfirmed();
        ClickLinkByAccessKey(0);
        return true;
    } catch (...) {
        // Nothing more to try; the order's outcome is left to the next read.
        DetailLog("注文画面からの復帰に失敗しました");
        return false;
    }
}

bool TLionFXAPI::ClosePosition(const TTicket& ticket, int) {
    DetailLog("■■ ClosePosition In");
    Log("[ClosePosi] " + TicketLine(ticket));
    try {
        ClickLinkByAccessKey(0);
        if (!ClickLinkByAccessKey(3) || !ClickLinkByAccessKey(2)) return false;
        if (!ClickLinkByText(WithSlash(ticket.Pair), false)) return false;
        const SearchOutcome found = OpenCloseFormOf(ticket);
        if (found == SearchOutcome::Failed) return false;
        if (found == SearchOutcome::NotFound) {
            Log("error! Ticket=" + ticket.Ticket +
                "を決済しようとしましたが、ポジション一覧の最終ページまで行ってもTicketが見当たりません. "
                "このTicketのClose処理は中止します");
            return false;
        }
        if (!ConfirmClose()) return false;
        const bool result = ClickLinkByAccessKey(0);
        DetailLog("■■ ClosePosition Out");
        return result;
    } catch (...) {
        LogUnexpectedError();
        return false;
    }
}

TLionFXAPI::SearchOutcome TLionFXAPI::OpenCloseFormOf(const TTicket& ticket) {
    // An empty ticket text would match the first position of any page.
    if (ticket.Ticket.empty()) return SearchOutcome::NotFound;
    int pages = 0;
    do {
        if (++pages > kMaxListPages) {
            LogListWithoutEnd();
            return SearchOutcome::Failed;
        }
        const std::vector<std::string> divs = DivTexts();
        for (size_t i = 0; i + 1 < divs.size(); ++i) {
            if (divs[i].find("約定日時") == std::string::npos ||
                divs[i + 1].find(ticket.Ticket) == std::string::npos)
                continue;
            return ClickLinkByText("決済", true) ? SearchOutcome::Found : SearchOutcome::Failed;
        }
    } while (ClickLinkByAccessKey(2));
    return SearchOutcome::NotFound;
}

void TLionFXAPI::LogListWithoutEnd() {
    Log("error! ポジション一覧のページが終わりません (" + std::to_string(kMaxListPages) + "ページ)");
}

bool TLionFXAPI::ConfirmClose() {
    const ElementHandle form = FirstForm();
    WebBrowser->SetValue(FormField(form, "oexcSignAsString"), "00");
    WebBrowser->Click(FormField(form, "submit"));
    if (!WaitTwice()) return Unconfirmed();
    ClickFirstFormSubmit(); // the confirmation page
    return WaitTwice() || Unconfirmed();
}
