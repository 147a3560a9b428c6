#pragma once
// The engine takes its proxy from the process: either the system's own
// settings or one named HTTP proxy for every connection (no bypass list).

#include "broker/Browser.h"

// Applies the choice to the whole process; false when a named server is not
// a usable "host:port". A choice that does not use a proxy changes nothing.
bool ApplyProcessProxy(const BrowserProxy& proxy);
