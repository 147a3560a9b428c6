#include "app/ui/WindowPlacement.h"

#include "app/ui/SettingsFile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <climits>

namespace {

const QString kGeometry = QStringLiteral("WindowGeometry");
// The bounds older versions stored; still written for them, read when the
// full placement is missing.
const QString kTop = QStringLiteral("Top");
const QString kLeft = QStringLiteral("Left");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");

const QSize kComfortableSize(1100, 760);
// Room for a window manager's title bar and the panels around the screen.
constexpr int kFrameAllowance = 80;

QRect PrimaryArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void CentreOnPrimaryScreen(QWidget& window, QSize size)
{
    const QRect area = PrimaryArea();
    size = size.boundedTo(area.size() - QSize(kFrameAllowance / 2, kFrameAllowance)).expandedTo(window.minimumSize());
    QRect bounds(QPoint(0, 0), size);
    bounds.moveCenter(area.center());
    window.setGeometry(bounds);
}

// The strip above the window's inside where its title bar lies.
bool TitleBarOnSomeScreen(const QRect& bounds)
{
    const QPoint titleBar(bounds.center().x(), bounds.top() - 10);
    const auto screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(),
                       [&](const QScreen* screen) { return screen->availableGeometry().contains(titleBar); });
}

bool RestoreOldBounds(QWidget& window, const SettingsFile& file, const QString& section)
{
    const auto value = [&](const QString& key) { return file.readInteger(section, key, LLONG_MIN); };
    const long long top = value(kTop), left = value(kLeft), width = value(kWidth), height = value(kHeight);
    for (long long v : {top, left, width, height})
        if (v < INT_MIN || v > INT_MAX)
            return false;
    window.setGeometry(QRect(int(left), int(top), int(width), int(height)));
    return true;
}

} // namespace

void SaveWindowPlacement(SettingsSectionWriter& file, const QWidget& window)
{
    file.writeString(kGeometry, QString::fromLatin1(window.saveGeometry().toBase64()));
    const QRect bounds = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    file.writeInteger(kTop, bounds.top());
    file.writeInteger(kLeft, bounds.left());
    file.writeInteger(kWidth, bounds.width());
    file.writeInteger(kHeight, bounds.height());
}

void RestoreWindowPlacement(QWidget& window, const SettingsFile& file, const QString& section)
{
    const QByteArray stored = QByteArray::fromBase64(file.readString(section, kGeometry, QString()).toLatin1());
    if (!stored.isEmpty() && window.restoreGeometry(stored))
        return; // Qt itself brings a placement beyond today's screens back
    if (!RestoreOldBounds(window, file, section))
        return CentreOnPrimaryScreen(window, kComfortableSize);
    if (!TitleBarOnSomeScreen(window.geometry()))
        CentreOnPrimaryScreen(window, window.size());
}
