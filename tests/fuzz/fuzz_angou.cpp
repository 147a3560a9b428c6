// Stored log-in data as anyone may have edited it: AngouDecode of any bytes,
// and every byte string comes back from its own scrambled form. The round
// trip takes the first bytes only: a long text's scrambling redraws until
// its bound (a million bytes' work), which would leave no time to fuzz.
#include "base/Angou.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    AngouDecode(bytes);
    AngouDecodeText(bytes);
    const std::string plain = bytes.substr(0, 12);
    std::mt19937 engine(static_cast<unsigned>(size));
    const AngouRandom random = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine); };
    if (AngouDecode(AngouEncode(plain, random)) != plain)
        std::abort();
    return 0;
}
