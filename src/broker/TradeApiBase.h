#pragma once
// One logged-on session at one broker account. It owns its browser, logs on
// when started, reads the account's figures, and logs off when destroyed.
// Every broker adapter derives from it and supplies the site walks; the
// adjustment and the trade run use only the operations declared here.

#include "broker/Browser.h"
#include "broker/SessionProxy.h"
#include "documents/TradingTypes.h"

#include <pugixml.hpp>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using SessionLog = std::function<void(const std::string& text)>;
// Told true before and false after the automatic reload of an error page.
using ReloadingSwitch = std::function<void(bool reloading)>;

// What the creator hands to a session, straight from the account document.
struct TSessionSettings {
    std::string UserName;
    std::string Password;
    std::string SubPassword;
    std::string AccountName;
    std::string LoginURL;
    std::string Slippage;
    std::string MinLotSize;
    std::string MaxLotSize;
    std::string AccountBaseUnitSize;
    std::string AccountBaseCurrency;
    TSessionProxy Proxy;
    SessionLog OnLog;
    SessionLog OnDetailLog;
    ReloadingSwitch OnReloading;
    // The program-wide cancel request; read, never written, by a session.
    const bool* CancelFlag = nullptr;
    // Where the session's browser comes from. Without a factory the session
    // has no browser (sessions that do not drive a web site).
    BrowserFactory* Browsers = nullptr;
    // The program's window for the browser; none gives the browser a window
    // of its own titled with the account name.
    BrowserHost* Host = nullptr;
};

class TTradeApiBase;

// Owning pointer of a session: logs off before the adapter is torn down, while
// its own LogOff is still reachable.
struct TSessionCloser {
    void operator()(TTradeApiBase* session) const;
};
template <class Adapter = TTradeApiBase>
using TSessionPtr = std::unique_ptr<Adapter, TSessionCloser>;

class TTradeApiBase {
public:
    // Creates an adapter and runs the start-up steps (browser, first page,
    // numeric settings, log-on). The caller checks `Active` afterwards.
    template <class Adapter, class... Extra>
    static TSessionPtr<Adapter> Create(const TSessionSettings& settings, Extra&&... extra) {
        TSessionPtr<Adapter> session(new Adapter(settings, std::forward<Extra>(extra)...));
        session->Start();
        return session;
    }

    explicit TTradeApiBase(const TSessionSettings& settings);
    virtual ~TTradeApiBase();
    TTradeApiBase(const TTradeApiBase&) = delete;
    TTradeApiBase& operator=(const TTradeApiBase&) = delete;

    // --- Operations every adapter provides ------------------------------
    // true: the site walk completed as planned; false: it failed or its
    // outcome is unknown. None of them lets an error escape.
    virtual bool LogOn(const std::string& user, const std::string& password) = 0;
    virtual bool LogOff() = 0;
    virtual bool UpdateAccountInfo(pugi::xml_node accountDay);
    // lots 0: computed from ratio with ComputeLots.
    virtual bool OpenPosition(const std::string& pair, bool buy, int lots, pugi::xml_node holding,
                              pugi::xml_node moved, const std::string& tag, double ratio) = 0;
    // Base version: the broker closes by counter trade, so being asked to fix
    // a position means the account's configuration is wrong.
    virtual bool FixPosition(const std::string& pair, bool buy, pugi::xml_node holding,
                             pugi::xml_node moved, int maxLotsPerOrder, int lots);
    // lots -1: the whole ticket.
    virtual bool ClosePosition(const TTicket& ticket, int lots) = 0;
    virtual bool EnumTicket(TTicketArray& tickets) = 0;
    virtual bool EnumTicketEx(pugi::xml_node holding, pugi::xml_node signalPairs,
                              const TUnitSizeArray& signalLots);
    virtual bool EnumUnits(TUnitSizeArray& units);

    // --- Shared operations ----------------------------------------------
    bool LogOnAndCheck();
    // After a lost answer (AnswerLost) the browser is left on a page with no
    // way on: the session starts again from the log-on page. Always false,
    // the result of the operation whose answer it was: what the form did is
    // unknown until the positions are read again.
    bool Unconfirmed();
    std::string ComputeLots(double ratio) const;
    void Log(const std::string& text) const;
    void DetailLog(const std::string& text) const;
    bool CancelRequested() const;
    // Logs off when logged on and frees the browser. Idempotent.
    void Close();

    // Implemented in TradeApiBaseNavigation.cpp (the browser layer).
    bool WaitIE(bool waitForAddressChange);
    bool NavigateBegin();
    bool NavigateTo(const std::string& address);
    bool NavigateToPage(const std::string& page);
    bool ClickLinkByText(const std::string& text, bool exact);
    bool ClickLinkByAccessKey(int key);
    bool ClickLink(const std::string& text, const std::string& target, bool targetBySegment,
                   bool textExact, bool targetExact);
    void BrowserDownloadBegin();
    void BrowserDownloadComplete();
    void BrowserDocumentComplete();

    // --- Session fields ---------------------------------------------------
    SessionLog OnLog;
    SessionLog OnDetailLog;
    ReloadingSwitch OnReloading;
    // The last wait ended on an error page that answers a submitted form:
    // the form may have done its work, and it was not sent again.
    bool AnswerLost = false;
    int RetryCount = 0;
    int RetryLimit = 5;
    // Seconds a page gets in WaitIE; only tests shorten it.
    int WaitTimeoutSeconds = 30;
    // How long WaitIE gives a click or navigation to start before it reads
    // the browser; only a browser without an engine behind it does without.
    int SettleMilliseconds = 700;
    std::string UserName;
    std::string Password;
    std::string SubPassword;
    double Balance = 0;
    double BalancePL = 0;
    int UnitSize = 0;
    double LotFactor = 0;
    int MinLotSize = 0;
    int MaxLotSize = 0;
    std::string Slippage;
    int PLDigits = 0;
    std::string LoginURL;
    std::string AccountName;
    std::string BaseURL;
    bool DownloadComplete = true;
    int DownloadCount = 0;
    std::string URLBeforeNavigate;
    bool Active = false;
    bool PasswordChanged = false;

protected:
    // The start-up runs after the adapter is fully built, so that LogOn and
    // the other operations reach the adapter's own versions.
    void Start();
    // Close-then-open fix for brokers that hold buy and sell side by side.
    bool FixPositionByCloseThenOpen(const std::string& pair, bool buy, pugi::xml_node holding,
                                    pugi::xml_node moved, int maxLotsPerOrder, int lots);
    // Pause after each order of the close-then-open fix; adapters differ.
    virtual void PauseAfterFixOrder();

    // Implemented in TradeApiBaseNavigation.cpp: makes the browser from
    // Browsers, applies user agent and proxy, loads the first page.
    bool OpenBrowser();
    // Steps of the navigation helpers, also in TradeApiBaseNavigation.cpp.
    bool ReloadErrorPage(bool waitForAddressChange);
    bool NavigateAndWait(const std::string& address, const std::string& logName);
    bool FollowFoundLink(ElementHandle anchor, const std::string& foundMessage);
    // Clicks the first anchor that matches and waits for the page; what the
    // detail log calls the link is `description`.
    bool ClickMatchingLink(const std::string& description, const std::function<bool(ElementHandle)>& matches);

    // Page helpers of the adapters, in TradeApiBasePage.cpp. They raise
    // BrowserError when the page lacks what they look for.
    ElementHandle FirstForm();
    ElementHandle FormField(ElementHandle form, const std::string& name);
    // The first element named `name` (by name or id) whose value is `value`,
    // case ignored: a radio button or check box to pick.
    ElementHandle NamedWithValue(const std::string& name, const std::string& value);
    // Selects the first option of the list `name` whose value is `value`.
    void SelectOption(const std::string& name, const std::string& value);
    // The body's source, line by line.
    std::vector<std::string> BodyLines();
    // An operation ended on an error it did not expect: says so in the log
    // and keeps the page in the detail log.
    void LogUnexpectedError();

    std::unique_ptr<Browser> WebBrowser;
    BrowserFactory* Browsers = nullptr;
    BrowserHost* Host = nullptr;
    TSessionProxy Proxy;

private:
    bool ConvertNumericSettings();
    // Steps of the final check after the positions were read.
    bool CheckTickets(pugi::xml_node holding, pugi::xml_node signalPairs,
                      const TUnitSizeArray& signalLots, TTicketArray& tickets);
    bool CloseOutOfScope(const TTicket& ticket);

    const bool* CancelFlag = nullptr;
    std::string MinLotText;
    std::string MaxLotText;
    std::string UnitSizeText;
    std::string Currency;
};
