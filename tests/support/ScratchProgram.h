#pragma once
// A scratch program folder with the process state reset and the activity
// memo cleared, so a test reads what an operation logged and wrote. Qt-free:
// the unit tests use it as it is, the Qt suites add their event pump.

#include "app/ProcessState.h"
#include "app/ProxySetting.h"
#include "app/ServiceContext.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "support/ScratchFiles.h"

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

class ScratchProgramFolder {
public:
    ScratchProgramFolder()
    {
        for (const char* sub : {"Log", "Setting", "Bin", "MailTemp"})
            std::filesystem::create_directories(scratch_.file(sub));
        SetProgramFolder(scratch_.path());
        SetExecutablePath(scratch_.file("pellago"));
        ResetProcessState();
        ActivityMemo().clear();
        SetServiceHooks({});
        SetProxySettingProvider(nullptr);
        SetUserMessageSink([this](const std::string& text, const std::string& caption) {
            messages.push_back(text);
            captions.push_back(caption);
        });
    }
    ~ScratchProgramFolder()
    {
        SetUserMessageSink(nullptr);
        SetServiceHooks({});
        SetProxySettingProvider(nullptr);
    }
    ScratchProgramFolder(const ScratchProgramFolder&) = delete;
    ScratchProgramFolder& operator=(const ScratchProgramFolder&) = delete;

    std::string Path(const std::string& relative) const { return scratch_.file(relative); }
    void Write(const std::string& relative, const std::string& bytes) const
    {
        std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path());
        WriteFileBytes(Path(relative), bytes);
    }
    std::string Read(const std::string& relative) const { return ReadFileBytes(Path(relative)); }
    bool Exists(const std::string& relative) const { return std::filesystem::exists(Path(relative)); }

    std::vector<std::string> QueuedMails() const
    {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(Path("MailTemp")))
            files.push_back(entry.path().string());
        return files;
    }

    // What the operations showed the user in message boxes.
    std::vector<std::string> messages;
    std::vector<std::string> captions;

private:
    ScratchDir scratch_;
};

// The texts of the memo lines, without their time stamps.
inline std::vector<std::string> Logged()
{
    std::vector<std::string> texts;
    const std::string mark = "]　";
    for (const auto& line : ActivityMemo().lines()) {
        auto at = line.find(mark);
        texts.push_back(at == std::string::npos ? line : line.substr(at + mark.size()));
    }
    return texts;
}

inline bool LoggedLine(const std::string& text)
{
    for (const auto& line : Logged())
        if (line == text)
            return true;
    return false;
}

inline std::string LogDump()
{
    std::string all;
    for (const auto& line : ActivityMemo().lines())
        all += line + "\n";
    return all;
}

} // namespace testsupport
