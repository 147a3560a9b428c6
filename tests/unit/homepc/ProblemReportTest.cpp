// The problem report written to "BugReport.atf": which logs it takes, what
// it leaves out, the scrambled file and pellago-report-text, which turns
// the file back into the text.

#include "app/ProblemReport.h"
#include "app/ReportScramble.h"
#include "base/TextCodec.h"
#include "support/ScratchProgram.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

using testsupport::ScratchProgramFolder;

namespace {

std::string Lines(const std::string& prefix, int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += prefix + std::to_string(i) + "\r\n";
    return text;
}

// The log lines of part 2: what follows its empty line, title and empty line.
std::vector<std::string> LogLinesOfPart(const std::string& part)
{
    std::vector<std::string> lines = SplitLines(part);
    return lines.size() < 3 ? lines : std::vector<std::string>(lines.begin() + 3, lines.end());
}

const ReportTexts kTexts{"user7", "me@example.jp", "report@example.jp", "落ちます"};

} // namespace

TEST(ProblemReport, ActivityLogOfTheMonthWithTheMonthBeforeWhenShortAndCutWhenSent)
{
    struct Case {
        std::map<std::string, int> logs; // month file -> lines
        bool send;
        std::size_t lines;
        std::string first;
    } cases[] = {
        {{{"2024-03", 3}, {"2024-02", 2}}, false, 5, "2024-03 1"},
        {{{"2024-02", 2}}, false, 2, "2024-02 1"}, // this month's missing: the one of 28 days ago, once
        {{{"2024-03", 7001}, {"2024-02", 2}}, false, 7001, "2024-03 1"},
        {{{"2024-03", 7001}}, true, 6999, "2024-03 3"},
        {{}, false, 1, "logファイルが存在しません"},
    };
    for (const Case& c : cases) {
        ScratchProgramFolder folder;
        testsupport::PinnedClock clock(2024, 3, 10, 12, 0);
        for (const auto& [month, count] : c.logs)
            folder.Write("Log/" + month + ".log", Lines(month + " ", count));
        const std::vector<std::string> lines = LogLinesOfPart(*BuildReportPart(2, kTexts, c.send));
        EXPECT_EQ(lines.size(), c.lines) << c.first;
        EXPECT_EQ(lines.front(), c.first);
    }
}

TEST(ProblemReport, ExportWritesTheReportWithoutLogInDataAndShowsTheFile)
{
    ScratchProgramFolder folder;
    folder.Write("Log/hd", "[2024/03/10 11:00:01] WaitIE IN\r\n");
    folder.Write("Bin/ReExe.log", "restart\r\n");
    folder.Write("pellago.ini", "[Main]\r\nEdit1=user7\r\n");
    folder.Write("Setting/Account.xml", "<Account>\n  <Item>\n    <Name>LionFX</Name>\n"
                                        "    <UserName Visible=\"False\">c2VjcmV0</UserName>\n"
                                        "    <Password Visible=\"False\">cGFzcw==</Password>\n"
                                        "    <SubPassword>hand-made</SubPassword>\n  </Item>\n</Account>\n");
    std::vector<std::string> shownFiles;
    ProblemReportHost host;
    host.texts = [] { return kTexts; };
    host.showFile = [&](const std::string& file) { shownFiles.push_back(file); };

    AutoMode = true;
    EXPECT_FALSE(SendProblemReport(false, host));
    EXPECT_EQ(folder.messages, std::vector<std::string>{"自動売買モード中はご利用になれません"});
    EXPECT_FALSE(folder.Exists("BugReport.atf"));
    AutoMode = false;
    ASSERT_TRUE(SendProblemReport(false, host));

    EXPECT_EQ(shownFiles, std::vector<std::string>{folder.Path("BugReport.atf")});
    const std::string report = Cp932ToUtf8(UnscrambleBytes(folder.Read("BugReport.atf")));
    for (const char* part : {"\r\n通常のログ : ID(user7) ", "■ 問題点をファイルに書き出します", "WaitIE IN",
                             "<Name>LionFX</Name>", "ReExe.log\r\nrestart", "pellago.ini\r\n[Main]",
                             "\r\nOS情報&Replaceログ : ID(user7) "})
        EXPECT_NE(report.find(part), std::string::npos) << part;
    for (const char* secret : {"c2VjcmV0", "cGFzcw==", "hand-made", "お問い合わせ内容"})
        EXPECT_EQ(report.find(secret), std::string::npos) << secret;
}

TEST(ProblemReport, TheFileIsTheTextBackwardsShiftedBy91AndTheToolRestoresIt)
{
    testsupport::ScratchDir scratch;
    const std::string text = "\r\n設定状態 : ID(user7) 2024/03/10 12:00:00\r\n<Name>LionFX</Name>\r\n";
    const std::string file = scratch.file("BugReport.atf");
    ASSERT_TRUE(ScrambleReport(text, file));
    const std::string bytes = testsupport::ReadFileBytes(file);
    const std::string cp932 = Utf8ToCp932(text);
    ASSERT_EQ(bytes.size(), cp932.size());
    EXPECT_EQ(static_cast<unsigned char>(bytes.front()), (static_cast<unsigned char>(cp932.back()) + 91) % 256);

    const char* bin = std::getenv("PELLAGO_BIN_DIR");
    const std::string tool = std::string(bin ? bin : "bin") + "/pellago-report-text";
    ASSERT_EQ(std::system((tool + " " + file + " " + scratch.file("restored.txt")).c_str()), 0);
    EXPECT_EQ(testsupport::ReadFileBytes(scratch.file("restored.txt")), text);

    ASSERT_TRUE(ScrambleReport("", scratch.file("empty.atf")));
    EXPECT_FALSE(std::filesystem::exists(scratch.file("empty.atf")));
}
