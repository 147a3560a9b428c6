#include "app/SignalFiles.h"

#include "base/AkUnit.h"
#include "base/Log.h"

std::string SignalFolderFor(const DateTime& now)
{
    return ProgramPath("AutoTrade/SignalLog/" + ZeroPad(now.year, 4) + "/");
}

bool IsSafeFileName(const std::string& name)
{
    if (name.empty() || name == "." || name.find("..") != std::string::npos || name.size() > 255)
        return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F)
            return false;
        if (std::string("/\\<>:\"|?*").find(static_cast<char>(c)) != std::string::npos)
            return false;
    }
    return true;
}

std::string WithCrLfLineEnds(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16 + 2);
    std::size_t i = 0;
    bool lineOpen = false;
    while (i < bytes.size()) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            lineOpen = false;
            i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        } else {
            out += c;
            lineOpen = true;
            ++i;
        }
    }
    if (lineOpen)
        out += "\r\n";
    return out;
}

namespace {

// The refused name as it may appear in a log line: no line breaks or other
// control characters smuggled into the log.
std::string Printable(const std::string& name)
{
    std::string out;
    for (unsigned char c : name)
        out += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
    return out;
}

} // namespace

StoreResult StoreSignalFile(const std::string& folder, const std::string& name, const std::string& bytes)
{
    if (!IsSafeFileName(name)) {
        AddLog("シグナルのファイル名 \"" + Printable(name) + "\" は使用できないため保存しません");
        return StoreResult::RefusedName;
    }
    std::string path = folder + name;
    if (!SaveFileAtomically(path, WithCrLfLineEnds(bytes))) {
        ShowUserMessage(path + "\r" + "へのテキストの保存に失敗しました。" + "\r" + "処理を中断します");
        return StoreResult::WriteFailed;
    }
    return StoreResult::Stored;
}
