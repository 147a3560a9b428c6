#pragma once
// Makes the program's browsers on Qt WebEngine. Every browser it makes
// answers page dialogs through the one handler given here.

#include "broker/Browser.h"

class QtBrowserFactory : public BrowserFactory {
public:
    explicit QtBrowserFactory(BrowserDialogHandler dialogs = {}) : dialogs_(std::move(dialogs)) {}

    std::unique_ptr<Browser> CreateBrowser(const BrowserPlacement& placement) override;

private:
    BrowserDialogHandler dialogs_;
};
