#include "app/ProxySetting.h"

namespace {
ProxySettingProvider& Provider()
{
    static ProxySettingProvider provider;
    return provider;
}
} // namespace

void SetProxySettingProvider(ProxySettingProvider provider) { Provider() = std::move(provider); }

TProxySetting GetProxySetting()
{
    return Provider() ? Provider()() : TProxySetting{};
}

void ApplyProxySetting(CURL* easy)
{
    TProxySetting proxy = GetProxySetting();
    if (!proxy.UseProxy)
        curl_easy_setopt(easy, CURLOPT_PROXY, ""); // not even the environment's
    else if (!proxy.Address.empty())
        curl_easy_setopt(easy, CURLOPT_PROXY, proxy.Address.c_str());
    // Proxy on without an address: libcurl reads http_proxy and friends.
}
