#include "broker/web/SessionPage.h"

#include <QCoreApplication>

namespace {

// The engine asks "leave this page?" through the confirm dialog with its own text.
QString LeavePageQuestion() {
    return QCoreApplication::translate(
        "QWebEnginePage", "Are you sure you want to leave this page? Changes that you made may not be saved.");
}

std::vector<std::string> ButtonsOf(BrowserDialog::Kind kind) {
    if (kind == BrowserDialog::Kind::Alert) return {"OK"};
    return {"OK", "キャンセル"};
}

} // namespace

SessionPage::SessionPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

BrowserDialogAnswer SessionPage::answer(BrowserDialog::Kind kind, const QString& message,
                                        const QString& defaultValue) {
    BrowserDialog dialog;
    dialog.kind = kind;
    dialog.message = message.toStdString();
    dialog.defaultValue = defaultValue.toStdString();
    dialog.buttons = ButtonsOf(kind);
    dialog.pageUrl = url().toString().toStdString();
    if (!dialogHandler_) return BrowserDialogAnswer{true, dialog.defaultValue};
    try {
        return dialogHandler_(dialog);
    } catch (...) {
        return BrowserDialogAnswer{true, dialog.defaultValue};
    }
}

void SessionPage::javaScriptAlert(const QUrl&, const QString& message) {
    answer(BrowserDialog::Kind::Alert, message);
}

bool SessionPage::javaScriptConfirm(const QUrl&, const QString& message) {
    const auto kind = message == LeavePageQuestion() ? BrowserDialog::Kind::BeforeUnload : BrowserDialog::Kind::Confirm;
    return answer(kind, message).accept;
}

bool SessionPage::javaScriptPrompt(const QUrl&, const QString& message, const QString& defaultValue,
                                   QString* result) {
    const BrowserDialogAnswer reply = answer(BrowserDialog::Kind::Prompt, message, defaultValue);
    if (reply.accept && result) *result = QString::fromStdString(reply.promptText);
    return reply.accept;
}

bool SessionPage::acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) {
    bool cancel = false;
    if (navigationHandler_) {
        try {
            navigationHandler_(url.toString().toStdString(), isMainFrame, cancel);
        } catch (...) {
            cancel = false;
        }
    }
    return !cancel;
}
