#pragma once
// Common helpers shared by every subsystem: files and folders, string
// cutting, numbers and dates, waiting, and the program folder.
// Strings are UTF-8; files the system keeps in Shift-JIS are CP932 + CR LF.

#include "base/Clock.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// --- Program folder -------------------------------------------------------
// Absolute path of the program folder with a trailing '/'. Every program
// path ("Log/", "Setting/Account.xml", ...) is relative to it.
const std::string& ProgramFolder();
void SetProgramFolder(const std::string& folder);
std::string ProgramPath(const std::string& relative);

// --- User messages ----------------------------------------------------------
// Message boxes of operations go through this sink; the window shows them,
// an unattended or headless run only logs them, so nothing ever blocks.
using UserMessageSink = std::function<void(const std::string& text, const std::string& caption)>;
void SetUserMessageSink(UserMessageSink sink);
void ShowUserMessage(const std::string& text, const std::string& caption = "Pellago");

// --- Waiting ------------------------------------------------------------
// The program wires the pump to its event loop; without one waiting only sleeps.
using MessagePump = std::function<void()>;
void SetMessagePump(MessagePump pump);
// n + 1 times: process pending events, then sleep 1 ms.
void PumpMessages(int n);
// Waits about `milliseconds`, pumping events meanwhile.
void PumpFor(int milliseconds);

// --- Files and folders ----------------------------------------------------
void EnsureDir(const std::string& path);
void EnsureFile(const std::string& path);
void CreateEmptyTextFile(const std::string& path);
bool AppendLine(const std::string& line, const std::string& path);
bool LoadTextFile(const std::string& path, std::string& text);
bool SaveTextFile(const std::string& path, const std::string& text);
// Writes bytes to path through a temporary file in the same folder, flushed
// and renamed over the target, so a failure never leaves a partial file.
bool SaveFileAtomically(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string& bytes);
std::int64_t FileSizeOf(const std::string& path);
enum class ListMode { Files = 0, Folders = 1, Both = 2 };
std::vector<std::string> ListFolder(const std::string& folder, const std::string& extension,
                                    ListMode mode);

// --- String cutting -------------------------------------------------------
std::string TextBefore(const std::string& text, const std::string& part);
std::string TextAfter(const std::string& text, const std::string& part);
std::string TextBetween(const std::string& text, const std::string& start, const std::string& end);
std::string ReplaceAll(const std::string& text, const std::string& find, const std::string& replacement);
std::vector<std::string> SplitTrimmed(const std::string& text, const std::string& separator);
std::vector<std::string> SplitToArray(const std::string& text, const std::string& separator = "");
std::string QuoteArg(const std::string& text);
// Blanks and control characters (bytes up to 0x20) removed at both ends.
std::string Trim(const std::string& text);
// Lines of a text: CR LF, CR or LF end a line; a final line end adds no empty line.
std::vector<std::string> SplitLines(const std::string& text);
// An empty part never occurs (as in every search helper here).
bool ContainsNoCase(const std::string& text, const std::string& part);
bool EqualsNoCase(const std::string& a, const std::string& b);
std::string ToUpperAscii(const std::string& text);
std::string ToLowerAscii(const std::string& text);
// & < > " ' as entities, so the text is safe in elements and quoted attributes.
std::string HtmlEscape(const std::string& text);

// --- Numbers and dates ----------------------------------------------------
std::string ZeroPad(long long number, int width);
long long RoundHalfAway(double x);
std::string MonthDayString(bool padded, const DateTime& date);
// Throws std::invalid_argument when the amount is not a number.
std::string FormatMoney(const std::string& amount, const std::string& currency, bool plusSign);
std::string DayAbbrev(const DateTime& date);
std::string MonthAbbrev(const DateTime& date);
std::string StampedLogName(const DateTime& time);
// Shortest form with up to 15 significant digits, "." as decimal point.
std::string FormatDecimal(double value);
// Strict conversions: the whole text must be the number (surrounding blanks allowed).
bool TryParseDecimal(const std::string& text, double& value);
bool TryParseInteger(const std::string& text, long long& value);
