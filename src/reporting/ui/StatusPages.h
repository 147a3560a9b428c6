#pragma once
// Which status or help page the right-hand panel shows, and when it is
// drawn again: the main window's tab, the settings panel's tab, the help
// option (CheckBox7), the redraw timer after a resize or a run, and the
// special links of the pages. Every drawing catches its own failures: a page
// that cannot be built says so in the view, and nothing leaves a Qt slot.

#include "reporting/HtmlReadme.h"

#include <QObject>

#include <functional>
#include <optional>
#include <string>

class InOutGridView;
class StatusView;
class TPellagoForm;

class StatusPages : public QObject {
    Q_OBJECT
public:
    explicit StatusPages(TPellagoForm& form);

    void InitStatusDocument();
    void DrawMainStatusPage();
    void DrawPortfolioStatusPage();
    // The page of the account at `accountIndex` of the account document. The
    // redraw timer also draws it while the settings panel shows its tab, so
    // the tab's edits can ask for it by starting DrawHtmlTimer.
    void DrawVirtualFundsPage(int accountIndex);
    void DrawInOutPage();
    void DrawHelpPage(THelpPage page);

    // The page of the main window's current tab (or the main status page
    // when the help option is off).
    void DrawPageOfMainTab();
    // The settings panel shows its tab `index`.
    void DrawPageOfSettingsTab(int index);
    // The settings panel is being closed with "設定を保存して閉じる".
    void SettingsPanelClosed();

    StatusView& View() const { return *view_; }
    InOutGridView& Grid() const { return *grid_; }

private:
    TStatusPageContext Context() const;
    // Builds a page and shows it; a failure shows an error text instead.
    void Draw(const char* what, const std::function<std::optional<std::string>()>& build, bool fromTop = false);
    void DrawHtmlTimerTimer();
    void LinkActivated(const QString& name);
    void SelectMainTab(int index);

    TPellagoForm& form_;
    StatusView* view_;
    InOutGridView* grid_;
    int warnedAccount_ = -1; // the zero-balance notice was shown for this account
};
