#pragma once
// What every delivery route shares: the reason of a failure goes to the
// activity log, where the user of an unattended machine looks, and nothing a
// route throws ever reaches the queue (which would then stop sending).

#include "reporting/MailMime.h"

#include <functional>
#include <string>

// "[route] メールを送信できませんでした: reason" in the activity log.
void LogRouteFailure(const std::string& route, const std::string& reason);

// The reason of the last failure logged since the previous call (empty when
// none), so the test mail can name it in its dialog.
std::string TakeRouteFailure();

// Runs `send`; anything it throws is logged as the route's failure and gives Failed.
TMailResult RunMailRoute(const std::string& route, const std::function<TMailResult()>& send);
