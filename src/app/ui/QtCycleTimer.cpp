#include "app/ui/QtCycleTimer.h"

#include <QTimer>

#include <algorithm>
#include <climits>

QtCycleTimer::QtCycleTimer(QTimer* timer, QObject* parent)
    : QObject(parent), timer_(timer), interval_(timer->interval()), segment_(timer->interval())
{
    connect(timer_, &QTimer::timeout, this, &QtCycleTimer::OnTimeout);
}

bool QtCycleTimer::Enabled() const
{
    return timer_->isActive();
}

void QtCycleTimer::SetEnabled(bool enabled)
{
    if (enabled)
        Arm(Interval());
    else
        timer_->stop();
}

std::int64_t QtCycleTimer::Interval() const
{
    if (timer_->interval() != segment_) {
        interval_ = segment_ = timer_->interval();
        remaining_ = 0;
    }
    return interval_;
}

void QtCycleTimer::SetInterval(std::int64_t milliseconds)
{
    interval_ = std::max<std::int64_t>(milliseconds, 0);
    if (timer_->isActive()) {
        Arm(interval_);
        return;
    }
    SetSegment(interval_);
    timer_->setInterval(segment_);
}

void QtCycleTimer::SetSegment(std::int64_t total)
{
    segment_ = static_cast<int>(std::min<std::int64_t>(total, INT_MAX));
    remaining_ = total - segment_;
}

void QtCycleTimer::Arm(std::int64_t total)
{
    SetSegment(total);
    timer_->start(segment_);
}

void QtCycleTimer::OnTimeout()
{
    if (timer_->interval() == segment_ && remaining_ > 0) {
        Arm(remaining_);
        return;
    }
    // A chained interval starts over from its first segment for the next period.
    if (interval_ > INT_MAX && timer_->isActive())
        Arm(interval_);
    emit Elapsed();
}
