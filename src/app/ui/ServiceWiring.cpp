#include "app/ui/ServiceWiring.h"

#include "app/FunctionChecks.h"
#include "app/SelfUpdate.h"
#include "app/ServiceContext.h"
#include "app/SignalReception.h"
#include "base/Log.h"
#include "base/SystemdSupervision.h"
#include "app/ui/AutoTradeWiring.h"
#include "app/ui/HomePcWiring.h"
#include "app/ui/PellagoUnit1.h"
#include "app/ui/RadioGroup.h"
#include "app/ui/TrayIcon.h"
#include "trading/ui/MessageBoxes.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

bool AskUnlessHeadless(TPellagoForm& form, const std::string& caption, const std::string& text)
{
    // Nobody answers a headless program: the question counts as declined.
    return !form.Headless() && AskOkCancel(&form, caption, text);
}

// Fills in what the window has not provided itself.
void CompleteServiceHooks(TPellagoForm& form, AutoTradeWiring& autoTrade)
{
    ServiceHooks hooks = CurrentServiceHooks();
    if (!hooks.askOkCancel)
        hooks.askOkCancel = [&form](const std::string& caption, const std::string& text) {
            return AskUnlessHeadless(form, caption, text);
        };
    if (!hooks.leaveTray)
        hooks.leaveTray = [&form] {
            if (form.HomePc().Tray().InTray())
                form.HomePc().Tray().FromTray();
        };
    if (!hooks.startReplaceWait)
        hooks.startReplaceWait = [&form](int intervalMs) { form.ReplaceWaitTimer->start(intervalMs); };
    if (!hooks.closeSettingsPanel)
        hooks.closeSettingsPanel = [&form] { form.Button15Click(); };
    if (!hooks.terminateProgram)
        hooks.terminateProgram = [&autoTrade] { autoTrade.EndProgram(0); };
    if (!hooks.restartBySupervisor)
        hooks.restartBySupervisor = [&autoTrade] { autoTrade.EndProgram(kSupervisorRestartExitCode); };
    SetServiceHooks(hooks);
}

} // namespace

ServiceSettings TPellagoForm::CurrentServiceSettings() const
{
    ServiceSettings settings;
    settings.loginId = Edit1->text().toStdString();
    settings.password = Edit2->text().toStdString();
    settings.passwordConfirm = Edit6->text().toStdString();
    settings.demoMode = CheckBox10->isChecked();
    settings.webRoute = CheckBox26->isChecked();
    settings.updateMode = RadioGroup2->itemIndex();
    settings.mailReports = CheckBox1->isChecked();
    // A tick switches the timer off while it works; automatic mode is what counts.
    settings.autoTradeTimerEnabled = AutoMode || AutoTradeTimer->isActive();
    return settings;
}

void ConnectServiceControls(TPellagoForm& form, AutoTradeWiring& autoTrade)
{
    CompleteServiceHooks(form, autoTrade);
    QObject::connect(form.Button4, &QPushButton::clicked, &autoTrade,
                     [&form] { SignalLoginTest(form.CurrentServiceSettings()); });
    QObject::connect(form.Button6, &QPushButton::clicked, &autoTrade, [&form, &autoTrade] {
        ReceiveSignalByHand(form.CurrentServiceSettings(), [&autoTrade] { autoTrade.Cycle().Button5Click(); });
    });
    QObject::connect(form.FastUpdateTimer, &QTimer::timeout, &autoTrade, [&form, &autoTrade] {
        StartupVersionCheck(form.CurrentServiceSettings());
        // Nothing opens the cycle's gate later: a single-tick run would wait forever.
        if (form.Options().once && !VersionChecked && !Replacing) {
            AddLog("[Command] --once: 起動時のversionチェックを終えられないため、自動売買を行わずに終了します");
            autoTrade.EndProgram(1);
        }
    });
    QObject::connect(form.ReplaceWaitTimer, &QTimer::timeout, &autoTrade, [] { OnReplaceWaitTimeout(); });
    QObject::connect(form.Button11, &QPushButton::clicked, &autoTrade,
                     [&form] { ManualUpdate(form.CurrentServiceSettings()); });
    QObject::connect(form.Button18, &QPushButton::clicked, &autoTrade, [] { RunUpdateTest(); });
    QObject::connect(form.Button19, &QPushButton::clicked, &autoTrade, [] { RunRestartTest(); });
    QObject::connect(form.Button20, &QPushButton::clicked, &autoTrade, [] { RunRevivalTest(); });
}
