#include "app/ReportScramble.h"

#include "base/AkUnit.h"
#include "base/TextCodec.h"

namespace {

constexpr unsigned char kShift = 91;

} // namespace

std::string ScrambleBytes(const std::string& bytes)
{
    std::string scrambled(bytes.rbegin(), bytes.rend());
    for (char& byte : scrambled)
        byte = static_cast<char>(static_cast<unsigned char>(byte) + kShift);
    return scrambled;
}

std::string UnscrambleBytes(const std::string& scrambled)
{
    std::string bytes(scrambled.rbegin(), scrambled.rend());
    for (char& byte : bytes)
        byte = static_cast<char>(static_cast<unsigned char>(byte) - kShift);
    return bytes;
}

bool ScrambleReport(const std::string& text, const std::string& path)
{
    if (text.empty())
        return true;
    return SaveFileAtomically(path, ScrambleBytes(Utf8ToCp932(text)));
}
