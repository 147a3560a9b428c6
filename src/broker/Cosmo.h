#pragma once
// The Cosmo broker's site. Its pages are addressed by name relative to the
// log-on page's folder, forms are filled through named fields, option lists
// and radio buttons, and positions are read from the rows of a paged table.
// Buy and sell positions stand side by side, so a pair's net position is
// moved by closing opposite positions first and opening the rest.

#include "broker/TradeApiBase.h"

#include <string>
#include <vector>

class TCosmo : public TTradeApiBase {
public:
    explicit TCosmo(const TSessionSettings& settings);

    bool LogOn(const std::string& user, const std::string& password) override;
    bool LogOff() override;
    bool OpenPosition(const std::string& pair, bool buy, int lots, pugi::xml_node holding,
                      pugi::xml_node moved, const std::string& tag, double ratio) override;
    // lots -1 closes the whole position, a positive count that many lots.
    bool ClosePosition(const TTicket& ticket, int lots) override;
    bool EnumTicket(TTicketArray& tickets) override;
    bool FixPosition(const std::string& pair, bool buy, pugi::xml_node holding, pugi::xml_node moved,
                     int maxLotsPerOrder, int lots) override;

private:
    bool SubmitLogOnForm(const std::string& user, const std::string& password);
    void ReadMarginTables();
    // ListContract.do, switched to its largest page size when the list is long.
    bool OpenPositionTable();
    // The rows of the position table, in page order; none without a table.
    std::vector<ElementHandle> PositionRows();
    TTicket TicketOfRow(ElementHandle row);
    // The first row that lists exactly this position, or -1.
    ElementHandle RowOf(const TTicket& ticket);
    // NavigateBegin, click, and the page wait whose result the site's walk
    // ignores; false only when the answer to a submitted form was lost.
    bool ClickAndWait(ElementHandle element);
    // "confirmBtn", then "orderBtn"; false when an answer was lost on the way.
    bool ConfirmAndOrder();
};
