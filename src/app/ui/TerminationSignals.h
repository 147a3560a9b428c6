#pragma once
// SIGTERM, SIGINT and SIGHUP end the program the normal way (settings
// written), delivered through the event loop rather than inside the handler.

#include <functional>

void RouteTerminationSignals(std::function<void()> onSignal);
