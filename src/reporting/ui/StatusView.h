#pragma once
// The status view: the embedded browser of the right-hand panel as the
// program's display surface. It gets the status document's head once and
// afterwards only bodies, so the style sheet stays in force. Page scripts do
// not run; the program alone sets the body. Links to the special names
// ("Portfolio_Tab", "User_Tab", "Mail_Tab", "SendTrouble") never navigate:
// they are reported instead. Other links open in the desktop's browser.
// The page and its profile exist from the first document on, so a program
// that never shows the view never starts the engine for it.

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class QWebEngineProfile;
class QWebEngineView;
class StatusPage;

class StatusView : public QObject {
    Q_OBJECT
public:
    explicit StatusView(QWebEngineView* view);
    ~StatusView() override;

    // The head with the style sheet and the body asking for a tab click.
    void InitStatusDocument();
    // Replaces the body; one shown before the document is ready waits for it.
    // fromTop: the page opens scrolled to its start (a help page), instead
    // of keeping the position of the page before (a status page redrawn).
    void ShowBody(const QString& html, bool fromTop = false);
    // Where links that leave the program go (the desktop's browser by default).
    void SetExternalOpener(std::function<void(const QUrl&)> opener);

signals:
    void linkActivated(const QString& name);

private:
    void CreatePage();
    void ApplyBody();

    QWebEngineView* view_;
    std::function<void(const QUrl&)> opener_;
    QWebEngineProfile* profile_ = nullptr;
    StatusPage* page_ = nullptr;
    bool documentReady_ = false;
    QString body_;
    bool bodyPending_ = false;
    bool fromTop_ = false;
};
