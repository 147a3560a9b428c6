#pragma once
// The proxy choice a broker session applies to its browser: the program's
// proxy setting as it stood when the run started (use a proxy, and which).

#include <string>

struct TSessionProxy {
    bool UseProxy = false;
    // "host:port"; empty means the desktop's own proxy configuration.
    std::string Server;
};
