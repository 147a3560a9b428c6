#include "SimOptions.h"

#include <arpa/inet.h>
#include <charconv>

namespace sim {

bool IsLoopbackHost(const std::string& host)
{
    if (host == "localhost" || host == "::1")
        return true;
    in_addr address{};
    if (inet_pton(AF_INET, host.c_str(), &address) != 1)
        return false;
    return (ntohl(address.s_addr) >> 24) == 127;
}

namespace {

bool ParseListen(const std::string& text, SimOptions& options, std::string& error)
{
    size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        error = "--listen needs HOST:PORT";
        return false;
    }
    std::string host = text.substr(0, colon);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    std::string port = text.substr(colon + 1);
    int value = -1;
    auto result = std::from_chars(port.data(), port.data() + port.size(), value);
    if (port.empty() || result.ec != std::errc() || result.ptr != port.data() + port.size() || value < 0 ||
        value > 65535) {
        error = "not a port: " + port;
        return false;
    }
    if (!IsLoopbackHost(host)) {
        error = "pellago-sim listens on loopback only, not on " + host;
        return false;
    }
    options.host = host;
    options.port = value;
    return true;
}

} // namespace

std::optional<SimOptions> ParseSimOptions(const std::vector<std::string>& args, std::string& error)
{
    SimOptions options;
    bool listen = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if ((arg == "--listen" || arg == "--state") && i + 1 >= args.size()) {
            error = arg + " needs a value";
            return std::nullopt;
        }
        if (arg == "--listen") {
            if (!ParseListen(args[++i], options, error))
                return std::nullopt;
            listen = true;
        } else if (arg == "--state") {
            options.stateFile = args[++i];
        } else {
            error = "unknown argument: " + arg;
            return std::nullopt;
        }
    }
    if (!listen) {
        error = "usage: pellago-sim --listen 127.0.0.1:PORT [--state FILE]";
        return std::nullopt;
    }
    return options;
}

} // namespace sim
