#pragma once
// The OCBC site family under /ocbc/: handheld pages in Shift_JIS, walked by
// link texts and read line by line. Buy and sell positions stand side by
// side; an order executes on its form's submit, a close on its close form's.
// A password that has expired must be changed right after the log-on. The
// log-on page is /ocbc/Login.do.

#include "SimContext.h"

#include <httplib.h>

namespace sim {

inline constexpr const char* kOcbcFamily = "ocbc";

// Defines the family's house rules in the broker and adds its pages.
void RegisterOcbc(httplib::Server& server, SimContext& context);

} // namespace sim
