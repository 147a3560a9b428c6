#include "base/Log.h"

#include "base/AkUnit.h"
#include "base/TextCodec.h"
#include "unit/UnitFixtures.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using testsupport::PinnedClock;
using testsupport::ScratchDir;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

const std::string kStamp = "2010/01/05 7:03:21";
const std::string kSpace = "\u3000";

class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousFolder = ProgramFolder();
        SetProgramFolder(dir.path());
        EnsureDir(dir.file("Log"));
        CreateEmptyTextFile(DetailLogPath());
        ActivityMemo().clear();
        LogObserver observer;
        observer.onAddLogBegin = [this] { events += "B"; };
        observer.onAddLogEnd = [this] { events += "E"; };
        observer.onMemoChanged = [this] { events += "M"; };
        observer.onLine = [this](const std::string&) { events += "L"; };
        SetLogObserver(observer);
    }
    void TearDown() override
    {
        SetLogObserver({});
        ActivityMemo().clear();
        SetProgramFolder(previousFolder);
    }
    std::vector<std::string> MemoLines() const
    {
        return {ActivityMemo().lines().begin(), ActivityMemo().lines().end()};
    }
    std::string MonthFile(const std::string& name) const { return Cp932ToUtf8(ReadFileBytes(dir.file("Log/" + name))); }

    ScratchDir dir;
    PinnedClock clock{2010, 1, 5, 7, 3, 21};
    std::string previousFolder;
    std::string events;
};

TEST_F(LogTest, MessagesSplitAtCrLfIntoStampedLines)
{
    using Lines = std::vector<std::string>;
    struct Case {
        std::string text;
        Lines memo;
        std::string file;
    } cases[] = {
        {"a\r\nb", {"[" + kStamp + "]" + kSpace + "a", "[" + kStamp + "]" + kSpace + "b"},
         "[" + kStamp + "]" + kSpace + "a\r\n[" + kStamp + "]" + kSpace + "b\r\n"},
        {"done\r\n", {"[" + kStamp + "]" + kSpace + "done", "[" + kStamp + "]" + kSpace},
         "[" + kStamp + "]" + kSpace + "done\r\n[" + kStamp + "]" + kSpace + "\r\n"},
        {" padded \t", {"[" + kStamp + "]" + kSpace + " padded \t"}, "[" + kStamp + "]" + kSpace + " padded\r\n"},
        {"■ 自動売買を実行します", {"[" + kStamp + "]" + kSpace + "■ 自動売買を実行します"},
         "[" + kStamp + "]" + kSpace + "■ 自動売買を実行します\r\n"},
    };
    for (const auto& c : cases) {
        ActivityMemo().clear();
        CreateEmptyTextFile(dir.file("Log/2010-01.log"));
        AddLog(c.text);
        EXPECT_EQ(MemoLines(), c.memo) << c.text;
        EXPECT_EQ(MonthFile("2010-01.log"), c.file) << c.text;
    }
}

TEST_F(LogTest, HooksBracketEveryMessage)
{
    AddLog("x\r\ny");
    EXPECT_EQ(events, "BLLME");
}

TEST_F(LogTest, MonthFileIsChosenAtEachWriteAndCreatedEmptyFirst)
{
    clock.set(2010, 1, 31, 23, 59, 59);
    AddLog("last of January");
    clock.set(2010, 2, 1, 0, 0, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("Log/2010-02.log")));
    AddLog("first of February");
    EXPECT_EQ(MonthFile("2010-01.log"), "[2010/01/31 23:59:59]" + kSpace + "last of January\r\n");
    EXPECT_EQ(MonthFile("2010-02.log"), "[2010/02/01 0:00:00]" + kSpace + "first of February\r\n");
    EXPECT_EQ(MonthlyLogPath(Now()), dir.file("Log/2010-02.log"));
}

TEST_F(LogTest, FullMemoKeepsTheLast998LinesBeforeTheNewOne)
{
    for (int i = 1; i <= 4999; ++i)
        ActivityMemo().add("old " + std::to_string(i));
    AddLog("one more");
    ASSERT_EQ(ActivityMemo().lines().size(), 5000u) << "4999 lines do not trigger the cut";

    AddLog("the next");
    const auto lines = MemoLines();
    ASSERT_EQ(lines.size(), 999u);
    EXPECT_EQ(lines.front(), "old 4003");
    EXPECT_EQ(lines[997], "[" + kStamp + "]" + kSpace + "one more");
    EXPECT_EQ(lines.back(), "[" + kStamp + "]" + kSpace + "the next");
}

TEST_F(LogTest, MemoCutTrimsTheKeptText)
{
    LogMemo memo;
    for (int i = 0; i < 4002; ++i)
        memo.add("x");
    memo.add("   ");
    memo.add("");
    memo.add("  first kept");
    for (int i = 0; i < 994; ++i)
        memo.add("line");
    memo.add("last  \r");
    memo.cutBackIfFull();
    ASSERT_EQ(memo.lines().size(), 996u);
    EXPECT_EQ(memo.lines().front(), "first kept");
    EXPECT_EQ(memo.lines().back(), "last");
}

TEST_F(LogTest, LoggingSurvivesAMissingLogFolder)
{
    std::filesystem::remove_all(dir.file("Log"));
    AddLog("still shown");
    AddDetailLog("lost quietly");
    EXPECT_EQ(MemoLines(), (std::vector<std::string>{"[" + kStamp + "]" + kSpace + "still shown"}));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Log")));
}

TEST_F(LogTest, DetailLineHasAnAsciiBlankAfterTheStamp)
{
    AddDetailLog("page\r\nwait");
    EXPECT_EQ(ReadFileBytes(DetailLogPath()), "[" + kStamp + "] page\r\nwait\r\n");
    EXPECT_TRUE(MemoLines().empty());
}

TEST_F(LogTest, DetailLogCutsBackPastItsLimit)
{
    int pumped = 0;
    SetMessagePump([&] { ++pumped; });
    struct Case {
        size_t extraBytes;
        size_t linesLeft; // of the 1000 old lines
    } cases[] = {{0, 1000}, {1, 799}};
    for (const auto& c : cases) {
        // 1000 lines of 800 bytes each (with CR LF) = 800000 bytes.
        std::string bytes;
        for (int i = 0; i < 1000; ++i) {
            std::string line = "line " + std::to_string(i);
            line.resize(798 + (i == 0 ? c.extraBytes : 0), '.');
            bytes += line + "\r\n";
        }
        WriteFileBytes(DetailLogPath(), bytes);
        ASSERT_EQ(FileSizeOf(DetailLogPath()), static_cast<std::int64_t>(800000 + c.extraBytes));
        pumped = 0;
        AddDetailLog("new");
        const auto lines = SplitLines(ReadFileBytes(DetailLogPath()));
        ASSERT_EQ(lines.size(), c.linesLeft + 1);
        EXPECT_EQ(lines.front().substr(0, 9), c.linesLeft == 1000 ? "line 0..." : "line 201.");
        EXPECT_EQ(lines.back(), "[" + kStamp + "] new");
        EXPECT_EQ(pumped, c.linesLeft == 1000 ? 0 : 2);
    }
    SetMessagePump({});
}

TEST_F(LogTest, RepeatedStatusCollapsesIntoOneMemoLine)
{
    CollapseRepeatedLog("Market Close.");
    clock.set(2010, 1, 5, 7, 6, 21);
    CollapseRepeatedLog("market close.");
    clock.set(2010, 1, 5, 7, 9, 21);
    events.clear();
    CollapseRepeatedLog("Market Close.");
    EXPECT_EQ(MemoLines(), (std::vector<std::string>{"[" + kStamp + " ～ 2010/01/05 7:09:21]" + kSpace + "Market Close."}));
    EXPECT_EQ(MonthFile("2010-01.log"), "[" + kStamp + "]" + kSpace + "Market Close.\r\n");
    EXPECT_EQ(events, "M") << "no timer, banner or file for a collapse";

    CollapseRepeatedLog("Signal check");
    EXPECT_EQ(ActivityMemo().lines().size(), 2u);
}

TEST_F(LogTest, CollapseKeepsTheFirstStampWhenTheTextHoldsTheRangeMark)
{
    const std::string text = "週末 土曜朝5時 ～ 月曜朝7時";
    CollapseRepeatedLog(text);
    clock.set(2010, 1, 5, 8, 0, 0);
    CollapseRepeatedLog(text);
    clock.set(2010, 1, 5, 9, 0, 0);
    CollapseRepeatedLog(text);
    EXPECT_EQ(MemoLines(), (std::vector<std::string>{"[" + kStamp + " ～ 2010/01/05 9:00:00]" + kSpace + text}));
}

} // namespace
