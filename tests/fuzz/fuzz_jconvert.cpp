// Japanese code detection and conversion over arbitrary bytes, as mail
// subjects, bodies and stored texts arrive.
#include "reporting/jconvert.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    DetectJapaneseCode(text);
    for (int target : {kCodeShiftJis, kCodeIso2022Jp, kCodeEucJp})
        ConvertJapaneseCode(ConvertJapaneseCode(text, target), kCodeShiftJis);
    ShiftJisToIso2022Jp(text);
    return 0;
}
