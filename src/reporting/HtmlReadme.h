#pragma once
// The status and help pages of the embedded browser, as HTML texts. The
// document's head (with the style sheet every page relies on) is written
// once; each page is then a body that replaces the previous one.

#include <pugixml.hpp>

#include <optional>
#include <string>

// What the pages are built from, as the window sees it at the moment.
struct TStatusPageContext {
    std::string AccountPath;  // Setting/Account.xml; empty: nothing is drawn
    std::string SignalPath;   // the newest stored signal; "" when none was received
    bool DemoMode = false;    // "Demoモードで動作": the model case reads DemoModel
    int PanelWidth = 0;       // the right-hand panel, which the chart widths follow
    int BrowserHeight = 0;    // the status view, which the in/out chart height follows
    std::string WebBase;      // the service's web site, ending in "/" (the in/out explanation)
};

// The whole first document: head, the 23 style rules, and a body asking for a tab click.
std::string StatusDocumentText();

// The account-file failure text (account document path set, file missing).
extern const char kAccountFileFailureText[];

// Bodies of the four status pages; nullopt when the account path is empty.
std::optional<std::string> MainStatusPageHtml(const TStatusPageContext& context);
std::optional<std::string> InOutPageHtml(const TStatusPageContext& context);
// Without the account document, or without accounts, a page that says so.
std::string PortfolioStatusPageHtml(const TStatusPageContext& context);

struct TVirtualFundsPage {
    std::string Html;
    bool ZeroBalance = false; // the account's balance is below 1: virtual funds cannot be set
};
TVirtualFundsPage VirtualFundsPageHtml(pugi::xml_node account);

enum class THelpPage { Account, User, Mail, FunctionCheck, Other, Portfolio, VirtualFunds };
std::string HelpPageHtml(THelpPage page);
