#include "broker/web/QtBrowserFactory.h"

#include "broker/web/QtBrowser.h"

std::unique_ptr<Browser> QtBrowserFactory::CreateBrowser(const BrowserPlacement& placement) {
    auto browser = std::make_unique<QtBrowser>(placement);
    browser->SetDialogHandler(dialogs_);
    return browser;
}
