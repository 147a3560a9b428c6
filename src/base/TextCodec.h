#pragma once
// Text inside the program is UTF-8; Shift-JIS text on disk is CP932.

#include <string>

bool IsValidUtf8(const std::string& bytes);
// A character CP932 cannot represent becomes "?"; nothing is dropped.
std::string Utf8ToCp932(const std::string& utf8);
// Bytes that are not valid CP932 become U+FFFD.
std::string Cp932ToUtf8(const std::string& cp932);
// Text that comes from outside: valid UTF-8 stays, anything else is CP932.
std::string DecodeExternalText(const std::string& bytes);
// True when every character of the UTF-8 text has a CP932 form.
bool IsCp932Representable(const std::string& utf8);
