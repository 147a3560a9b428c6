// Cosmo's pages replaced by arbitrary HTML (see AdapterFuzzing.h).
#include "broker/Cosmo.h"
#include "fuzz/AdapterFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzzing::RunAdapterOverPages<TCosmo>(data, size, "/cosmo/Login.do");
}
