#include "app/ui/HomePcWiring.h"

#include "app/ui/PellagoUnit1.h"
#include "app/ui/TrayIcon.h"
#include "platform/AlarmWakeTimer.h"
#include "platform/XdgAutostart.h"

#include <QCheckBox>
#include <QCursor>
#include <QDateTimeEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace {

WakeTimer* nextWindowWakeTimer = nullptr;

} // namespace

void SetWakeTimerForNextWindow(WakeTimer* timer)
{
    nextWindowWakeTimer = timer;
}

HomePcWiring::HomePcWiring(TPellagoForm& form, PowerControl& power)
    : QObject(&form), form_(form), power_(power), autostart_(std::make_unique<XdgAutostart>()),
      idle_(*this, power)
{
    if (nextWindowWakeTimer) {
        WakeTimerHandle = nextWindowWakeTimer;
    } else {
        ownWakeTimer_ = std::make_unique<AlarmWakeTimer>();
        WakeTimerHandle = ownWakeTimer_.get();
    }
    tray_ = new TrayIcon(form, *form.PopupMenuExit, [&form] { return form.CheckBox25->isChecked(); });
    ConnectRules();
}

HomePcWiring::~HomePcWiring() = default;

void HomePcWiring::ConnectRules()
{
    connect(form_.CheckBox13, &QCheckBox::toggled, this, &HomePcWiring::CheckBox13Click);
    connect(form_.DateTimePicker1, &QDateTimeEdit::dateTimeChanged, this, [this] { form_.SetWakeUpTimer->start(); });
    connect(form_.SetWakeUpTimer, &QTimer::timeout, this, &HomePcWiring::SetWakeUpTimerTimer);
    connect(form_.CheckBox18, &QCheckBox::toggled, this, [this] { idle_.CheckBox18Click(); });
    connect(form_.UserActiveCheckTimer, &QTimer::timeout, this, [this] { idle_.UserActiveCheckTimerTimer(); });
    connect(form_.CheckBox9, &QCheckBox::toggled, this, [this](bool on) { CheckBox9Click(*autostart_, on); });
}

void HomePcWiring::RequestKeepAwakeIfChosen()
{
    if (form_.CheckBox13->isChecked())
        power_.RequestKeepAwake();
}

void HomePcWiring::CloseWakeTimer()
{
    CancelDailyWakeUp(*WakeTimerHandle);
}

void HomePcWiring::CheckBox13Click(bool on)
{
    // Off at once, whoever unticks it (the user, ComboBox2's shutdown, a
    // settings load): a timer left armed would wake the machine every day.
    if (!on)
        CancelDailyWakeUp(*WakeTimerHandle);
    form_.SetWakeUpTimer->start();
}

void HomePcWiring::SetWakeUpTimerTimer()
{
    // The line about the timer waits for the window; a window that is never
    // shown (--headless) arms it at once.
    if (!form_.isVisible() && !form_.Headless())
        return;
    form_.SetWakeUpTimer->stop();
    if (!form_.CheckBox13->isChecked())
        return;
    const QTime time = form_.DateTimePicker1->time();
    SetDailyWakeUp(*WakeTimerHandle, time.hour(), time.minute());
}

bool HomePcWiring::IdleStartChosen() const
{
    return form_.CheckBox18->isChecked();
}

bool HomePcWiring::KeepAwakeChosen() const
{
    return form_.CheckBox13->isChecked();
}

MousePoint HomePcWiring::MousePosition() const
{
    const QPoint at = QCursor::pos();
    return MousePoint{at.x(), at.y()};
}

void HomePcWiring::SetTimerEnabled(bool enabled)
{
    if (enabled)
        form_.UserActiveCheckTimer->start();
    else
        form_.UserActiveCheckTimer->stop();
}

void HomePcWiring::StartAutomaticTrading()
{
    form_.PageControl1->setCurrentIndex(0);
    if (form_.SettingsPanelOpen())
        form_.Button15Click();
    form_.Button7->click();
}
