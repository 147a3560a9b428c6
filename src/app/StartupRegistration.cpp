#include "app/StartupRegistration.h"

#include "app/ProcessState.h"
#include "base/AkUnit.h"

#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

std::vector<std::string> StartupCommand()
{
    std::vector<std::string> command{ExecutablePath(), "auto"};
    const fs::path programFolder = fs::path(ProgramFolder()).parent_path(); // without the final "/"
    std::error_code ec;
    if (!fs::equivalent(fs::path(ExecutablePath()).parent_path(), programFolder, ec)) {
        command.push_back("--home");
        command.push_back(programFolder.string());
    }
    return command;
}

void CheckBox9Click(AutostartEntry& entry, bool registered)
{
    try {
        if (registered && !entry.Exists()) {
            entry.Create(StartupCommand());
            ShowUserMessage("スタートアップに登録しました\r\n以後、PC再起動時にPellagoを起動し\r\n"
                            "定期的にシグナルをチェックし、自動売買を行います",
                            "確認");
        } else if (!registered && entry.Exists()) {
            entry.Remove();
            ShowUserMessage("スタートアップの登録を削除しました\r\n"
                            "自動売買を自動実行させるには、再度スタートアップに登録してください",
                            "確認");
        }
    } catch (const std::exception& error) {
        ShowUserMessage(std::string("スタートアップの登録を変更できませんでした\r\n") + error.what());
    }
}
