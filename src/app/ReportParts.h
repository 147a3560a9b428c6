#pragma once
// The five parts of a problem report, each one text of CR LF-joined lines
// that begins with an empty line and its title line:
//   1 the user's description with the contact addresses (sent only),
//   2 the activity log of the month, 3 the detail log, 4 the account
//   document without its log-in data, 5 the operating system, the helper
//   programs' logs and the settings file without its scrambled passwords.
// No part holds a password of the program in any form: what a log happens
// to quote is masked.

#include <optional>
#include <string>
#include <vector>

struct ReportTexts {
    std::string loginId;        // Edit1 of the main window
    std::string contactAddress; // Edit1 of the report window
    std::string recipients;     // Edit10: the report-mail recipients
    std::string description;    // Memo1 of the report window
    std::vector<std::string> secrets; // the password boxes' texts of the moment
};

inline constexpr int kReportPartCount = 5;

// Part `number` (1 to 5) as it stands now; none when the part is not
// produced (part 1 in export mode, part 3 without a detail log, part 4
// without an account document).
std::optional<std::string> BuildReportPart(int number, const ReportTexts& texts, bool send);

// The lines of the account document that may leave the machine: none that
// holds a log-in name or password element.
std::vector<std::string> AccountLinesForReport(const std::string& accountXml);
