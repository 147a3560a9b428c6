#pragma once
// The Cosmo site family under /cosmo/: PC pages in UTF-8 addressed by name
// (Login.do, Home.do, ViewAccountMargin.do, ListContract.do,
// NewSingleOrder.do, Logout.do). Buy and sell positions stand side by
// side; the position list is paged beyond 29 positions until a larger page
// size is chosen; orders and closes go through an entry page and a
// confirmation. A page asked for without a live session leads back to
// Login.do.

#include "SimContext.h"

#include <httplib.h>

namespace sim {

inline constexpr const char* kCosmoFamily = "cosmo";

// Defines the family's house rules in the broker and adds its pages.
void RegisterCosmo(httplib::Server& server, SimContext& context);

} // namespace sim
