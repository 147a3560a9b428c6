#pragma once
// One broker session over the pages of a fuzz input: the first byte picks
// the operations, the rest are the pages the site answers with (cut at form
// feeds). The session logs on, reads the net lots and the single positions,
// runs the final check, and, as the first byte says, places an order,
// closes the first position read and moves a pair; then it logs off. No
// operation may let an error escape, and none may crash or hang, whatever
// the pages hold.

#include "broker/TradeApiBase.h"
#include "fuzz/PageBrowser.h"

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzzing {

// The adapter without the settle before each page read: there is no engine
// whose navigation must get time to start.
template <class Adapter>
class Unsettled : public Adapter {
public:
    explicit Unsettled(const TSessionSettings& settings) : Adapter(settings) { this->SettleMilliseconds = 0; }
};

inline TSessionSettings FuzzSessionSettings(BrowserFactory& browsers, const std::string& loginPath)
{
    static const bool cancel = false;
    TSessionSettings settings;
    settings.UserName = "user";
    settings.Password = "pw";
    settings.SubPassword = "pw2";
    settings.AccountName = "fuzz";
    settings.LoginURL = "http://127.0.0.1:8080" + loginPath;
    settings.Slippage = "3";
    settings.MinLotSize = "1";
    settings.MaxLotSize = "10";
    settings.AccountBaseUnitSize = "10000";
    settings.AccountBaseCurrency = "JPY";
    settings.OnLog = [](const std::string&) {};
    settings.OnDetailLog = [](const std::string&) {};
    settings.CancelFlag = &cancel;
    settings.Browsers = &browsers;
    return settings;
}

template <class Adapter>
int RunAdapterOverPages(const std::uint8_t* data, std::size_t size, const std::string& loginPath)
{
    if (size == 0)
        return 0;
    const unsigned plan = data[0];
    PageFeed feed(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    PageBrowserFactory browsers(feed);
    auto session = TTradeApiBase::Create<Unsettled<Adapter>>(FuzzSessionSettings(browsers, loginPath));

    pugi::xml_document signal;
    signal.load_string("<HoldPositionSummary><USDJPY><Breakout UseSystemCount=\"2\" PositionCount=\"1\"/>"
                       "</USDJPY></HoldPositionSummary>");
    pugi::xml_document account;
    const pugi::xml_node holding = account.append_child("HoldPosition");
    const pugi::xml_node moved = account.append_child("MovedPosition");
    const int lots = 1 + static_cast<int>(plan >> 4 & 7);

    TUnitSizeArray units;
    session->EnumUnits(units);
    TTicketArray tickets;
    session->EnumTicket(tickets);
    if (plan & 1)
        session->OpenPosition("USDJPY", plan & 2, lots, holding, moved, "MergePosition", 0);
    if ((plan & 4) && !tickets.empty())
        session->ClosePosition(tickets.front(), plan & 2 ? -1 : lots);
    if (plan & 8)
        session->FixPosition("EURJPY", plan & 2, holding, moved, 2, lots);
    session->EnumTicketEx(holding, signal.document_element(), TUnitSizeArray{TUnitSize{lots, "USDJPY"}});
    pugi::xml_document day;
    session->UpdateAccountInfo(day.append_child("Today"));
    return 0;
}

} // namespace fuzzing
