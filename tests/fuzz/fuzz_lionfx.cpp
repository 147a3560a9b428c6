// LionFX's handheld pages replaced by arbitrary HTML (see AdapterFuzzing.h).
#include "broker/LionFX.h"
#include "fuzz/AdapterFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzzing::RunAdapterOverPages<TLionFXAPI>(data, size, "/lionfx/Login.do");
}
