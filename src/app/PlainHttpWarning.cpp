#include "app/PlainHttpWarning.h"

#include "app/ServiceEndpoints.h"
#include "base/AkUnit.h"
#include "base/Log.h"

#include <arpa/inet.h>
#include <netinet/in.h>

namespace {

const std::string kPlainScheme = "http://";

// The host of "scheme://[user@]host[:port][/path]", brackets of an IPv6
// address kept.
std::string HostOf(const std::string& address)
{
    std::string authority = address.substr(kPlainScheme.size());
    authority = authority.substr(0, authority.find_first_of("/?#"));
    authority = authority.substr(authority.rfind('@') + 1);
    if (!authority.empty() && authority[0] == '[')
        return authority.substr(0, authority.find(']') + 1);
    return authority.substr(0, authority.find(':'));
}

bool IsLoopback(const std::string& host)
{
    if (EqualsNoCase(host, "localhost"))
        return true;
    in_addr v4{};
    if (::inet_pton(AF_INET, host.c_str(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    const bool bracketed = host.size() > 2 && host.front() == '[' && host.back() == ']';
    return bracketed && ::inet_pton(AF_INET6, host.substr(1, host.size() - 2).c_str(), &v6) == 1 &&
           IN6_IS_ADDR_LOOPBACK(&v6);
}

} // namespace

bool TravelsUnencrypted(const std::string& webBase)
{
    const std::string address = Trim(webBase);
    if (address.size() < kPlainScheme.size() || !EqualsNoCase(address.substr(0, kPlainScheme.size()), kPlainScheme))
        return false;
    return !IsLoopback(HostOf(address));
}

void WarnIfServiceUnencrypted()
{
    const std::string webBase = CurrentServiceEndpoints().webBase;
    if (TravelsUnencrypted(webBase))
        AddLog("■ 注意: サービスのアドレス " + webBase +
               " は暗号化されていません。サービスのパスワードとダウンロードするファイルは暗号化されずに送られます。"
               "service.conf の web_base には https:// のアドレスをお使いください");
}
