#include "app/ServiceContext.h"

namespace {
ServiceHooks& Store()
{
    static ServiceHooks hooks;
    return hooks;
}
} // namespace

void SetServiceHooks(ServiceHooks hooks) { Store() = std::move(hooks); }
const ServiceHooks& CurrentServiceHooks() { return Store(); }
