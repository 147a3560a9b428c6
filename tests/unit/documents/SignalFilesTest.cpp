// Choosing the newest stored signal file.

#include "trading/SignalFiles.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class LatestSignal : public ::testing::Test {
protected:
    testsupport::ScratchDir dir;

    void SetUp() override { SetProgramFolder(dir.path()); }
    void store(const std::string& year, std::initializer_list<const char*> names)
    {
        std::filesystem::create_directories(SignalLogFolder() + year);
        for (const char* name : names) testsupport::WriteFileBytes(SignalLogFolder() + year + "/" + name, "<S/>");
    }
    bool stored(const std::string& year, const std::string& name)
    {
        return std::filesystem::exists(SignalLogFolder() + year + "/" + name);
    }
    static DateTime Jan5At10()
    {
        DateTime now;
        now.year = 2010;
        now.month = 1;
        now.day = 5;
        now.hour = 10;
        return now;
    }
};

TEST_F(LatestSignal, NothingStoredGivesEmpty)
{
    EXPECT_EQ(LatestSignalFile(Jan5At10()), "");
    store("2010", {});
    EXPECT_EQ(LatestSignalFile(Jan5At10()), "");
}

TEST_F(LatestSignal, NewestYearAndLastNameWin)
{
    store("2009", {"1230.xml", "1231.xml"});
    store("2010", {"0104.xml", "0105.xml", "0105.txt"});
    EXPECT_EQ(LatestSignalFile(Jan5At10()), SignalLogFolder() + "2010/0105.xml");
}

TEST_F(LatestSignal, FilesMoreThanThreeDaysAheadAreDeleted)
{
    store("2010", {"0104.xml", "0108.xml", "0109.xml", "1224.xml"});
    EXPECT_EQ(LatestSignalFile(Jan5At10()), SignalLogFolder() + "2010/0108.xml");
    EXPECT_FALSE(stored("2010", "1224.xml"));
    EXPECT_FALSE(stored("2010", "0109.xml"));
    EXPECT_TRUE(stored("2010", "0104.xml"));
}

TEST_F(LatestSignal, ReadingOnlyPassesOverFilesAheadAndKeepsThem)
{
    testsupport::PinnedClock clock(2010, 1, 5, 10);
    store("2010", {"0104.xml", "1224.xml"});
    EXPECT_EQ(NewestSignalFile(), SignalLogFolder() + "2010/0104.xml");
    EXPECT_TRUE(stored("2010", "1224.xml"));
}

TEST_F(LatestSignal, AllAheadLeavesNothing)
{
    store("2010", {"0201.xml", "0301.xml"});
    EXPECT_EQ(LatestSignalFile(Jan5At10()), "");
    EXPECT_FALSE(stored("2010", "0201.xml"));
}

TEST_F(LatestSignal, SingleFileIsTakenWhateverItsDate)
{
    store("2010", {"1224.xml"});
    EXPECT_EQ(LatestSignalFile(Jan5At10()), SignalLogFolder() + "2010/1224.xml");
}

// Stray names (a mail subject such as "signal.xml", a folder that is no
// year) are passed over, and an empty new year's folder does not hide last
// year's signals.
TEST_F(LatestSignal, StrayNamesAndEmptyNewYearFoldersAreSkipped)
{
    testsupport::PinnedClock clock(2010, 1, 5, 10);
    struct Case {
        std::vector<std::pair<std::string, std::vector<const char*>>> folders;
        std::string expected; // year/name, "" for none
    };
    const std::vector<Case> cases = {
        {{{"2010", {"0104.xml", "signal.xml"}}}, "2010/0104.xml"},
        {{{"2010", {"0104.xml", "zz.xml", "x105.xml", "1399.xml"}}}, "2010/0104.xml"},
        {{{"2009", {"1230.xml", "1231.xml"}}, {"2010", {}}}, "2009/1231.xml"},
        {{{"2009", {"1231.xml"}}, {"2010", {"signal.xml"}}, {"misc", {"0105.xml"}}}, "2009/1231.xml"},
        {{{"2010", {"signal.xml"}}}, ""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(SignalLogFolder());
        for (const auto& [year, names] : c.folders) {
            std::filesystem::create_directories(SignalLogFolder() + year);
            for (const char* name : names) testsupport::WriteFileBytes(SignalLogFolder() + year + "/" + name, "<S/>");
        }
        const std::string expected = c.expected.empty() ? "" : SignalLogFolder() + c.expected;
        EXPECT_EQ(LatestSignalFile(Jan5At10()), expected);
        EXPECT_EQ(NewestSignalFile(), expected);
    }
    EXPECT_TRUE(stored("2010", "signal.xml"));
}

} // namespace
