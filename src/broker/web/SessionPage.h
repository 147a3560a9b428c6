#pragma once
// The page of one browser session. Dialogs raised by the page are answered
// at once through the dialog handler, never shown in a window, so nothing
// can stall an unattended run; navigations pass the session's veto first.

#include "broker/Browser.h"

#include <QWebEnginePage>

class SessionPage : public QWebEnginePage {
    Q_OBJECT
public:
    SessionPage(QWebEngineProfile* profile, QObject* parent = nullptr);

    void setDialogHandler(BrowserDialogHandler handler) { dialogHandler_ = std::move(handler); }
    void setNavigationHandler(std::function<void(const std::string&, bool, bool&)> handler) {
        navigationHandler_ = std::move(handler);
    }

protected:
    void javaScriptAlert(const QUrl& origin, const QString& message) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue,
                          QString* result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int, const QString&) override {}
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override { return {}; }

private:
    BrowserDialogAnswer answer(BrowserDialog::Kind kind, const QString& message, const QString& defaultValue = {});

    BrowserDialogHandler dialogHandler_;
    std::function<void(const std::string&, bool, bool&)> navigationHandler_;
};
