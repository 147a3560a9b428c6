// The start-up sequence of the main window and the settings written back
// when it is destroyed (the password boxes scrambled on the way).

#include "app/ui/PellagoUnit1.h"

#include "app/HelperFiles.h"
#include "app/PlainHttpWarning.h"
#include "app/PrivateProgramFolder.h"
#include "app/SelfUpdate.h"
#include "app/TemplateFetch.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "app/ui/FormSettings.h"
#include "app/ui/HomePcWiring.h"
#include "app/ui/Rehearsal.h"
#include "app/ui/SettingsFile.h"
#include "reporting/ui/StatusPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <filesystem>

namespace {

const QString kMain = QStringLiteral("Main");

} // namespace

void TPellagoForm::RunStartUpSequence()
{
    ResetProcessState();
    savedLogHeight_ = 100;
    ArrangeWindow();
    RestoreSettings();
    CreateFolderTree();

    QString caption = QStringLiteral("Pellago") + QStringLiteral(" ver. ")
                      + QString::fromStdString(FormatDecimal(ProgramVersion));
    if (qEnvironmentVariableIsSet(kRehearsalVariable))
        caption += QStringLiteral(" - リハーサル (ペーパートレード)");
    setWindowTitle(caption);
    AddLog(caption.toStdString());
    TightenProgramFolder();
    WarnIfServiceUnencrypted();

    FetchAccountTemplate();
    ReportPreviousRun();
    if (AutoRetryCount > 0)
        AddLog("■ " + std::to_string(AutoRetryCount) + "回目のリトライ起動です");
    ComboBox2->setEnabled(CheckBox11->isChecked());
    AddLog("[Command] " + options_.firstArgument());
    EnterAutoModeFromCommandLine();

    PageControl1->setCurrentIndex(0);
    PageControl2->setCurrentIndex(0);
    SendMailTimer->start();
    RadioGroup1Click();
    if (!VersionChecked)
        FastUpdateTimer->start();
}

void TPellagoForm::ArrangeWindow()
{
    Button8->setGeometry(Button7->geometry());
    CancelButton->setGeometry(Button7->geometry());
    Button8->hide();
    PageControl2->hide();
    ActivityMemo().clear();
    MirrorActivityMemo();
    statusPages_->InitStatusDocument();
    ComboBox1->clear();
    ComboXMLValue->clear();
    ComboXMLValue->addItems({QStringLiteral("有効"), QStringLiteral("無効")});
    ComboXMLValue->setCurrentIndex(-1);
    ComboXMLValue->setGeometry(EditXMLValue->geometry());
    ComboXMLValue->hide();
}

void TPellagoForm::RestoreSettings()
{
    // The developer switch is written but never taken back from the file.
    const bool developerSwitch = CheckBox8->isChecked();
    LoadFormSettings(*this, stored_, kMain);
    homePc_->RequestKeepAwakeIfChosen();
    ApplyMailRules();
    CheckBox8->setChecked(developerSwitch);
    EditXMLValue->clear();
    // Rules whose controls kept their designed value were not run by loading.
    ApplyProxyRule();
    ApplyWakeUpRules();
    ApplyDemoRule();
    ApplyVirtualFundsRules();
}

void TPellagoForm::CreateFolderTree()
{
    const std::string year = ZeroPad(Now().year, 4) + "/";
    for (const char* folder : {"Bin/", "Setting/", "AutoTrade/", "MailTemp/", "MailLog/", "AutoTrade/SignalLog/",
                               "AutoTrade/AccountLog/"})
        EnsureDir(ProgramPath(folder));
    EnsureFile(ProgramPath("AutoTrade/AccountLog/Balance.csv"));
    EnsureDir(ProgramPath("AutoTrade/SignalLog/" + year));
    EnsureDir(ProgramPath("AutoTrade/AccountLog/" + year));
    EnsureDir(ProgramPath("Log/"));
    EnsureFile(ProgramPath("Log/hd"));
    // A program folder apart from the executable's gets the helpers shipped with it.
    InstallHelperPrograms(std::filesystem::path(ExecutablePath()).parent_path().string());
    AccountTemplatePath = ProgramPath("Setting/AccountTemplate.xml");
    AccountXmlPath = ProgramPath("Setting/Account.xml");
}

void TPellagoForm::ReportPreviousRun()
{
    const long long failures =
        SettingsFile().readInteger(QStringLiteral("AutoTrade"), QStringLiteral("URetryCount"), 0);
    AutoRetryCount = static_cast<int>(std::clamp<long long>(failures, 0, INT_MAX));
    ShowProgramIsUp();
    ReportUpdateOutcome(CheckBox1->isChecked());
}

void TPellagoForm::EnterAutoModeFromCommandLine()
{
    if (!IsAutoArgument(options_.firstArgument()))
        return;
    AutoMode = true;
    AddLog("自動売買モードで起動。定期的にシグナルをチェックします");
    for (int i = 0; i < PageControl1->count(); ++i)
        SetTabEnabled(PageControl1->widget(i), false);
    Button8->setEnabled(true);
    Button8->show();
    Button7->hide();
    AutoTradeTimer->setInterval(5000);
    AutoTradeTimer->start();
}

void TPellagoForm::SaveSettingsOnDestroy()
{
    EditXMLValue->clear();
    SaveFormSettings(*this, stored_, kMain);
}
