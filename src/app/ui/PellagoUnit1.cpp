#include "app/ui/PellagoUnit1.h"

#include "base/AkUnit.h"
#include "base/Log.h"
#include "app/ProcessLaunch.h"
#include "app/ProxySetting.h"
#include "app/ServiceContext.h"
#include "app/ui/AccountScreensWiring.h"
#include "app/ui/AutoTradeWiring.h"
#include "app/ui/CloseQuestion.h"
#include "app/ui/MailWiring.h"
#include "app/ui/HomePcWiring.h"
#include "app/ui/ServiceWiring.h"
#include "app/ui/TrayIcon.h"
#include "platform/SingleInstance.h"
#include "reporting/ui/StatusPages.h"
#include "trading/ui/MessageBoxes.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QPushButton>
#include <QLineEdit>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTabWidget>
#include <QTimer>

TPellagoForm::TPellagoForm(const StartOptions& options, QWidget* parent)
    : QMainWindow(parent), options_(options)
{
    BuildWindow();
    statusPages_ = new StatusPages(*this);
    ConnectOptionRules();
    AttachLogView();
    SetUserMessageSink([this](const std::string& text, const std::string& caption) { ShowUserMessageBox(text, caption); });
    // Every network operation takes the proxy choice of the moment.
    SetProxySettingProvider(
        [this] { return TProxySetting{CheckBox17->isChecked(), Edit11->text().trimmed().toStdString()}; });
    ServiceHooks hooks;
    hooks.setStatusText = [this](const std::string& text) { SetStatusText(QString::fromStdString(text)); };
    hooks.templateFetched = [this](const std::vector<std::string>& brokers) { FillBrokerList(brokers); };
    SetServiceHooks(hooks);
    autoTrade_ = new AutoTradeWiring(*this);
    mail_ = new MailWiring(*this);
    homePc_ = new HomePcWiring(*this, autoTrade_->Power());
    ConnectServiceControls(*this, *autoTrade_);
    ConnectAccountScreens(*this);
    RunStartUpSequence();
}

TPellagoForm::~TPellagoForm()
{
    // Also a window that goes without being closed leaves no watchdog behind.
    EndWatchdog();
    SaveSettingsOnDestroy();
    SetServiceHooks({});
    SetProxySettingProvider({});
    SetUserMessageSink({});
    SetLogObserver({});
}

void TPellagoForm::ShowUserMessageBox(const std::string& text, const std::string& caption)
{
    // An unattended run never waits for a click: the message goes to the log.
    if (Headless() || AutoMode || !isVisible()) {
        AddLog(text);
        return;
    }
    const QString shown = QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto* box = new QMessageBox(QMessageBox::Information, MessageBoxTitle(caption), shown, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void TPellagoForm::FillBrokerList(const std::vector<std::string>& brokers)
{
    ComboBox1->clear();
    for (const std::string& broker : brokers)
        ComboBox1->addItem(QString::fromStdString(broker));
    ComboBox1->setCurrentIndex(brokers.empty() ? -1 : 0);
    if (!IsTabLocked(TabSheet3))
        Button3->setEnabled(!brokers.empty());
}

void TPellagoForm::HandOver()
{
    AddDetailLog("HandOverMessage " + std::to_string(SingleInstance::HandOverMessage));
    if (!Headless())
        homePc_->Tray().FromTray();
}

void TPellagoForm::CloseProgram()
{
    if (close())
        QCoreApplication::quit();
}

void TPellagoForm::closeEvent(QCloseEvent* event)
{
    // The close box (never spontaneous when the program closes itself).
    if (event->spontaneous() && AutoMode && !Headless()) {
        const CloseAnswer answer = AskBeforeEndingAutoTrading(this, TrayIcon::Available());
        if (answer != CloseAnswer::Quit) {
            event->ignore();
            if (answer == CloseAnswer::ToTray)
                homePc_->Tray().ToTray();
            return;
        }
    }
    EndWatchdog();
    homePc_->CloseWakeTimer();
    event->accept();
}

void TPellagoForm::EndWatchdog()
{
    // The watchdog would otherwise bring the program straight back (unless
    // that is what the revival test ends the program for).
    if (WatchdogProcess != 0 && !KeepWatchdogAtExit) {
        TerminateProcess(WatchdogProcess);
        WatchdogProcess = 0;
    }
}

void TPellagoForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (!settingsPanelOpen_ || PageControl2->currentIndex() == 0)
        DrawHtmlTimer->start();
}

bool TPellagoForm::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == TabSheet2 || watched == TabSheet3) && event->type() == QEvent::Resize)
        StretchLeftTabs();
    return QMainWindow::eventFilter(watched, event);
}
