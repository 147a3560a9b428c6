#include "app/PrivateProgramFolder.h"

#include "app/ProcessState.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "base/PrivateFiles.h"

namespace {

// Only what the program itself keeps there: the program folder may be one a
// user shares with other things.
const char* const kOwnEntries[] = {"Setting",          "Log",          "MailTemp",        "MailLog",
                                   "AutoTrade",        "Bin",          "service.conf",    "TempMail.eml",
                                   "MailTempSent.txt", "AutoTradeLog.Log", "BugReport.atf"};

} // namespace

void TightenProgramFolder()
{
    int changed = TightenPermissions(SettingsIniPath());
    for (const char* entry : kOwnEntries)
        changed += TightenPermissions(ProgramPath(entry));
    if (changed > 0)
        AddLog("■ 他のユーザーも読めた設定・ログなど " + std::to_string(changed) +
               " 件を、このユーザーだけが読み書きできるように変更しました");
}
