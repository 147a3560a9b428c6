// The trade run at window level: the window leaves the tray and shows the
// activity log for the run, the newest signal file is traded on every
// enabled account, and whatever happens the window is put back as it was.

#include "app/ui/PellagoUnit1.h"

#include "app/SignalRefusal.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "app/ui/MailWiring.h"
#include "app/ui/HomePcWiring.h"
#include "app/ui/RadioGroup.h"
#include "app/ui/TrayIcon.h"
#include "app/ui/WindowSessions.h"
#include "broker/DialogWatchdog.h"
#include "trading/RunUpdateAccount.h"
#include "trading/SignalFiles.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include <exception>

namespace {

constexpr int kActivityLogMode = 1;

// "■ 最新のシグナル AutoTrade/SignalLog/2025/0105.xmlを元に": where the file
// lies, relative to the program folder, then its name.
std::string SignalFileLine(const std::string& signalPath)
{
    return "■ 最新のシグナル " + ShownSignalPath(signalPath) + "を元に";
}

} // namespace

TradeRunResult TPellagoForm::RunAutoTrade(bool byHand)
{
    TrayIcon& tray = homePc_->Tray();
    const bool leftTray = tray.InTray();
    if (leftTray)
        tray.FromTray();
    const int logMode = RadioGroup1->itemIndex();
    if (byHand)
        LockForRun(false, kActivityLogMode);
    else
        RadioGroup1->setItemIndex(kActivityLogMode);

    TradeRunResult result = TradeRunResult::Failed;
    try {
        result = TradeNewestSignal();
    } catch (const std::exception& error) {
        AddDetailLog(std::string("■■RunAutoTrade Error! ") + error.what());
    } catch (...) {
        AddDetailLog("■■RunAutoTrade Error!");
    }

    if (byHand)
        LockForRun(true, logMode);
    else
        RadioGroup1->setItemIndex(logMode);
    DrawHtmlTimer->start();
    if (leftTray)
        tray.ToTray();
    return result;
}

TradeRunResult TPellagoForm::TradeNewestSignal()
{
    const std::string signalPath = LatestSignalFile();
    if (signalPath.empty()) {
        AddLog("まだシグナルを一度も受信していませんので、自動売買はできません");
        return TradeRunResult::NoSignal;
    }
    if (RefuseBrokenSignal(signalPath, CheckBox1->isChecked()))
        return TradeRunResult::SignalRefused;
    AddLog(SignalFileLine(signalPath));
    AddLog("■ 自動売買を実行します");

    const WindowSessions sessions(*this, true);
    TRunUpdateAccountSetup setup;
    setup.CancelFlag = &CancelRequested;
    setup.RealMode = !CheckBox10->isChecked();
    setup.Sessions = sessions.Environment();
    setup.ActivityLog = [](const std::string& text) { AddLog(text); };
    setup.DetailLog = [](const std::string& text) { AddDetailLog(text); };
    setup.ShowCancelButton = [this](bool shown) {
        CancelButton->setEnabled(shown);
        CancelButton->setVisible(shown);
        if (shown)
            CancelButton->raise();
    };
    setup.ResetWatchdogClicks = [] { ProgramDialogWatchdog().ResetAttempts(); };
    setup.ReportMail = Mail().ReportSink();
    return RunUpdateAccount(signalPath, AccountXmlPath, setup) ? TradeRunResult::Done : TradeRunResult::Failed;
}
