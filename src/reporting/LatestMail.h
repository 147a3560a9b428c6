#pragma once
// The newest mail of MailLog/ for the menu commands: as a text file, or
// written as TempMail.eml for the desktop's mail viewer.

#include "base/Clock.h"

#include <optional>
#include <string>

// The local time in a mail file's name ("2009年11月5日7時3分12.345秒のログ.log").
std::optional<DateTime> MailFileTime(const std::string& name);

// The MailLog/ file written last (by the time in its name); "" when there is none.
std::string LatestMailLogFile();

// Writes <program>/TempMail.eml from a mail file: charset declared, Subject
// encoded, the file's time with the machine's zone. Returns its path, "" on failure.
std::string WriteTempMailEml(const std::string& mailFile, const std::string& recipients, bool utf8);
