#pragma once
// The control API: JSON over HTTP under /_control/, for tests, the demo and
// rehearsals. It creates accounts, sets prices and positions, reads the
// book, and orders faults. No site page lives under this prefix.

#include "SimContext.h"

#include <httplib.h>

namespace sim {

void RegisterControlApi(httplib::Server& server, SimContext& context);

} // namespace sim
