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

TEST_F(LatestSignal, UnreadableNameGivesEmpty)
{
    store("2010", {"0104.xml", "signal.xml"});
    EXPECT_EQ(LatestSignalFile(Jan5At10()), "");
    EXPECT_TRUE(stored("2010", "signal.xml"));
}

} // namespace
