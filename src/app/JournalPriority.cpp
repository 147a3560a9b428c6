#include "app/JournalPriority.h"

#include "base/AkUnit.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

bool ContainsAny(const std::string& line, const auto& parts)
{
    return std::any_of(parts.begin(), parts.end(),
                       [&line](std::string_view part) { return line.find(part) != std::string::npos; });
}

// The [重要] lines that tell of a failure; the others of that kind report
// success ("完全に一致", "正常に終了", "エラーはありません", "保存しました").
bool IsImportantFailure(const std::string& line)
{
    static constexpr std::array<std::string_view, 5> kFailures = {"不一致", "ズレがあります", "エラーが", "失敗",
                                                                  "受信したシグナル"};
    return line.find("[重要]") != std::string::npos && ContainsAny(line, kFailures);
}

bool IsRetryOrRestart(const std::string& line)
{
    static constexpr std::array<std::string_view, 3> kWarnings = {"再実行", "リトライ", "再起動"};
    return ContainsAny(line, kWarnings);
}

} // namespace

LinePriority PriorityOf(const std::string& line)
{
    if (ContainsNoCase(line, "error") || IsImportantFailure(line))
        return LinePriority::Error;
    if (IsRetryOrRestart(line))
        return LinePriority::Warning;
    return LinePriority::Info;
}

std::string JournalLine(const std::string& line)
{
    return "<" + std::to_string(static_cast<int>(PriorityOf(line))) + ">" + line;
}
