#pragma once
// The proxy the downloads use. The window provides the values of
// "Proxyを使用して通信する" (CheckBox17) and the host:port box (Edit11);
// every network operation takes a fresh copy through GetProxySetting.

#include <curl/curl.h>

#include <functional>
#include <string>

struct TProxySetting {
    bool UseProxy = false;
    std::string Address; // "host:port"; empty: the platform's own proxy settings
};

using ProxySettingProvider = std::function<TProxySetting()>;
// An empty provider means no proxy.
void SetProxySettingProvider(ProxySettingProvider provider);
TProxySetting GetProxySetting();

// Sets the proxy of the current TProxySetting on a transfer: the given
// host:port, the environment's proxy variables when the address is empty,
// none when off.
void ApplyProxySetting(CURL* easy);
