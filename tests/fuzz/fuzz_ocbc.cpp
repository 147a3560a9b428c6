// OCBC's pages replaced by arbitrary HTML (see AdapterFuzzing.h).
#include "broker/OCBC.h"
#include "fuzz/AdapterFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzzing::RunAdapterOverPages<TOCBCBaseAPI>(data, size, "/ocbc/Login.do");
}
