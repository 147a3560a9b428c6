// Program folder, user messages and waiting.
#include "base/AkUnit.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>
#include <unistd.h>

namespace {

std::string WithTrailingSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string ExecutableFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return WithTrailingSlash(std::filesystem::current_path().string());
    return WithTrailingSlash(exe.parent_path().string());
}

std::string& Folder()
{
    static std::string folder = ExecutableFolder();
    return folder;
}

UserMessageSink& MessageSink()
{
    static UserMessageSink sink;
    return sink;
}

MessagePump& Pump()
{
    static MessagePump pump;
    return pump;
}

void PumpOnceAndSleep()
{
    if (Pump())
        Pump()();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

const std::string& ProgramFolder()
{
    return Folder();
}

void SetProgramFolder(const std::string& folder)
{
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(folder, ec);
    Folder() = WithTrailingSlash(ec ? folder : absolute.lexically_normal().string());
}

std::string ProgramPath(const std::string& relative)
{
    // Callers may still spell folders the Windows way ("Log\\hd").
    std::string path = relative;
    for (char& c : path)
        if (c == '\\')
            c = '/';
    while (!path.empty() && path.front() == '/')
        path.erase(0, 1);
    return ProgramFolder() + path;
}

void SetUserMessageSink(UserMessageSink sink)
{
    MessageSink() = std::move(sink);
}

void ShowUserMessage(const std::string& text, const std::string& caption)
{
    if (MessageSink())
        MessageSink()(text, caption);
    else
        std::cerr << text << std::endl;
}

void SetMessagePump(MessagePump pump)
{
    Pump() = std::move(pump);
}

void PumpMessages(int n)
{
    for (int i = 0; i <= n; ++i)
        PumpOnceAndSleep();
}

void PumpFor(int milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    do
        PumpOnceAndSleep();
    while (std::chrono::steady_clock::now() < deadline);
}
