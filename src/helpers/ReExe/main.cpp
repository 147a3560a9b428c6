// ReExe.exe <command line> <delay in seconds>
// Waits the delay, counting down in a window titled "ReExeTimer" (drawn
// offscreen when there is no display), then runs the command. The process calls itself
// "TReExeForm" so the watchdog can see a restart is on its way.

#include "helpers/ReExe/Countdown.h"
#include "base/PrivateFiles.h"
#include "helpers/common/HelperLog.h"
#include "helpers/common/ProcessLookup.h"

#include <QApplication>
#include <QLabel>

#include <cstdlib>

namespace {

// Without a reachable display the window is drawn offscreen: the count-down
// and the restart never depend on a desktop session.
void PreferDisplayElseOffscreen()
{
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    if (!chosen || !*chosen)
        setenv("QT_QPA_PLATFORM", "xcb;wayland;offscreen", 1);
}

int DelaySeconds(const char* text)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    return end != text && value > 0 ? static_cast<int>(value) : 0;
}

} // namespace

int main(int argc, char** argv)
{
    MakeNewFilesPrivate();
    OutliveInheritedOutput();
    SetOwnProcessName("TReExeForm");
    HelperLog log(OwnFolder() + "ReExe.log");
    if (argc < 2) {
        log.Line("usage: ReExe.exe <command line> <delay in seconds>");
        return 2;
    }
    const std::string command = argv[1];
    const int delay = argc > 2 ? DelaySeconds(argv[2]) : 0;
    log.Line("run " + command + " in " + std::to_string(delay) + " s");

    PreferDisplayElseOffscreen();
    QApplication app(argc, argv);
    QLabel window;
    window.setObjectName("TReExeForm");
    window.setWindowTitle("ReExeTimer");
    window.setAlignment(Qt::AlignCenter);
    window.resize(280, 80);
    window.show();
    Countdown countdown(command, delay, log, &window);
    countdown.Start();
    return app.exec();
}
