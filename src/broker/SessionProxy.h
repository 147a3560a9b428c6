#pragma once
// How network operations reach the outside: taken fresh from the settings
// before every operation, so a change in the window applies to the next one.

#include <string>

struct TProxySetting {
    bool UseProxy = false;
    // "host:port"; empty means the desktop's own proxy configuration.
    std::string Server;
};
