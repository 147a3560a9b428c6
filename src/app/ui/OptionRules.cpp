// The option rules: which controls are usable for the options chosen, and
// the locking of the left tabs while trading or while the settings panel is
// open. A rule that a locked tab owns waits until the tab is unlocked, so a
// lock is never undone by a rule.

#include "app/ui/PellagoUnit1.h"

#include "app/SignalReception.h"
#include "base/AkUnit.h"
#include "app/ui/AutoTradeWiring.h"
#include "app/ui/RadioGroup.h"
#include "reporting/ui/StatusPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace {

const QString kWakeFromSuspend = QStringLiteral("毎朝　　　　　　　　にサスペンドから復帰する");
const QString kWakeFromHibernate = QStringLiteral("毎朝　　　　　　　　に休止状態から復帰する");

} // namespace

void TPellagoForm::ConnectOptionRules()
{
    for (QCheckBox* mail : {CheckBox1, CheckBox19, CheckBox20, CheckBox27})
        connect(mail, &QCheckBox::toggled, this, &TPellagoForm::ApplyMailRules);
    connect(CheckBox17, &QCheckBox::toggled, this, &TPellagoForm::ApplyProxyRule);
    connect(CheckBox10, &QCheckBox::toggled, this, &TPellagoForm::CheckBox10Click);
    for (QCheckBox* power : {CheckBox11, CheckBox13})
        connect(power, &QCheckBox::toggled, this, &TPellagoForm::ApplyWakeUpRules);
    connect(ComboBox2, &QComboBox::activated, this, &TPellagoForm::ComboBox2Change);
    connect(CheckBox12, &QCheckBox::toggled, this, &TPellagoForm::CheckBox12Click);
    connect(CheckBox25, &QCheckBox::toggled, this, &TPellagoForm::CheckBox25Click);
    connect(RadioGroup1, &RadioGroup::itemIndexChanged, this, &TPellagoForm::RadioGroup1Click);
    for (QCheckBox* funds : {CheckBox23, CheckBox24, CheckBox29})
        connect(funds, &QCheckBox::toggled, this, &TPellagoForm::ApplyVirtualFundsRules);
    connect(Button14, &QPushButton::clicked, this, &TPellagoForm::Button14Click);
    connect(Button15, &QPushButton::clicked, this, &TPellagoForm::Button15Click);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TPellagoForm::PageControl1Change);
    connect(PageControl2, &QTabWidget::currentChanged, this, &TPellagoForm::PageControl2Change);
}

void TPellagoForm::SetTabControlsEnabled(QWidget* tab, bool enabled)
{
    // Labels are not input controls; only those that continue a control's text follow a lock.
    for (QWidget* child : tab->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!qobject_cast<QLabel*>(child))
            child->setEnabled(enabled);
}

void TPellagoForm::SetTabEnabled(QWidget* tab, bool enabled)
{
    if (enabled)
        lockedTabs_.erase(tab);
    else
        lockedTabs_.insert(tab);
    SetTabControlsEnabled(tab, enabled);
    Label19->setEnabled(enabled);
    Label23->setEnabled(enabled);
    Label24->setEnabled(enabled); // the second line of CheckBox18's text
    ApplyProxyRule();
    if (enabled)
        ApplyDependentRules(tab);
}

void TPellagoForm::ApplyDependentRules(QWidget* tab)
{
    if (tab == TabSheet1)
        ApplyWakeUpRules();
    else if (tab == TabSheet3)
        Button3->setEnabled(ComboBox1->count() > 0);
    else if (tab == TabSheet4)
        ApplyDemoRule();
    else if (tab == TabSheet5)
        ApplyMailRules();
}

void TPellagoForm::LockForRun(bool unlock, int logMode)
{
    TradeRunning = !unlock;
    for (int i = 0; i < PageControl1->count(); ++i)
        SetTabEnabled(PageControl1->widget(i), unlock);
    {
        const QSignalBlocker quiet(RadioGroup1);
        RadioGroup1->setItemIndex(logMode);
    }
    RadioGroup1Click();
}

void TPellagoForm::ApplyMailRules()
{
    if (IsTabLocked(TabSheet5))
        return;
    const bool on = CheckBox1->isChecked();
    SetTabControlsEnabled(TabSheet5, on);
    CheckBox1->setEnabled(true);
    if (!on)
        return;
    // The relay route overrides the mail client route, and needs the sender address.
    const bool relay = CheckBox27->isChecked();
    const bool mailClient = CheckBox20->isChecked() && !relay;
    for (QWidget* smtp : std::initializer_list<QWidget*>{Edit3, Edit7, Edit4, Edit5, Edit8})
        smtp->setEnabled(!relay && !mailClient);
    Edit9->setEnabled(!mailClient);
    for (QCheckBox* option : {CheckBox2, CheckBox19, CheckBox20, CheckBox21})
        option->setEnabled(!relay);
    Button1->setEnabled(!CheckBox19->isChecked());
}

void TPellagoForm::ApplyProxyRule()
{
    const bool proxy = CheckBox17->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{Label20, Label21, Label22, Edit11})
        control->setEnabled(proxy);
}

void TPellagoForm::ApplyWakeUpRules()
{
    const int action = ComboBox2->currentIndex();
    if (action == 1)
        CheckBox13->setText(kWakeFromSuspend);
    else if (action == 2)
        CheckBox13->setText(kWakeFromHibernate);
    if (IsTabLocked(TabSheet1))
        return;
    // A machine that was shut down cannot be woken.
    const bool wakeable = action == 1 || action == 2;
    ComboBox2->setEnabled(CheckBox11->isChecked());
    CheckBox13->setEnabled(wakeable);
    DateTimePicker1->setEnabled(wakeable && CheckBox13->isChecked());
}

void TPellagoForm::ComboBox2Change(int index)
{
    if (index == 0)
        CheckBox13->setChecked(false);
    ApplyWakeUpRules();
}

void TPellagoForm::ApplyDemoRule()
{
    if (IsTabLocked(TabSheet4))
        return;
    const bool demo = CheckBox10->isChecked();
    for (QWidget* login : std::initializer_list<QWidget*>{Edit1, Edit2, Edit6, Button4, CheckBox26})
        login->setEnabled(!demo);
}

void TPellagoForm::CheckBox10Click()
{
    const bool demo = CheckBox10->isChecked();
    const bool hasLogin = !Edit1->text().isEmpty() || !Edit2->text().isEmpty() || !Edit6->text().isEmpty();
    const DemoModeDecision decision = DemoModeRule(demo, hasLogin, isVisible(), AutoTrade().Timer().Interval());
    if (decision.uncheck) {
        CheckBox10->setChecked(false);
        return;
    }
    ApplyDemoRule();
    if (decision.interval)
        AutoTrade().Timer().SetInterval(*decision.interval);
}

void TPellagoForm::CheckBox12Click()
{
    // The reboot relies on the start-up entry to bring the program back.
    if (CheckBox12->isChecked() && !CheckBox9->isChecked()) {
        CheckBox12->setChecked(false);
        ShowUserMessage("この機能を使うには\r\n『スタートアップに自動売買モードで登録』を\r\n有効にする必要があります");
    }
}

void TPellagoForm::CheckBox25Click()
{
    if (CheckBox25->isChecked() && settingsPanelOpen_)
        ShowUserMessage("以後、Xボタンを押すとタスクトレイにアイコン化されます\r\n"
                        "Pellagoを終了する際にはタスクトレイアイコンを右クリックし\r\n"
                        "\"終了\"を選択してください");
}

void TPellagoForm::ApplyVirtualFundsRules()
{
    Edit12->setEnabled(CheckBox29->isChecked());
    const bool virtualFunds = CheckBox23->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{Edit13, Edit15, Label36, CheckBox24})
        control->setEnabled(virtualFunds);
    Edit14->setEnabled(CheckBox24->isChecked());
}

void TPellagoForm::PageControl1Change(int index)
{
    if (settingsPanelOpen_ && index != 0) {
        PageControl1->setCurrentIndex(0);
        ShowUserMessage("メインタブを移動するには、先に『設定を保存して閉じる』ボタンを押してください");
        return;
    }
    if (PageControl1->widget(index) == TabSheet5)
        ApplyMailRules();
    if (!TradeRunning)
        statusPages_->DrawPageOfMainTab();
}
