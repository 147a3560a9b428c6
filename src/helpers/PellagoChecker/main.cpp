// PellagoChecker.exe <program window class> <count-down class> <command> <period>
// While it runs, it starts the command again when neither the program of the
// command's program folder nor a ReExe count-down for it is running, then
// ends: the revived program starts its own watchdog at its first automatic
// tick. Programs of other folders, even of the same executable, do not count.

#include "app/ProcessLaunch.h"
#include "base/PrivateFiles.h"
#include "helpers/PellagoChecker/Watch.h"
#include "helpers/common/HelperLog.h"

#include <chrono>
#include <thread>

int main(int argc, char** argv)
{
    MakeNewFilesPrivate();
    OutliveInheritedOutput();
    if (argc < 4)
        return 2;
    WatchTarget target = MakeWatchTarget(argv[3], argv[2]);
    if (target.command.empty())
        return 2;
    const auto period = std::chrono::seconds(CheckPeriodSeconds(argc > 4 ? argv[4] : "10"));
    while (true) {
        std::this_thread::sleep_for(period);
        if (!ProgramRunning(target) && !CountdownRunning(target))
            return LaunchArguments(target.command) ? 0 : 1;
    }
}
