#include "broker/ProgramAdapters.h"

#include "broker/Cosmo.h"
#include "broker/LionFX.h"
#include "broker/OCBC.h"

namespace {

template <class Adapter>
TAdapterFactory::Creator CreatorOf() {
    return [](const TSessionSettings& settings) -> TSessionPtr<> {
        return TTradeApiBase::Create<Adapter>(settings);
    };
}

} // namespace

TAdapterFactory ProgramAdapterFactory() {
    TAdapterFactory factory;
    factory.Register(TBrokerFamily::OCBC, CreatorOf<TOCBCBaseAPI>());
    factory.Register(TBrokerFamily::LionFX, CreatorOf<TLionFXAPI>());
    factory.Register(TBrokerFamily::Cosmo, CreatorOf<TCosmo>());
    return factory;
}
