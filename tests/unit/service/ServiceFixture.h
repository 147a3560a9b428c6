#pragma once
// A scratch program folder with the process state reset and the activity
// memo cleared, so each test reads what the operation logged and wrote.

#include "app/ProcessState.h"
#include "app/ServiceContext.h"
#include "app/base/AkUnit.h"
#include "app/base/Log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace servicetest {

class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device rd;
        folder_ = std::filesystem::temp_directory_path() / ("pellago-service-" + std::to_string(rd()));
        std::filesystem::create_directories(folder_ / "Log");
        std::filesystem::create_directories(folder_ / "Setting");
        std::filesystem::create_directories(folder_ / "Bin");
        std::filesystem::create_directories(folder_ / "MailTemp");
        SetProgramFolder(folder_.string() + "/");
        SetExecutablePath(folder_.string() + "/pellago");
        ResetProcessState();
        ActivityMemo().clear();
        SetServiceHooks({});
        SetUserMessageSink([this](const std::string& text) { messages.push_back(text); });
    }

    void TearDown() override
    {
        SetUserMessageSink(nullptr);
        SetServiceHooks({});
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }

    std::string Path(const std::string& relative) const { return folder_.string() + "/" + relative; }

    void Write(const std::string& relative, const std::string& bytes) const
    {
        std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path());
        std::ofstream(Path(relative), std::ios::binary) << bytes;
    }

    std::string Read(const std::string& relative) const
    {
        std::ifstream in(Path(relative), std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    // The texts of the memo lines, without their time stamps.
    std::vector<std::string> Logged() const
    {
        std::vector<std::string> texts;
        const std::string mark = "]　";
        for (const auto& line : ActivityMemo().lines()) {
            auto at = line.find(mark);
            texts.push_back(at == std::string::npos ? line : line.substr(at + mark.size()));
        }
        return texts;
    }

    bool LoggedLine(const std::string& text) const
    {
        for (const auto& line : Logged())
            if (line == text)
                return true;
        return false;
    }

    std::vector<std::string> QueuedMails() const
    {
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder_ / "MailTemp"))
            files.push_back(entry.path().string());
        return files;
    }

    std::vector<std::string> messages;

private:
    std::filesystem::path folder_;
};

} // namespace servicetest
