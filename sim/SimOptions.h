#pragma once
// The simulator's command line:
//   pellago-sim --listen 127.0.0.1:PORT [--state FILE]
// It listens on loopback only; port 0 asks the system for a free port.

#include <optional>
#include <string>
#include <vector>

namespace sim {

struct SimOptions {
    std::string host;
    int port = 0;
    std::string stateFile; // empty: the state lives only in memory
};

// Nothing, with the reason in `error`, when the arguments do not fit.
std::optional<SimOptions> ParseSimOptions(const std::vector<std::string>& args, std::string& error);
// 127.0.0.0/8, "localhost" and "::1".
bool IsLoopbackHost(const std::string& host);

} // namespace sim
