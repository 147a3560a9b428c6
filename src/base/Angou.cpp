// Keyless scrambling of log-in data: each byte is hidden behind a random
// letter and spread over four printable characters.
#include "base/Angou.h"

#include "base/TextCodec.h"

#include <algorithm>
#include <random>

namespace {

// Every candidate may be drawn again while it holds both '<' and '>'. The
// bound keeps the total work that of a one-byte text, so long texts (where
// almost every candidate holds both) cannot stall the program.
constexpr long long kMaxCandidateBytes = 1000001;

int SystemRandom(int low, int high)
{
    static std::mt19937 engine{std::random_device{}()};
    return std::uniform_int_distribution<int>(low, high)(engine);
}

void AppendExpanded(unsigned char v, const AngouRandom& random, std::string& out)
{
    const int d = random(1, 7);
    const int q = v / d;
    const int r = v % d;
    const bool qLow = q + 48 < 127;
    out += static_cast<char>(48 + d);
    out += static_cast<char>(qLow ? q + 48 : q);
    out += static_cast<char>(r + 48);
    out += static_cast<char>(qLow ? random(65, 93) : random(48, 57));
}

std::string BuildCandidate(const std::string& plain, const AngouRandom& random)
{
    std::string out;
    out.reserve(plain.size() * 8);
    for (char byte : plain) {
        AppendExpanded(static_cast<unsigned char>(random('a', 'z')), random, out);
        AppendExpanded(static_cast<unsigned char>(byte), random, out);
    }
    return out;
}

bool HoldsBothAngleBrackets(const std::string& text)
{
    return text.find('<') != std::string::npos && text.find('>') != std::string::npos;
}

struct ClassFlags {
    bool qHigh = false;
    bool rHigh = false;
};

// The 4th character of a group says how the 2nd and 3rd were shifted; an
// unknown one keeps the previous group's meaning.
void ReadClass(unsigned char c, ClassFlags& flags)
{
    if (c >= 'A' && c <= ']')
        flags = {false, false};
    else if (c >= '0' && c <= '9')
        flags = {true, false};
    else if (c >= 'a' && c <= 'o')
        flags = {false, true};
    else if (c >= 'p' && c <= '~')
        flags = {true, true};
}

} // namespace

std::string AngouEncode(const std::string& plain)
{
    return AngouEncode(plain, SystemRandom);
}

std::string AngouEncode(const std::string& plain, const AngouRandom& random)
{
    if (plain.empty())
        return {};
    const long long attempts = std::max<long long>(1, kMaxCandidateBytes / static_cast<long long>(plain.size()));
    std::string candidate = BuildCandidate(plain, random);
    for (long long built = 1; built < attempts && HoldsBothAngleBrackets(candidate); ++built)
        candidate = BuildCandidate(plain, random);
    return candidate;
}

std::string AngouDecode(const std::string& scrambled)
{
    std::string collapsed;
    ClassFlags flags;
    for (size_t i = 0; i + 4 <= scrambled.size(); i += 4) {
        const int d = static_cast<unsigned char>(scrambled[i]) - 48;
        int qc = static_cast<unsigned char>(scrambled[i + 1]);
        int rc = static_cast<unsigned char>(scrambled[i + 2]);
        ReadClass(static_cast<unsigned char>(scrambled[i + 3]), flags);
        if (flags.qHigh)
            qc += 48;
        if (flags.rHigh)
            rc += 48;
        collapsed += static_cast<char>((d * (qc - 48) + (rc - 48)) & 0xFF);
    }
    std::string plain;
    for (size_t i = 1; i < collapsed.size(); i += 2)
        plain += collapsed[i];
    return plain;
}

std::string AngouEncodeText(const std::string& utf8)
{
    return AngouEncode(Utf8ToCp932(utf8));
}

std::string AngouDecodeText(const std::string& scrambled)
{
    return Cp932ToUtf8(AngouDecode(scrambled));
}
