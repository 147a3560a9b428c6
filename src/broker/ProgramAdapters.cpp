#include "broker/ProgramAdapters.h"

#include "broker/LionFX.h"

TAdapterFactory ProgramAdapterFactory() {
    TAdapterFactory factory;
    factory.Register(TBrokerFamily::LionFX, [](const TSessionSettings& settings) -> TSessionPtr<> {
        return TTradeApiBase::Create<TLionFXAPI>(settings);
    });
    return factory;
}
