#pragma once
// The LionFX site family in its handheld form, under /lionfx/: Shift_JIS
// pages navigated by numbered access keys, figures as label/value div
// pairs, one position per page in the position lists, and a two-step
// (form, confirmation) order and close. The log-on page is
// /lionfx/Login.do.

#include "SimContext.h"

#include <httplib.h>

namespace sim {

inline constexpr const char* kLionFxFamily = "lionfx";

// Defines the family's house rules in the broker and adds its pages.
void RegisterLionFx(httplib::Server& server, SimContext& context);

} // namespace sim
