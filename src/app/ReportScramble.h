#pragma once
// "BugReport.atf": the problem report written to one file in a scrambled
// form that survives mail programs and casual reading. The text is stored
// in CP932; byte i of the file is byte (length - 1 - i) of the text plus 91,
// modulo 256. pellago-report-text turns a file back into the text.

#include <string>

std::string ScrambleBytes(const std::string& bytes);
std::string UnscrambleBytes(const std::string& scrambled);

// Writes the text (UTF-8) scrambled to path, replacing any file there. An
// empty text writes no file. False when the file could not be written.
bool ScrambleReport(const std::string& text, const std::string& path);
