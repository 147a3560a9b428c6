#include "app/SignalRefusal.h"

#include "app/NoticeMail.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "documents/SignalDocument.h"

#include <filesystem>
#include <system_error>

namespace {

// The file as it is now: a re-sent signal under the same name differs in
// size or time, and is judged again.
std::string FileIdentity(const std::string& path)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    const auto time = std::filesystem::last_write_time(path, error);
    return path + "|" + std::to_string(size) + "|" + std::to_string(time.time_since_epoch().count());
}

std::string DefectText(SignalDefect defect)
{
    return defect == SignalDefect::Unreadable ? "XMLとして読み込めません"
                                              : "ポジション情報(HoldPositionSummary)がありません";
}

void Announce(const std::string& path, SignalDefect defect, bool mailReports)
{
    const std::string line = "■ [重要] 受信したシグナル " + ShownSignalPath(path) + " は" + DefectText(defect) +
                             "。誤った売買を防ぐため自動売買を行わず、ポジションはそのままにします";
    const std::string next = "次に正しいシグナルを受信した時点で、自動的に自動売買を行います";
    AddLog(line);
    AddLog(next);
    if (mailReports)
        QueueNoticeMail("シグナルに異常があるため自動売買を見送りました", line + "\r\n" + next);
}

} // namespace

bool RefuseBrokenSignal(const std::string& path, bool mailReports)
{
    static std::string lastRefused;
    const SignalDefect defect = InspectSignalFile(path);
    if (defect == SignalDefect::None)
        return false;
    const std::string identity = FileIdentity(path);
    if (identity == lastRefused) {
        AddDetailLog("異常なシグナル " + path + " は引き続き自動売買に使いません");
        return true;
    }
    lastRefused = identity;
    Announce(path, defect, mailReports);
    return true;
}

std::string ShownSignalPath(const std::string& path)
{
    std::string shown = std::filesystem::path(path).generic_string();
    if (shown.rfind(ProgramFolder(), 0) == 0)
        shown.erase(0, ProgramFolder().size());
    return shown;
}
