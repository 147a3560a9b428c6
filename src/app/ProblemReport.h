#pragma once
// The problem report: the user's description and the program's logs and
// settings, sent to the developers in five numbered parts through the
// contact form of the service's web host (driven in a hidden browser), or
// written to "BugReport.atf" in the program folder for the user to mail.

#include "app/ReportParts.h"
#include "broker/Browser.h"

#include <functional>
#include <string>

// What the report needs from the windows around it.
struct ProblemReportHost {
    // Shows the report window modally; true when the user sent a description.
    std::function<bool()> askDescription;
    // The texts of the moment (the main window's and the report window's).
    std::function<ReportTexts()> texts;
    // Empties the description box after a report that went through.
    std::function<void()> clearDescription;
    // Opens the file manager where the written report file lies.
    std::function<void(const std::string& file)> showFile;
    // Where the hidden browser of a send comes from and where it is placed.
    BrowserFactory* browsers = nullptr;
    BrowserPlacement placement;
    // Switches the dialog watchdog on while an error page is reloaded.
    std::function<void(bool reloading)> onReloading;
};

// The whole report; send: through the web form, else to the file. True
// when every part went through. Refused while automatic mode is on.
bool SendProblemReport(bool send, const ProblemReportHost& host);
