#include "app/ReportParts.h"

#include "app/OsDescription.h"
#include "app/ProcessState.h"
#include "app/SettingsSecrets.h"
#include "base/AkUnit.h"
#include "base/Log.h"
#include "base/TextCodec.h"

#include <algorithm>
#include <array>
#include <filesystem>

namespace {

constexpr std::size_t kShortLog = 1000;    // fewer lines: the month before is added
constexpr std::size_t kSendLimit = 7000;   // more lines are cut when sending ...
constexpr std::size_t kSendKeep = 6999;    // ... to the last this many

const char* const kMask = "********";

const std::array<const char*, 4> kLogInElements = {"UserName", "SubPassword", "NowPassword", "Password"};

bool IsFile(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\r\n" : "") + lines[i];
    return text;
}

void Append(std::vector<std::string>& lines, const std::vector<std::string>& more)
{
    lines.insert(lines.end(), more.begin(), more.end());
}

std::vector<std::string> FileLines(const std::string& path)
{
    std::string text;
    return LoadTextFile(path, text) ? SplitLines(text) : std::vector<std::string>{};
}

std::vector<std::string> Head(const char* title, const ReportTexts& texts)
{
    return {"", std::string(title) + "ID(" + texts.loginId + ") " + FormatTimeStamp(Now())};
}

std::vector<std::string> InquiryPart(const ReportTexts& texts)
{
    std::vector<std::string> lines = Head("お問い合わせ内容 : ", texts);
    Append(lines, {"連絡先メールアドレス : " + texts.contactAddress, "受信者メールアドレス : " + texts.recipients, ""});
    Append(lines, SplitLines(texts.description));
    return lines;
}

// This month's file, else the one of 28 days ago; a short one gets the file
// of 20 days ago after it. Empty when there is no file at all.
std::vector<std::string> ActivityLogLines(bool send)
{
    const DateTime now = Now();
    std::string path = MonthlyLogPath(now);
    if (!IsFile(path))
        path = MonthlyLogPath(AddDays(now, -28));
    if (!IsFile(path))
        return {};
    std::vector<std::string> lines = FileLines(path);
    const std::string earlier = MonthlyLogPath(AddDays(now, -20));
    if (lines.size() < kShortLog && earlier != path && IsFile(earlier))
        Append(lines, FileLines(earlier));
    if (send && lines.size() > kSendLimit)
        lines.erase(lines.begin(), lines.end() - kSendKeep);
    return lines;
}

std::optional<std::vector<std::string>> FilePart(const char* title, const ReportTexts& texts, const std::string& path)
{
    if (!IsFile(path))
        return std::nullopt;
    std::vector<std::string> lines = Head(title, texts);
    lines.push_back("");
    Append(lines, FileLines(path));
    return lines;
}

std::vector<std::string> LogPart(const ReportTexts& texts, bool send)
{
    const std::vector<std::string> log = ActivityLogLines(send);
    if (log.empty())
        return {"logファイルが存在しません"};
    std::vector<std::string> lines = Head("通常のログ : ", texts);
    lines.push_back("");
    Append(lines, log);
    return lines;
}

std::optional<std::vector<std::string>> AccountPart(const ReportTexts& texts)
{
    const std::string path = ProgramPath("Setting/Account.xml");
    std::string bytes;
    if (!IsFile(path) || !ReadFileBytes(path, bytes))
        return std::nullopt;
    std::vector<std::string> lines = Head("設定状態 : ", texts);
    Append(lines, {"", "UserName, Passwordはセキュリティとプライバシー保護のため送信されません"});
    Append(lines, AccountLinesForReport(DecodeExternalText(bytes)));
    return lines;
}

std::vector<std::string> SystemPart(const ReportTexts& texts)
{
    std::vector<std::string> lines = Head("OS情報&Replaceログ : ", texts);
    Append(lines, {"", OsDescription()});
    for (const char* helperLog : {"Replace.log", "ReExe.log"}) {
        const std::string path = ProgramPath(std::string("Bin/") + helperLog);
        if (IsFile(path)) {
            Append(lines, {"", helperLog});
            Append(lines, FileLines(path));
        }
    }
    const std::string settings = SettingsIniPath();
    if (IsFile(settings)) {
        Append(lines, {"", std::filesystem::path(settings).filename().string()});
        for (const std::string& line : FileLines(settings))
            if (!IsScrambledSettingLine(line))
                lines.push_back(line);
    }
    return lines;
}

// "<UserName Visible=" and its kind, and any other opening tag of the four
// elements: a hand-made document whose element lacks the attribute must
// not send its scrambled (and so readable) log-in data either.
bool HoldsLogInData(const std::string& line)
{
    for (const char* element : kLogInElements)
        for (const char* after : {" ", ">", "/", "\t"})
            if (line.find("<" + std::string(element) + after) != std::string::npos)
                return true;
    return false;
}

// The passwords of the moment and those stored, plain and scrambled, longest
// first so that one holding another is masked whole.
std::vector<std::string> SecretsOf(const ReportTexts& texts)
{
    std::vector<std::string> secrets = StoredSecretForms(SettingsIniPath());
    secrets.insert(secrets.end(), texts.secrets.begin(), texts.secrets.end());
    std::erase(secrets, std::string());
    std::sort(secrets.begin(), secrets.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    return secrets;
}

// A log line may quote a password (the reference address of the web route
// holds it); such a line keeps its shape with the password masked.
std::string MaskSecrets(std::string text, const std::vector<std::string>& secrets)
{
    for (const std::string& secret : secrets)
        text = ReplaceAll(text, secret, kMask);
    return text;
}

} // namespace

std::vector<std::string> AccountLinesForReport(const std::string& accountXml)
{
    std::vector<std::string> kept;
    for (const std::string& line : SplitLines(accountXml))
        if (!HoldsLogInData(line))
            kept.push_back(line);
    return kept;
}

std::optional<std::string> BuildReportPart(int number, const ReportTexts& texts, bool send)
{
    std::optional<std::vector<std::string>> lines;
    switch (number) {
    case 1:
        if (send)
            lines = InquiryPart(texts);
        break;
    case 2:
        lines = LogPart(texts, send);
        break;
    case 3:
        lines = FilePart("その他のログ : ", texts, DetailLogPath());
        break;
    case 4:
        lines = AccountPart(texts);
        break;
    case 5:
        lines = SystemPart(texts);
        break;
    }
    if (!lines)
        return std::nullopt;
    return MaskSecrets(JoinLines(*lines), SecretsOf(texts));
}
