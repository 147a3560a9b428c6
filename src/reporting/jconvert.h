#pragma once
// Detection of and conversion between the Japanese codes, on byte strings.

#include <string>

enum JapaneseCode {
    kCodeAscii = 0,
    kCodeBinary = 1,
    kCodeIso2022Jp = 2,
    kCodeOldJis = 3,
    kCodeEucJp = 4,
    kCodeShiftJis = 5,
    kCodeEucOrShiftJis = 6,
};

int DetectJapaneseCode(const std::string& text);
std::string ConvertJapaneseCode(const std::string& text, int targetCode);
