#include "app/ServiceEndpoints.h"

#include "base/AkUnit.h"

#include <sstream>

ServiceEndpoints DefaultServiceEndpoints()
{
    ServiceEndpoints e;
    e.webBase = "http://www.pellago.example";
    e.mailHost = "mail.pellago.example";
    e.mailPort = 110;
    e.mailboxSuffix = "_signal@pellago.example";
    e.supportAddress = "support@pellago.example";
    return e;
}

namespace {

void ApplySetting(ServiceEndpoints& e, const std::string& key, const std::string& value)
{
    if (key == "web_base") {
        e.webBase = value;
        while (!e.webBase.empty() && e.webBase.back() == '/')
            e.webBase.pop_back();
    } else if (key == "mail_host") {
        e.mailHost = value;
    } else if (key == "mail_port") {
        long long port = 0;
        if (TryParseInteger(value, port) && port > 0 && port < 65536)
            e.mailPort = static_cast<int>(port);
    } else if (key == "mailbox_suffix") {
        e.mailboxSuffix = value;
    } else if (key == "support_address") {
        e.supportAddress = value;
    }
}

} // namespace

ServiceEndpoints ParseServiceEndpoints(const std::string& confText)
{
    ServiceEndpoints e = DefaultServiceEndpoints();
    std::istringstream in(confText);
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        ApplySetting(e, Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
    return e;
}

ServiceEndpoints CurrentServiceEndpoints()
{
    std::string bytes;
    if (!ReadFileBytes(ProgramPath("service.conf"), bytes))
        return DefaultServiceEndpoints();
    return ParseServiceEndpoints(bytes);
}

std::string ServiceUrl(const ServiceEndpoints& endpoints, const std::string& path)
{
    return endpoints.webBase + path;
}

std::string SignalMailboxUser(const ServiceEndpoints& endpoints, const std::string& loginId)
{
    return loginId + endpoints.mailboxSuffix;
}
