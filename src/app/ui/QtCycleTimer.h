#pragma once
// AutoTradeTimer as the cycle sees it. A QTimer holds at most 2147483647 ms,
// while a long failure series sets 4294967295: a longer interval is served
// in segments, and Elapsed comes only when the whole interval has passed.
// The window may still set the QTimer directly (the "auto" start does); the
// adapter takes such a value over the next time it is asked.

#include "app/AutoTradeCycle.h"

#include <QObject>

#include <cstdint>

class QTimer;

class QtCycleTimer : public QObject, public CycleTimer {
    Q_OBJECT
public:
    explicit QtCycleTimer(QTimer* timer, QObject* parent = nullptr);

    bool Enabled() const override;
    void SetEnabled(bool enabled) override;
    std::int64_t Interval() const override;
    // Restarts a running timer, as changing a running timer's interval does.
    void SetInterval(std::int64_t milliseconds) override;

signals:
    void Elapsed();

private:
    void OnTimeout();
    // Starts the QTimer on the first segment of `total` milliseconds.
    void Arm(std::int64_t total);
    void SetSegment(std::int64_t total);

    QTimer* timer_;
    mutable std::int64_t interval_;
    mutable int segment_;             // what the QTimer was last given
    mutable std::int64_t remaining_ = 0; // of the current interval after this segment
};
