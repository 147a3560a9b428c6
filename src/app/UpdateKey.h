#pragma once
// The key whose signatures self-update accepts: fixed when the program is
// built (PELLAGO_UPDATE_PUBLIC_KEY). Only a build without one takes the
// tests' key from PELLAGO_TEST_UPDATE_KEY, as the other test switches do.

#include "base/Minisign.h"

#include <optional>
#include <string>

// None when the build trusts no key (or the configured text is unusable).
std::optional<MinisignKey> TrustedUpdateKey();

// What --version says about it.
std::string TrustedUpdateKeyLine();
