#include "broker/Cosmo.h"

#include "base/AkUnit.h"
#include "broker/AdapterText.h"

#include <array>
#include <utility>

namespace {

// Lists longer than this are paged until the page size is switched.
constexpr long long kLongestUnpagedList = 29;

// The site's Japanese currency names, replaced in this order.
const std::array<std::pair<const char*, const char*>, 7> kCurrencyNames = {{{"ﾕｰﾛ", "EUR"},
                                                                            {"ユーロ", "EUR"},
                                                                            {"ﾎﾟﾝﾄﾞ", "GBP"},
                                                                            {"ポンド", "GBP"},
                                                                            {"米ﾄﾞﾙ", "USD"},
                                                                            {"米ドル", "USD"},
                                                                            {"円", "JPY"}}};

// "ﾕｰﾛ/円" -> "EURJPY".
std::string PairCode(const std::string& text) {
    std::string pair = Trim(text);
    for (const auto& [name, code] : kCurrencyNames) pair = ReplaceAll(pair, name, code);
    return ToUpperAscii(ReplaceAll(pair, "/", ""));
}

bool IsBuyText(const std::string& text) { return Trim(text).find("買") != std::string::npos; }

std::string Unsigned(const std::string& units) { return ReplaceAll(units, "-", ""); }

} // namespace

TCosmo::TCosmo(const TSessionSettings& settings) : TTradeApiBase(settings) {}

// --- Log-on and log-off ------------------------------------------------------

bool TCosmo::LogOn(const std::string& user, const std::string& password) {
    DetailLog("■■ LogOn In");
    BaseURL = TextBefore(LoginURL, "Login.");
    DetailLog("BaseURL = " + BaseURL);
    if (!WebBrowser) return false;
    try {
        bool loggedOn = false;
        for (int attempt = 1; attempt <= RetryLimit + 10 && !loggedOn; ++attempt) {
            if (CancelRequested()) return false;
            Log("ログインを試みます … " + std::to_string(attempt) + "回目");
            WebBrowser->DeleteCacheEntry(LoginURL);
            PumpMessages(0);
            if (!NavigateTo(LoginURL)) return false;
            loggedOn = SubmitLogOnForm(user, password) && WaitIE(true) &&
                       !ContainsNoCase(WebBrowser->LocationUrl(), "Login");
            if (!loggedOn) WebBrowser->Stop();
        }
        if (!loggedOn) return false;

        Log("ログイン成功。口座情報を取得します");
        if (!NavigateToPage("ViewAccountMargin.do")) return false;
        ReadMarginTables();
        DetailLog("■■ LogOn Out");
        return true;
    } catch (...) {
        return false;
    }
}

bool TCosmo::SubmitLogOnForm(const std::string& user, const std::string& password) {
    try {
        NavigateBegin();
        WebBrowser->SetValue(WebBrowser->ElementByNameOrId("loginId"), user);
        WebBrowser->SetValue(WebBrowser->ElementByNameOrId("password"), password);
        DetailLog("login submit!");
        WebBrowser->SubmitForm(FirstForm());
        return true;
    } catch (...) {
        return false;
    }
}

void TCosmo::ReadMarginTables() {
    // Cells count every td of the table in document order, nested ones too.
    const auto cell = [this](ElementHandle table, size_t index) {
        const std::vector<ElementHandle> cells = WebBrowser->ElementsByTagWithin(table, "td");
        if (index >= cells.size()) throw BrowserError("the margin table has too few cells");
        return static_cast<double>(WholeNumber(WebBrowser->InnerText(cells[index])));
    };
    for (ElementHandle table : WebBrowser->ElementsByTag("table")) {
        const std::string text = WebBrowser->InnerText(table);
        if (text.find("有効証拠金額") != std::string::npos) {
            Balance = cell(table, 0);
            BalancePL = cell(table, 1);
        }
        if (text.find("有効比率") != std::string::npos) {
            Balance += cell(table, 4);
            break;
        }
    }
}

bool TCosmo::LogOff() {
    DetailLog("LogOff IN");
    const bool result = NavigateToPage("Logout.do");
    DetailLog("LogOff OUT");
    return result;
}

// --- Positions -------------------------------------------------------------------

bool TCosmo::OpenPositionTable() {
    if (!NavigateToPage("ListContract.do")) return false;
    std::string count = "1000";
    for (ElementHandle cell : WebBrowser->ElementsByTag("td")) {
        const std::string text = WebBrowser->InnerText(cell);
        if (text.find("全") == std::string::npos || text.find("件") == std::string::npos) continue;
        count = Trim(TextBefore(ReplaceAll(text, "全", ""), "件"));
        break;
    }
    Log("建玉全 " + count + " 件");
    long long positions = 0;
    if (!TryParseInteger(count, positions)) throw BrowserError("the position count is not a number: " + count);
    if (positions > kLongestUnpagedList) {
        NavigateBegin();
        Log("List拡張...");
        const std::vector<ElementHandle> sizes =
            WebBrowser->ElementsByTagWithin(FormField(FirstForm(), "pageSize"), "option");
        if (sizes.empty()) throw BrowserError("the page size list is empty");
        WebBrowser->SetSelected(sizes.back(), true);
        WebBrowser->Click(WebBrowser->ElementByNameOrId("searchBtn"));
        WaitIE(false);
    }
    return true;
}

std::vector<ElementHandle> TCosmo::PositionRows() {
    std::vector<ElementHandle> rows;
    for (ElementHandle table : WebBrowser->ElementsByTag("table")) {
        if (WebBrowser->OuterHtml(table).find("PagedList") == std::string::npos) continue;
        for (ElementHandle row : WebBrowser->ElementsByTagWithin(table, "tr")) {
            const std::string html = WebBrowser->OuterHtml(row);
            if (html.find("closeOrderAmount") != std::string::npos && html.find("</table>") != std::string::npos)
                rows.push_back(row);
        }
        break;
    }
    return rows;
}

TTicket TCosmo::TicketOfRow(ElementHandle row) {
    const std::vector<ElementHandle> cells = WebBrowser->ElementsByTagWithin(row, "td");
    if (cells.size() < 9) throw BrowserError("a position row has too few cells");
    const auto text = [&](size_t index) { return Trim(WebBrowser->InnerText(cells[index])); };
    TTicket ticket;
    ticket.Ticket = text(0);
    ticket.Pair = PairCode(text(1));
    ticket.IsBuy = IsBuyText(text(2));
    ticket.Units = (ticket.IsBuy ? "" : "-") + text(3);
    ticket.OpenRate = text(8);
    return ticket;
}

bool TCosmo::EnumTicket(TTicketArray& tickets) {
    DetailLog("■■ EnumTicket In");
    tickets.clear();
    try {
        if (!OpenPositionTable()) return false;
        for (ElementHandle row : PositionRows()) {
            tickets.push_back(TicketOfRow(row));
            TTicket shown = tickets.back();
            shown.Units = Unsigned(shown.Units);
            Log("[EnumTicket] " + TicketLine(shown));
        }
        DetailLog("■■ EnumTicket Out");
        return NavigateToPage("Home.do");
    } catch (...) {
        tickets.clear();
        return false;
    }
}

ElementHandle TCosmo::RowOf(const TTicket& ticket) {
    for (ElementHandle row : PositionRows()) {
        const TTicket listed = TicketOfRow(row);
        if (EqualsNoCase(listed.Ticket, ticket.Ticket) && EqualsNoCase(Unsigned(listed.Units), Unsigned(ticket.Units)) &&
            listed.IsBuy == ticket.IsBuy && EqualsNoCase(listed.OpenRate, ticket.OpenRate))
            return row;
    }
    return -1;
}

bool TCosmo::ClosePosition(const TTicket& ticket, int lots) {
    DetailLog("■■ ClosePosition In");
    Log("[ClosePosi] " + TicketLine(ticket));
    try {
        if (!OpenPositionTable()) return false;
        const ElementHandle row = RowOf(ticket);
        if (row < 0) {
            // Submitting the list without an amount would be an empty close order.
            Log("[ClosePosi] Ticket=" + ticket.Ticket + " の建玉が一覧に見当たりません。決済は行いません");
            return false;
        }
        ElementHandle amount = -1;
        for (ElementHandle input : WebBrowser->ElementsByTagWithin(row, "input"))
            if (WebBrowser->Attribute(input, "name") == "closeOrderAmount") {
                amount = input;
                break;
            }
        if (amount < 0) throw BrowserError("the row has no closeOrderAmount");
        WebBrowser->SetValue(amount, lots < 0 ? Unsigned(ticket.Units) : std::to_string(lots));

        ElementHandle link = -1;
        for (ElementHandle anchor : WebBrowser->ElementsByTag("a"))
            if (WebBrowser->Href(anchor).find("doForwardCloseSingleOrder") != std::string::npos) {
                link = anchor;
                break;
            }
        if (link < 0) throw BrowserError("the list has no close link");
        if (!ClickAndWait(link)) return Unconfirmed();
        WebBrowser->Click(NamedWithValue("expirationType", "DAY"));
        WebBrowser->Click(NamedWithValue("orderType", "MARKET"));
        if (!ConfirmAndOrder()) return Unconfirmed();

        const bool result = NavigateToPage("Home.do");
        DetailLog("■■ ClosePosition Out");
        Log(result ? "[ClosePosi] 正常終了 = True" : "[ClosePosi] 途中終了");
        return result;
    } catch (...) {
        LogUnexpectedError();
        return false;
    }
}

// --- Orders ----------------------------------------------------------------------

bool TCosmo::ClickAndWait(ElementHandle element) {
    NavigateBegin();
    WebBrowser->Click(element);
    return WaitIE(false) || !AnswerLost;
}

bool TCosmo::ConfirmAndOrder() {
    return ClickAndWait(WebBrowser->ElementByNameOrId("confirmBtn")) &&
           ClickAndWait(WebBrowser->ElementByNameOrId("orderBtn"));
}

bool TCosmo::OpenPosition(const std::string& pair, bool buy, int lots, pugi::xml_node, pugi::xml_node,
                          const std::string&, double ratio) {
    DetailLog("■■ OpenPosition In");
    try {
        if (!NavigateToPage("NewSingleOrder.do")) return false;
        const std::string lotText = lots == 0 ? ComputeLots(ratio) : std::to_string(lots);
        SelectOption("productId", "SPOT_" + WithSlash(pair));
        WebBrowser->Click(NamedWithValue("buySellType", buy ? "BUY" : "SELL"));
        WebBrowser->Click(NamedWithValue("orderType", "MARKET"));
        WebBrowser->SetValue(WebBrowser->ElementByNameOrId("orderAmount"), lotText);
        WebBrowser->Click(NamedWithValue("expirationType", "DAY"));
        if (!ConfirmAndOrder()) return Unconfirmed();
        const bool result = NavigateToPage("Home.do");
        DetailLog("■■ OpenPosition Out");
        return result;
    } catch (...) {
        return false;
    }
}

bool TCosmo::FixPosition(const std::string& pair, bool buy, pugi::xml_node holding, pugi::xml_node moved,
                         int maxLotsPerOrder, int lots) {
    return FixPositionByCloseThenOpen(pair, buy, holding, moved, maxLotsPerOrder, lots);
}
