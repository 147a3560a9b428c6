#pragma once
// The sites of the broker family that shares the OCBC design (外為オンライン,
// FXブロードネット). They are walked by link texts, and positions and
// figures are read line by line from the page source. Buy and sell
// positions stand side by side there, so a pair's net position is moved by
// closing opposite positions first and opening the rest. The log-on swaps
// in the alternate password when the site demands a new one.

#include "broker/TradeApiBase.h"

#include <string>

class TOCBCBaseAPI : public TTradeApiBase {
public:
    explicit TOCBCBaseAPI(const TSessionSettings& settings);

    bool LogOn(const std::string& user, const std::string& password) override;
    bool LogOff() override;
    bool OpenPosition(const std::string& pair, bool buy, int lots, pugi::xml_node holding,
                      pugi::xml_node moved, const std::string& tag, double ratio) override;
    // lots -1 closes the whole position, a positive count that many lots.
    bool ClosePosition(const TTicket& ticket, int lots) override;
    bool EnumTicket(TTicketArray& tickets) override;
    bool FixPosition(const std::string& pair, bool buy, pugi::xml_node holding, pugi::xml_node moved,
                     int maxLotsPerOrder, int lots) override;

protected:
    // A plain sleep: this family's pause lets no window message in.
    void PauseAfterFixOrder() override;

private:
    enum class AttemptOutcome { LoggedOn, NextAttempt, Failed };
    AttemptOutcome TryLogOn(const std::string& user, const std::string& password);
    bool InstallSubPassword();
    bool SubmitFirstForm();
    void ReadAccountFigures();
    // Opens the close page of the position the list names by its order
    // number; false when no line names it or the page does not open.
    bool OpenPositionPage(const TTicket& ticket);
    void FillOrderForm(bool buy, const std::string& lotText);
};
