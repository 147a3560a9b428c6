#pragma once
// Applies the faults on order to the pages of the sites and the service
// (never to the control API), and counts the pages served per family.
// Every page handler is registered through WithPageFaults.

#include "SimContext.h"

#include <httplib.h>

namespace sim {

// The prefix of the control API; no site page lives under it.
inline constexpr const char* kControlPrefix = "/_control/";

// Wraps a page handler: the request may meet a broken page instead, be
// held back, or get a page that raises a confirm.
httplib::Server::Handler WithPageFaults(SimContext& context, httplib::Server::Handler page);

// Called by a confirmation right after it executed: true when a
// "lostAnswer" fault takes the answer away, `res` then holding what the
// browser gets instead (an empty page, a dropped connection, the
// server-error page).
bool AnswerLost(SimContext& context, const httplib::Request& req, const std::string& account,
                httplib::Response& res);

// The script a "confirm" fault adds to a page: it asks, then reports the
// answer to the control API so tests can see how the dialog was answered.
std::string ConfirmScript(const std::string& message);

} // namespace sim
