#pragma once
// The pages of the Cosmo site family, a PC broker site in UTF-8, made from
// the broker's records. What client programs rely on: the page names, the
// margin tables "有効証拠金額" (cells 0 and 1) and "有効比率" (cell 4), the
// count cell "全N件", the form "pageSize"/"searchBtn", the "PagedList"
// table whose position rows each hold a nested table with
// "closeOrderAmount" (cells 0 ticket, 1 pair, 2 side, 3 lots, 8 rate) and
// the "doForwardCloseSingleOrder" link, and the order fields "productId",
// "buySellType", "orderType", "orderAmount", "expirationType", "confirmBtn"
// and "orderBtn".

#include "Broker.h"

#include <string>
#include <utility>
#include <vector>

namespace sim::cosmo {

// Positions a list shows unless the user picks a larger page size.
inline constexpr int kDefaultPageSize = 29;
// The page sizes offered, smallest first.
inline constexpr int kPageSizes[] = {29, 50, 100, 300};

// "EURJPY" -> "ﾕｰﾛ/円", as the site names pairs.
std::string PairName(const std::string& pair);
// "EURJPY" -> "SPOT_EUR/JPY"; empty for a code that is not one.
std::string ProductCode(const std::string& pair);
std::string PairOfProduct(const std::string& product);

// A whole page: title and body inside the site's frame.
std::string Document(const std::string& title, const std::string& body);

std::string LoginPage(const std::string& message);
std::string LogoutPage();
std::string ErrorPage(const std::string& message);
std::string HomePage(const std::string& accountName, const Figures& figures);
// pending: profit or loss of today's closes, not yet delivered to the deposit.
std::string MarginPage(const Figures& figures, double pending);

struct ListView {
    std::vector<Position> positions; // the whole (filtered) list
    std::vector<std::pair<std::string, double>> quotes;
    std::string pairFilter; // empty: every pair
    int pageSize = kDefaultPageSize;
    int page = 1;
};
std::string ContractListPage(const ListView& view);

// What an order or a close carries from its entry page to its execution.
struct OrderTicket {
    std::string pair;
    bool buy = true;
    int lots = 0;
    std::string orderType;      // MARKET
    std::string expirationType; // DAY or GTC
    long long contractId = 0;   // a close: the position it closes
};
std::string NewOrderPage(const std::vector<std::pair<std::string, double>>& quotes);
// Confirmation pages carry the token their "orderBtn" is taken by.
std::string OrderConfirmPage(const OrderTicket& order, double rate, const std::string& token);
std::string OrderDonePage(const OrderResult& result);
std::string CloseEntryPage(const Position& position, int lots);
std::string CloseConfirmPage(const Position& position, const OrderTicket& close, double rate,
                             const std::string& token);
std::string CloseDonePage(const Execution& execution);

} // namespace sim::cosmo
