#include "helpers/replace/SupervisedSwap.h"

#include "app/UpdateMarkers.h"
#include "helpers/replace/Replacement.h"

#include <filesystem>
#include <fstream>

namespace {

const char* const kSwapped = "swapped";
const char* const kStarting = "starting";

std::string MarkerPath() { return OwnFolder() + kSwappedFile; }

void WriteMarker(const std::string& state) { std::ofstream(MarkerPath(), std::ios::trunc) << state << "\n"; }

} // namespace

int SwapForSupervisor(const std::string& newFile, const std::string& executable, const HelperLog& log)
{
    ReplaceRequest request;
    request.newFile = newFile;
    request.executable = executable;
    log.Line("swap " + executable + " for " + newFile + " (systemd starts it)");
    if (!NewFileUsable(request, log))
        return 1;
    std::error_code ec;
    std::filesystem::remove(OwnFolder() + kProgramUpFile, ec);
    if (!SwapExecutable(request, log))
        return 1;
    WriteMarker(kSwapped);
    return 0;
}

int SettleSwap(const std::string& executable, const HelperLog& log)
{
    std::string state;
    std::ifstream(MarkerPath()) >> state;
    if (state.empty())
        return 0;
    if (state == kSwapped) {
        log.Line("first start of the swapped-in " + executable);
        WriteMarker(kStarting);
        return 0;
    }
    log.Line("the swapped-in program did not come up; rolling back");
    ReplaceRequest request;
    request.executable = executable;
    // The marker stays on failure, so the next start tries again.
    if (!RollBack(request, 0, log))
        return 1;
    std::error_code ec;
    std::filesystem::remove(MarkerPath(), ec);
    std::ofstream(OwnFolder() + kRolledBackFile) << executable << ".bak\n";
    return 0;
}
