#include "reporting/ui/StatusPages.h"

#include "app/ServiceEndpoints.h"
#include "app/ui/PellagoUnit1.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "documents/AccountDocument.h"
#include "reporting/ui/InOutGridView.h"
#include "reporting/ui/StatusView.h"
#include "trading/SignalFiles.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <QWebEngineView>

#include <exception>

namespace {

enum SettingsTab { kInOutTab = 0, kFunctionCheckTab = 1, kModelCaseTab = 2, kOtherTab = 3 };

const char kZeroBalanceMessage[] = "この口座は口座資金が0円のため仮想資金モードの設定は行えません。\r\n"
                                   "一度以上自動売買を行い、Pellagoが口座残高を取得してからご設定ください";

} // namespace

StatusPages::StatusPages(TPellagoForm& form)
    : QObject(&form), form_(form), view_(new StatusView(form.WebBrowser1)),
      grid_(new InOutGridView(form.StringGrid1, form.Button17, form.Memo2))
{
    connect(view_, &StatusView::linkActivated, this, &StatusPages::LinkActivated);
    connect(grid_, &InOutGridView::applied, this, &StatusPages::DrawInOutPage);
    connect(form.DrawHtmlTimer, &QTimer::timeout, this, &StatusPages::DrawHtmlTimerTimer);
    connect(form.CheckBox7, &QCheckBox::toggled, this, [this](bool checked) {
        if (!checked) DrawMainStatusPage();
    });
}

TStatusPageContext StatusPages::Context() const
{
    TStatusPageContext context;
    context.AccountPath = form_.AccountXmlPath;
    context.SignalPath = NewestSignalFile();
    context.DemoMode = form_.CheckBox10->isChecked();
    context.PanelWidth = form_.Panel2->width();
    context.BrowserHeight = form_.WebBrowser1->height();
    context.WebBase = CurrentServiceEndpoints().webBase + "/";
    return context;
}

void StatusPages::Draw(const char* what, const std::function<std::optional<std::string>()>& build, bool fromTop)
{
    try {
        if (const std::optional<std::string> body = build()) view_->ShowBody(QString::fromStdString(*body), fromTop);
    } catch (const std::exception& error) {
        AddDetailLog(std::string("[Status] ") + what + ": " + error.what());
        view_->ShowBody(QStringLiteral("<h2>画面を表示できませんでした</h2>"));
    }
}

void StatusPages::InitStatusDocument()
{
    // Nobody sees the view of a headless program: without a document it
    // keeps no page, and the engine rests between runs.
    if (form_.Headless()) return;
    view_->InitStatusDocument();
}

void StatusPages::DrawMainStatusPage()
{
    Draw("main", [this] { return MainStatusPageHtml(Context()); });
}

void StatusPages::DrawPortfolioStatusPage()
{
    Draw("portfolio", [this] { return PortfolioStatusPageHtml(Context()); });
}

void StatusPages::DrawInOutPage()
{
    Draw("inout", [this] { return InOutPageHtml(Context()); });
}

void StatusPages::DrawHelpPage(THelpPage page)
{
    Draw("help", [page] { return HelpPageHtml(page); }, true);
}

void StatusPages::DrawVirtualFundsPage(int accountIndex)
{
    pugi::xml_document doc;
    pugi::xml_node account;
    if (LoadAccountDocument(doc, form_.AccountXmlPath)) account = AccountAt(doc, accountIndex);
    form_.TabSheet8->setEnabled(!account.empty());
    if (!account) return;
    bool zeroBalance = false;
    Draw("virtual funds", [&] {
        TVirtualFundsPage page = VirtualFundsPageHtml(account);
        zeroBalance = page.ZeroBalance;
        return std::optional<std::string>(page.Html);
    });
    form_.SetTabControlsEnabled(form_.TabSheet8, !zeroBalance);
    if (!zeroBalance) {
        form_.ApplyVirtualFundsRules();
        return;
    }
    for (QWidget* kept : std::initializer_list<QWidget*>{form_.ComboBox3, form_.CheckBox29, form_.Edit12})
        kept->setEnabled(true);
    // Redrawn after every edit of the tab; one notice per account is enough.
    if (warnedAccount_ == accountIndex) return;
    warnedAccount_ = accountIndex;
    ShowUserMessage(kZeroBalanceMessage);
}

void StatusPages::DrawPageOfMainTab()
{
    if (!form_.CheckBox7->isChecked()) {
        DrawMainStatusPage();
        return;
    }
    switch (form_.PageControl1->currentIndex()) {
    case 0: DrawMainStatusPage(); break;
    case 1: DrawPortfolioStatusPage(); break;
    case 2: DrawHelpPage(THelpPage::Account); break;
    case 3: DrawHelpPage(THelpPage::User); break;
    case 4: DrawHelpPage(THelpPage::Mail); break;
    default: break;
    }
}

void StatusPages::DrawPageOfSettingsTab(int index)
{
    switch (index) {
    case kInOutTab:
        grid_->Fill();
        DrawInOutPage();
        break;
    case kFunctionCheckTab: DrawHelpPage(THelpPage::FunctionCheck); break;
    case kOtherTab: DrawHelpPage(THelpPage::Other); break;
    case kModelCaseTab:
        warnedAccount_ = -1;
        DrawVirtualFundsPage(std::max(form_.ComboBox3->currentIndex(), 0));
        break;
    default: break;
    }
}

void StatusPages::SettingsPanelClosed()
{
    grid_->SaveList();
    DrawPageOfMainTab();
}

void StatusPages::DrawHtmlTimerTimer()
{
    const int settingsTab = form_.SettingsPanelOpen() ? form_.PageControl2->currentIndex() : -1;
    if (settingsTab == kInOutTab)
        DrawInOutPage();
    else if (settingsTab == kModelCaseTab)
        DrawVirtualFundsPage(std::max(form_.ComboBox3->currentIndex(), 0));
    else if (settingsTab < 0 && form_.PageControl1->currentIndex() == 0)
        DrawMainStatusPage();
}

void StatusPages::SelectMainTab(int index)
{
    if (form_.PageControl1->currentIndex() == index) DrawPageOfMainTab();
    else form_.PageControl1->setCurrentIndex(index);
}

void StatusPages::LinkActivated(const QString& name)
{
    if (name == QStringLiteral("Portfolio_Tab")) SelectMainTab(1);
    else if (name == QStringLiteral("User_Tab")) SelectMainTab(3);
    else if (name == QStringLiteral("Mail_Tab")) SelectMainTab(4);
    else if (name == QStringLiteral("SendTrouble")) form_.send_log->trigger();
}
