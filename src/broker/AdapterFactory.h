#pragma once
// Which adapter drives an account's broker site, chosen by the account's
// name, and the table from broker family to the adapter that serves it.

#include "broker/TradeApiBase.h"

#include <functional>
#include <map>
#include <string>

enum class TBrokerFamily { None, OCBC, LionFX, Cosmo };

// Tested in this order, without regard to case: "外為オンライン" or
// "FXブロードネット", then "LionFX", then "コスモ".
TBrokerFamily SelectBrokerFamily(const std::string& accountName);

class TAdapterFactory {
public:
    // Makes and starts a session (log-on included).
    using Creator = std::function<TSessionPtr<>(const TSessionSettings& settings)>;

    void Register(TBrokerFamily family, Creator creator);
    // The started session for the account's broker; null when the name selects
    // no family or no adapter serves that family.
    TSessionPtr<> Create(const std::string& accountName, const TSessionSettings& settings) const;

private:
    std::map<TBrokerFamily, Creator> Creators;
};
