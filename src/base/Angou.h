#pragma once
// Keyless scrambling of stored log-in data. Works on bytes: callers scramble
// the CP932 bytes of a value so files stay compatible with the Windows program.

#include <functional>
#include <string>

// Returns a uniform integer in [low, high].
using AngouRandom = std::function<int(int low, int high)>;

std::string AngouEncode(const std::string& plain);
std::string AngouEncode(const std::string& plain, const AngouRandom& random);
std::string AngouDecode(const std::string& scrambled);

// Convenience for UTF-8 values: scramble/unscramble their CP932 form.
std::string AngouEncodeText(const std::string& utf8);
std::string AngouDecodeText(const std::string& scrambled);
