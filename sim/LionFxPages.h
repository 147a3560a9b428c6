#pragma once
// The pages of the LionFX handheld site, made from the broker's records.
// Every text a client program reads off these pages is here: the access
// keys, the label/value div pairs, the pair link texts ("EUR/USD"), sizes
// followed by "枚", the form field names and the link texts.
//
// The div list of each page is flat (no div inside another) and holds only
// label/value pairs, so that a div whose text contains a label is always
// the label itself.

#include "Broker.h"

#include <string>
#include <utility>
#include <vector>

namespace sim::lionfx {

struct Page {
    std::string title;
    std::string body;
};

// What a confirmation page holds until the user confirms it.
struct PendingOrder {
    std::string pair;
    bool buy = true;
    int lots = 0;
    bool straddle = false;
};

// "EURUSD" -> "EUR/USD".
std::string PairLabel(const std::string& pair);

Page LoginPage(const std::string& message);
Page LogoutPage();
// Any page asked for without a live session: the way back is Login.do.
Page SessionEndedPage();
// A refusal or a notice inside a session; it offers only the way to the menu.
Page NoticePage(const std::string& title, const std::string& message);

Page MenuPage();
Page AccountPage(const Figures& figures);
Page InquiryPage();
Page SummaryPairsPage(const std::vector<std::string>& pairs);
Page PairSummaryPage(const std::string& pair, int buyLots, int sellLots);

Page TradePage();
Page OrderMenuPage();
Page OrderFormPage(const std::vector<std::string>& pairs);
Page OrderConfirmPage(const PendingOrder& order, double rate, const std::string& token);
Page OrderDonePage(const OrderResult& result);

// Pairs that hold positions, with the number of positions in each.
Page PositionPairsPage(const std::vector<std::pair<std::string, int>>& pairs);
// Page `page` (1-based) of `pages` of a pair's positions: one position.
Page PositionPage(const Position& position, int page, int pages);
Page NoPositionPage(const std::string& pair);
Page CloseFormPage(const Position& position);
Page CloseConfirmPage(const Position& position, const std::string& token);
Page CloseDonePage(const Execution& execution);

} // namespace sim::lionfx
