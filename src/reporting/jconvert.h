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
// Shift-JIS (CP932) to ISO-2022-JP without detecting first: for callers that
// know their bytes are Shift-JIS, such as a subject of half-width katakana
// only, which detection cannot tell from EUC-JP.
std::string ShiftJisToIso2022Jp(const std::string& sjis);
