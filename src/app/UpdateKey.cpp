#include "app/UpdateKey.h"

#include <cstdlib>

#ifndef PELLAGO_UPDATE_PUBLIC_KEY
#define PELLAGO_UPDATE_PUBLIC_KEY ""
#endif

std::optional<MinisignKey> TrustedUpdateKey()
{
    // A build given a key never takes another from the environment.
    const char* test = std::getenv("PELLAGO_TEST_UPDATE_KEY");
    const std::string built = PELLAGO_UPDATE_PUBLIC_KEY;
    const std::string text = built.empty() && test ? test : built;
    if (text.empty())
        return std::nullopt;
    return ParseMinisignKey(text);
}

std::string TrustedUpdateKeyLine()
{
    const auto key = TrustedUpdateKey();
    return key ? "アップデート署名鍵: " + MinisignFingerprint(*key)
               : "アップデート署名鍵: なし (アップデートは行いません)";
}
