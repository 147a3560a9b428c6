#pragma once
// The LionFX broker's site in its handheld form. The site is walked by the
// numbered access keys of its links, and its pages show figures as pairs of
// consecutive div elements: a label followed by its value. An order in the
// opposite direction closes positions there, so positions are moved with
// OpenPosition only and FixPosition stays the base's configuration error.

#include "broker/Reconciliation.h"
#include "broker/TradeApiBase.h"

#include <string>
#include <vector>

class TLionFXAPI : public TTradeApiBase {
public:
    explicit TLionFXAPI(const TSessionSettings& settings);

    bool LogOn(const std::string& user, const std::string& password) override;
    bool LogOff() override;
    bool OpenPosition(const std::string& pair, bool buy, int lots, pugi::xml_node holding,
                      pugi::xml_node moved, const std::string& tag, double ratio) override;
    // Always closes the whole position; lots is ignored.
    bool ClosePosition(const TTicket& ticket, int lots) override;
    bool EnumTicket(TTicketArray& tickets) override;
    // Reads the per-pair summary pages instead of every position.
    bool EnumUnits(TUnitSizeArray& units) override;

    // Pairs known to hold positions in this account; once it has entries,
    // position reads visit only these pairs. It only grows.
    TCurrencyList HeldPairs;

private:
    // One log-on attempt after the log-on page has loaded.
    enum class AttemptOutcome { LoggedOn, NextAttempt, Failed };
    AttemptOutcome TryLogOnForm(const std::string& user, const std::string& password);
    void ReportCookies();
    void ReadAccountFigures();

    // Texts of the page's div elements, in document order.
    std::vector<std::string> DivTexts();
    // The pair texts ("EUR/USD") of the page's pair links, in link order.
    std::vector<std::string> CollectPairLinks();
    void UpdateAllPairsFlag();
    bool Visits(const std::string& pairLink) const;
    void ReadTicketsOfPage(const std::string& pairLink, TTicketArray& tickets);
    int SumOfSummaryPage();

    void ClickFirstFormSubmit();
    void FillOrderForm(const std::string& pair, bool buy, const std::string& lotText);
    bool WaitTwice();
    bool PlaceOrder(const std::string& pair, bool buy, const std::string& lotText);
    bool RecoverFromOrderError();
    // Walks the pair's position pages to the ticket and opens its close form.
    enum class SearchOutcome { Found, NotFound, Failed };
    SearchOutcome OpenCloseFormOf(const TTicket& ticket);
    void LogListWithoutEnd();
    bool ConfirmClose();
};
