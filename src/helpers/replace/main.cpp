// replace.exe <program pid> <new file> <executable> <mode> [program options...]
// replace.exe --swap <new file> <executable>   (under systemd, see SupervisedSwap.h)
// replace.exe --settle <executable>            (the unit's ExecStartPre)
// Ends the running program, keeps a backup of its executable, puts the new
// file in its place and starts it again with the mode and the options. A
// new program that does not show it is up (Bin/update-started) in time is
// ended and the backup put back and started, marked by
// Bin/update-rolled-back. Whatever fails, a program that was ended is
// started again, so it is never left stopped.

#include "app/UpdateMarkers.h"
#include "helpers/common/HelperLog.h"
#include "base/PrivateFiles.h"
#include "helpers/replace/Replacement.h"
#include "helpers/replace/SupervisedSwap.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace {

// 60 s; PELLAGO_TEST_UPDATE_UP_S shortens it in tests.
int UpSeconds()
{
    const char* text = std::getenv("PELLAGO_TEST_UPDATE_UP_S");
    const int seconds = text ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : 60;
}

} // namespace

int main(int argc, char** argv)
{
    MakeNewFilesPrivate();
    OutliveInheritedOutput();
    HelperLog log(OwnFolder() + "Replace.log");
    if (argc == 4 && std::string_view(argv[1]) == "--swap")
        return SwapForSupervisor(argv[2], argv[3], log);
    if (argc == 3 && std::string_view(argv[1]) == "--settle")
        return SettleSwap(argv[2], log);
    ReplaceRequest request;
    if (!ParseReplaceRequest(argc, argv, request)) {
        log.Line("usage: replace.exe <pid> <new file> <executable> <auto|\"\"> [options...]");
        return 2;
    }
    log.Line("replace " + request.executable + " with " + request.newFile);
    if (!NewFileUsable(request, log) || !EndProgram(request, log, 30))
        return 1;
    const std::string upFile = OwnFolder() + kProgramUpFile;
    std::error_code ec;
    std::filesystem::remove(upFile, ec);
    const bool swapped = SwapExecutable(request, log);
    const pid_t started = StartProgram(request, log);
    if (!swapped)
        return 1;
    const int seconds = UpSeconds();
    if (started && WaitUntilUp(started, upFile, seconds)) {
        log.Line("the new program is up");
        return 0;
    }
    log.Line("the new program did not come up within " + std::to_string(seconds) + " s; rolling back");
    if (!RollBack(request, started, log)) {
        StartProgram(request, log);
        return 1;
    }
    std::ofstream(OwnFolder() + kRolledBackFile) << request.newFile << "\n";
    return StartProgram(request, log) ? 0 : 1;
}
