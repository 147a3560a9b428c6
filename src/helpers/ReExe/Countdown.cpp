#include "helpers/ReExe/Countdown.h"

#include "app/ProcessLaunch.h"

#include <QCoreApplication>
#include <QLabel>

Countdown::Countdown(std::string command, int seconds, const HelperLog& log, QLabel* display)
    : command_(std::move(command)), remaining_(seconds), log_(log), display_(display)
{
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &Countdown::Tick);
}

void Countdown::Start()
{
    Show();
    if (remaining_ <= 0) {
        QTimer::singleShot(0, this, &Countdown::Tick);
        return;
    }
    timer_.start();
}

void Countdown::Tick()
{
    if (--remaining_ > 0) {
        Show();
        return;
    }
    timer_.stop();
    pid_t pid = LaunchProcess(command_);
    log_.Line(pid ? "started " + command_ + " as " + std::to_string(pid) : "cannot start " + command_);
    QCoreApplication::exit(pid ? 0 : 1);
}

void Countdown::Show()
{
    if (display_)
        display_->setText(QString::fromUtf8("%1 秒後に Pellago を起動します").arg(std::max(remaining_, 0)));
}
