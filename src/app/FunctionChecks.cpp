#include "app/FunctionChecks.h"

#include "app/HelperFiles.h"
#include "app/ProcessLaunch.h"
#include "app/ProcessState.h"
#include "app/SelfUpdate.h"
#include "app/ServiceContext.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentNodes.h"
#include "documents/XmlFile.h"

namespace {

void Announce(const std::string& caption) { AddLog("■" + caption + "を実行します"); }

void TerminateProgram()
{
    if (CurrentServiceHooks().terminateProgram)
        CurrentServiceHooks().terminateProgram();
}

} // namespace

void RunUpdateTest()
{
    Announce("アップデートテスト");
    if (CurrentServiceHooks().closeSettingsPanel)
        CurrentServiceHooks().closeSettingsPanel();
    PumpMessages(0);
    PumpFor(200);
    pugi::xml_document doc;
    LoadXmlFile(AccountTemplatePath(), doc);
    pugi::xml_node pellago = doc.document_element().child("Pellago");
    DownloadAndHandOver(Trim(NodeText(pellago.child("URL"))), Trim(NodeText(pellago.child("Version"))), "auto",
                        "[AutoUpdate] 今回は処理を中断します");
}

std::string RestartTestCommandLine()
{
    return QuoteArg(ProgramPath("Bin/ReExe.exe")) + " " + QuoteArg(RestartCommandLine({"auto", "10"})) + " " +
           QuoteArg("12");
}

void RunRestartTest()
{
    Announce("Pellago再起動テスト");
    LaunchProcess(RestartTestCommandLine());
    TerminateProgram();
}

void RunRevivalTest()
{
    Announce("自動復活テスト");
    if (!WatchdogProcess)
        WatchdogToggle();
    KeepWatchdogAtExit = true;
    TerminateProgram();
}
