// replace.exe <program pid> <new file> <executable> <mode>
// Ends the running program, keeps a backup of its executable, puts the new
// file in its place and starts it again with the mode. Whatever fails, a
// program that was ended is started again, so it is never left stopped.

#include "helpers/common/HelperLog.h"
#include "base/PrivateFiles.h"
#include "helpers/replace/Replacement.h"

int main(int argc, char** argv)
{
    MakeNewFilesPrivate();
    OutliveInheritedOutput();
    HelperLog log(OwnFolder() + "Replace.log");
    ReplaceRequest request;
    if (!ParseReplaceRequest(argc, argv, request)) {
        log.Line("usage: replace.exe <pid> <new file> <executable> <auto|\"\">");
        return 2;
    }
    log.Line("replace " + request.executable + " with " + request.newFile);
    if (!NewFileUsable(request, log) || !EndProgram(request, log, 30))
        return 1;
    bool swapped = SwapExecutable(request, log);
    bool started = StartProgram(request, log);
    return swapped && started ? 0 : 1;
}
