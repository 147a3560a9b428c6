#include "reporting/LatestMail.h"

#include "base/AkUnit.h"
#include "reporting/MailMime.h"
#include "reporting/MailQueue.h"

#include <filesystem>
#include <regex>

std::optional<DateTime> MailFileTime(const std::string& name)
{
    static const std::regex stamp(R"((\d+)年(\d+)月(\d+)日(\d+)時(\d+)分(\d+)\.(\d+)秒)");
    std::smatch match;
    if (!std::regex_search(name, match, stamp))
        return std::nullopt;
    DateTime time;
    int* const fields[] = {&time.year, &time.month, &time.day, &time.hour, &time.minute, &time.second,
                           &time.millisecond};
    for (std::size_t i = 0; i < std::size(fields); ++i)
        *fields[i] = std::stoi(match[i + 1].str());
    return time;
}

std::string LatestMailLogFile()
{
    std::string latest;
    double latestTime = -1;
    // Text order would put 11月10日 before 11月5日; the time in the name decides.
    for (const std::string& name : ListFolder(MailLogFolder(), ".log", ListMode::Files)) {
        const std::optional<DateTime> time = MailFileTime(name);
        const double at = time ? ToDayCount(*time) : 0;
        if (at >= latestTime) {
            latest = MailLogFolder() + name;
            latestTime = at;
        }
    }
    return latest;
}

std::string WriteTempMailEml(const std::string& mailFile, const std::string& recipients, bool utf8)
{
    TMailContent mail;
    if (!LoadMailFile(mailFile, mail.Subject, mail.Body))
        return {};
    mail.Recipients = recipients;
    mail.Utf8 = utf8;
    const std::optional<DateTime> time = MailFileTime(std::filesystem::path(mailFile).filename().string());
    const auto written = time ? FromLocal(*time) : NowPoint();
    const std::string path = ProgramPath("TempMail.eml");
    return SaveFileAtomically(path, BuildMailMessage(mail, written)) ? path : "";
}
