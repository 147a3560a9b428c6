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
