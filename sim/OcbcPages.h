#pragma once
// The pages of the OCBC site family, a handheld broker site, made from the
// broker's records. Client programs read these pages line by line from their
// source, so every marker below stands on a line of its own: the account
// lines "(1)口座資産"/"(2)評価損益" with the figure in the line's first tag,
// and in the settlement list the lines "通貨ペア:", "約定R:", "買:"/"売:" and
// "注文番号:" with the position's "pbangou=" link. Link texts ("メニューへ",
// "口座状況", "注文", "新規注文", "決済", "ログアウト") and form field names
// ("loginId", "password", "newPassword", "newPasswordConfirm", "baibaiKubun",
// "suuryou", "kyoyouSlip", "submit") are the site's interface.

#include "Broker.h"

#include <string>
#include <utility>
#include <vector>

namespace sim::ocbc {

struct Page {
    std::string title;
    std::string body;
};

// The order form's sides.
inline constexpr const char* kSell = "1";
inline constexpr const char* kBuy = "2";

Page LoginPage(const std::string& message);
Page LogoutPage();
// Any page asked for without a live session.
Page SessionEndedPage();
// A refusal or a notice inside a session, with the way back to the menu.
Page NoticePage(const std::string& message);

// Password expiry: the notice, the form, its confirmation and the end. The
// key ties the steps to the account that logged on.
Page PasswordExpiredPage(const std::string& key);
Page PasswordFormPage(const std::string& key, const std::string& message);
Page PasswordConfirmPage(const std::string& key);
Page PasswordChangedPage();

Page MenuPage(const std::string& accountName);
Page AccountPage(const Figures& figures);
// One "新規注文" link per pair, the pair code in the link's last segment.
Page OrderMenuPage(const std::vector<std::pair<std::string, double>>& quotes);
// The order and close forms carry the token their submit is taken by.
Page OrderFormPage(const std::string& pair, double rate, const std::string& token);
Page OrderDonePage(const OrderResult& result);
// Positions grouped by pair; within a group a rate equal to the one above
// is not repeated.
Page SettlementListPage(const std::vector<Position>& positions);
Page PositionPage(const Position& position);
Page CloseFormPage(const Position& position, const std::string& token);
Page CloseDonePage(const Execution& execution);

} // namespace sim::ocbc
