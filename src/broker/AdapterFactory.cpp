#include "broker/AdapterFactory.h"

#include "base/AkUnit.h"

TBrokerFamily SelectBrokerFamily(const std::string& accountName) {
    if (ContainsNoCase(accountName, "外為オンライン") || ContainsNoCase(accountName, "FXブロードネット"))
        return TBrokerFamily::OCBC;
    if (ContainsNoCase(accountName, "LionFX")) return TBrokerFamily::LionFX;
    if (ContainsNoCase(accountName, "コスモ")) return TBrokerFamily::Cosmo;
    return TBrokerFamily::None;
}

void TAdapterFactory::Register(TBrokerFamily family, Creator creator) {
    Creators[family] = std::move(creator);
}

TSessionPtr<> TAdapterFactory::Create(const std::string& accountName,
                                      const TSessionSettings& settings) const {
    auto creator = Creators.find(SelectBrokerFamily(accountName));
    if (creator == Creators.end() || !creator->second) return nullptr;
    return creator->second(settings);
}
