#pragma once
// What the broker sessions of a run started from the window are given: the
// program's adapters, browsers placed invisibly in the window (or in windows
// of their own under the developer switch) whose dialogs are answered, and
// the proxy of the moment.

#include "broker/web/BrowserHost.h"
#include "broker/web/QtBrowserFactory.h"
#include "trading/TradeAPI.h"

class TPellagoForm;

class WindowSessions {
public:
    // reloadWatchdog: the dialog watchdog runs while a session reloads a page
    // (a trade run); the log-on test goes without it.
    WindowSessions(TPellagoForm& form, bool reloadWatchdog);
    WindowSessions(const WindowSessions&) = delete;
    WindowSessions& operator=(const WindowSessions&) = delete;

    const TSessionEnvironment& Environment() const { return environment_; }

private:
    QtBrowserFactory browsers_;
    BrowserHost host_;
    TSessionEnvironment environment_;
};
