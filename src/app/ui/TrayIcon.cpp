#include "app/ui/TrayIcon.h"

#include "base/Log.h"

#include <QCloseEvent>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

namespace {

// The tip of the Windows icon record held 127 bytes.
constexpr qsizetype kTipBytes = 127;

std::function<bool()>& AvailabilityCheck()
{
    static std::function<bool()> check = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    return check;
}

QString Tip(QString caption)
{
    while (caption.toUtf8().size() > kTipBytes)
        caption.chop(1);
    return caption;
}

} // namespace

QIcon ApplicationIcon()
{
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x6f, 0x4a));
    painter.drawEllipse(2, 2, 60, 60);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(40);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("P"));
    painter.end();
    return QIcon(pixmap);
}

void TrayIcon::SetAvailabilityCheck(std::function<bool()> check)
{
    AvailabilityCheck() = check ? std::move(check) : [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
}

TrayIcon::TrayIcon(QWidget& window, QMenu& menu, std::function<bool()> closeBoxToTray)
    : QObject(&window), window_(window), menu_(menu), closeBoxToTray_(std::move(closeBoxToTray))
{
    window_.installEventFilter(this);
}

bool TrayIcon::Available() { return AvailabilityCheck()(); }

bool TrayIcon::TrayAvailable()
{
    if (Available())
        return true;
    if (!noTrayLogged_)
        AddLog("タスクトレイが見つからないため、ウィンドウは通常どおり最小化します");
    noTrayLogged_ = true;
    return false;
}

void TrayIcon::ShowIcon()
{
    if (!icon_) {
        icon_ = new QSystemTrayIcon(this);
        icon_->setContextMenu(&menu_);
        connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger)
                FromTray();
        });
    }
    icon_->setIcon(window_.windowIcon().isNull() ? ApplicationIcon() : window_.windowIcon());
    icon_->setToolTip(Tip(window_.windowTitle()));
    icon_->show();
}

bool TrayIcon::ToTray()
{
    if (!TrayAvailable())
        return false;
    if (!inTray_) {
        ShowIcon();
        inTray_ = true;
    }
    window_.hide();
    return true;
}

void TrayIcon::FromTray()
{
    if (inTray_) {
        icon_->hide();
        inTray_ = false;
    }
    window_.showNormal();
    window_.raise();
    window_.activateWindow();
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::WindowStateChange && window_.isMinimized()) {
        // Hidden once the state change has been handled; FromTray shows it normal.
        QTimer::singleShot(0, this, [this] {
            if (window_.isMinimized())
                ToTray();
        });
    } else if (event->type() == QEvent::Close && event->spontaneous() && closeBoxToTray_()) {
        // The close box (a close by the program itself is never spontaneous).
        event->ignore();
        if (!ToTray())
            window_.showMinimized();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
