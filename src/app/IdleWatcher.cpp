#include "app/IdleWatcher.h"

#include "app/ProcessState.h"
#include "base/Clock.h"

IdleWatcher::IdleWatcher(IdleWatcherHost& host, PowerControl& power)
    : host_(host), power_(power), lastMovement_(NowPoint())
{
}

void IdleWatcher::CheckBox18Click()
{
    lastMovement_ = NowPoint();
    host_.SetTimerEnabled(host_.IdleStartChosen() && !AutoMode);
}

void IdleWatcher::UserActiveCheckTimerTimer()
{
    host_.SetTimerEnabled(false);
    if (AutoMode)
        return;
    if (host_.KeepAwakeChosen())
        power_.RequestKeepAwake();
    const MousePoint position = host_.MousePosition();
    const auto now = NowPoint();
    if (position != lastPosition_)
        lastMovement_ = now;
    else if (now - lastMovement_ >= kIdleTime)
        host_.StartAutomaticTrading();
    lastPosition_ = position;
    // Starting automatic mode switched the watcher off for good.
    if (!AutoMode)
        host_.SetTimerEnabled(true);
}
