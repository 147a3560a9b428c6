// The balance history rebuilt from daily snapshots, and the adjustment by
// deposits and withdrawals.

#include "base/Log.h"
#include "reporting/BalanceHistory.h"
#include "reporting/InOutFile.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

std::string Snapshot(const std::string& valuation)
{
    return "<root><AccountSummary><Today><Balance>1</Balance>" + valuation +
           "</Today></AccountSummary><Accounts/></root>";
}

std::string Valuation(const std::string& amount)
{
    return "<BalancePL>" + amount + "</BalancePL>";
}

class BalanceHistory : public ::testing::Test {
protected:
    testsupport::ScratchDir dir;

    void SetUp() override
    {
        SetProgramFolder(dir.path());
        std::filesystem::create_directories(AccountLogFolder());
    }
    void snapshot(const std::string& year, const std::string& file, const std::string& content)
    {
        std::filesystem::create_directories(AccountLogFolder() + year);
        WriteFileBytes(AccountLogFolder() + year + "/" + file, content);
    }
    bool logged(const std::string& part) const
    {
        const auto& lines = ActivityMemo().lines();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.find(part) != std::string::npos; });
    }
    bool loggedError() const
    {
        const auto& lines = ActivityMemo().lines();
        return !lines.empty() && lines.back().find("Error! in ExtractAccountBalance") != std::string::npos;
    }
};

TEST_F(BalanceHistory, NoSnapshotsWriteEmptyFiles)
{
    ExtractAccountBalance();
    EXPECT_TRUE(std::filesystem::exists(BalanceCsvPath()));
    EXPECT_EQ(ReadFileBytes(BalanceCsvPath()), "");
    EXPECT_EQ(ReadFileBytes(BalanceWithInOutCsvPath()), "");
}

TEST_F(BalanceHistory, OneLinePerSnapshotWithAPositiveValuationInDateOrder)
{
    snapshot("2010", "0105.xml", Snapshot(Valuation("123")));
    snapshot("2010", "1001.xml", Snapshot(Valuation("2000")));
    snapshot("2010", "0106.xml", Snapshot(Valuation("0")));
    snapshot("2010", "0107.xml", Snapshot(Valuation("-5")));
    snapshot("2010", "0108.xml", Snapshot(""));
    snapshot("2010", "0109.txt", "not a snapshot");
    snapshot("2010", "copy of 0105.xml", Snapshot(Valuation("555")));
    snapshot("2010", "01050.xml", Snapshot(Valuation("555")));
    snapshot("2009", "1231.xml", Snapshot(Valuation("99")));
    ExtractAccountBalance();
    const std::string expected = "2009/12/31, 99\r\n2010/1/5, 123\r\n2010/10/1, 2000\r\n";
    EXPECT_EQ(ReadFileBytes(BalanceCsvPath()), expected);
    EXPECT_EQ(ReadFileBytes(BalanceWithInOutCsvPath()), expected) << "without InOut.csv a copy";
}

TEST_F(BalanceHistory, InOutEntryRaisesItsDayAndEveryEarlierDay)
{
    snapshot("2009", "1101.xml", Snapshot(Valuation("100")));
    snapshot("2009", "1102.xml", Snapshot(Valuation("100")));
    snapshot("2009", "1103.xml", Snapshot(Valuation("150")));
    WriteFileBytes(InOutCsvPath(), "2009/11/2, 50\r\n");
    ExtractAccountBalance();
    EXPECT_EQ(ReadFileBytes(BalanceCsvPath()), "2009/11/1, 100\r\n2009/11/2, 100\r\n2009/11/3, 150\r\n");
    EXPECT_EQ(ReadFileBytes(BalanceWithInOutCsvPath()), "2009/11/1, 150\r\n2009/11/2, 150\r\n2009/11/3, 150\r\n");
}

TEST_F(BalanceHistory, BrokenSnapshotLeavesBothFilesAsTheyWere)
{
    WriteFileBytes(BalanceCsvPath(), "old\r\n");
    WriteFileBytes(BalanceWithInOutCsvPath(), "old too\r\n");
    const char* broken[] = {"<root><AccountSummary>", "<root><Accounts/></root>",
                            "<root><AccountSummary><Today><BalancePL>1.5</BalancePL></Today></AccountSummary></root>"};
    for (const char* content : broken) {
        snapshot("2010", "0105.xml", content);
        ExtractAccountBalance();
        EXPECT_TRUE(loggedError()) << content;
        EXPECT_EQ(ReadFileBytes(BalanceCsvPath()), "old\r\n") << content;
        EXPECT_EQ(ReadFileBytes(BalanceWithInOutCsvPath()), "old too\r\n") << content;
    }
}

TEST_F(BalanceHistory, UnreadableInOutLinesAreMovedAsideAndNoLongerStopTheHistory)
{
    snapshot("2010", "0105.xml", Snapshot(Valuation("123")));
    for (const std::string bad : {"2010/1/5, 5-", "2010/1/5", "2010-01-05, 5", "2010/13/5, 5", "2010/1/5, x"}) {
        std::filesystem::remove(InOutRejectedCsvPath());
        WriteFileBytes(InOutCsvPath(), "2010/1/5, 7\r\n" + bad + "\r\n2010/1/5, -1\r\n");
        for (int run = 0; run < 2; ++run) {
            ExtractAccountBalance();
            EXPECT_FALSE(loggedError()) << bad;
            EXPECT_EQ(ReadFileBytes(BalanceWithInOutCsvPath()), "2010/1/5, 129\r\n") << bad;
            EXPECT_EQ(ReadFileBytes(InOutCsvPath()), "2010/1/5, 7\r\n2010/1/5, -1\r\n") << bad;
            EXPECT_EQ(ReadFileBytes(InOutRejectedCsvPath()), bad + "\r\n") << bad;
        }
        EXPECT_TRUE(logged("InOut.csv の読めない行「" + bad + "」を " + InOutRejectedCsvPath())) << bad;
    }
}

TEST(BalanceHistoryRules, SnapshotDateDropsLeadingZeros)
{
    const struct {
        const char* file;
        const char* date;
    } cases[] = {{"0105.xml", "2010/1/5"}, {"1001.xml", "2010/10/1"}, {"1231.xml", "2010/12/31"},
                 {"0110.xml", "2010/1/10"}};
    for (const auto& c : cases) EXPECT_EQ(SnapshotDate("2010", c.file), c.date) << c.file;
}

std::vector<long long> Adjusted(const std::vector<std::string>& dates, const std::string& inOut)
{
    std::vector<TBalanceLine> history;
    for (const std::string& date : dates) history.push_back({date, 100});
    ApplyInOut(history, SplitInOutLines(inOut).Entries);
    std::vector<long long> amounts;
    for (const TBalanceLine& line : history) amounts.push_back(line.Amount);
    return amounts;
}

TEST(BalanceHistoryRules, InOutMatchesTheNewestLineOnOrBeforeIt)
{
    const std::vector<std::string> days = {"2009/11/1", "2009/11/5", "2009/12/1"};
    const struct {
        const char* label;
        const char* inOut;
        std::vector<long long> amounts;
    } cases[] = {
        {"after the last line raises all", "2010/1/1, 10\r\n", {110, 110, 110}},
        {"before the first line changes nothing", "2009/10/31, 10\r\n", {100, 100, 100}},
        {"between lines counts for the older one", "2009/11/3, +10\r\n", {110, 100, 100}},
        {"withdrawal", "2009/11/5, -30\r\n", {70, 70, 100}},
        {"several entries add up", "2009/11/1, 1\r\n2009/11/5, 10\r\n2009/12/1, 100\r\n", {211, 210, 200}},
        {"entries of one day both count", "2009/11/5, 10\r\n2009/11/5, 20\r\n", {130, 130, 100}},
        {"entries between the same lines both count", "2009/11/2, 10\r\n2009/11/3, 20\r\n", {130, 100, 100}},
        {"empty list", "", {100, 100, 100}},
    };
    for (const auto& c : cases) EXPECT_EQ(Adjusted(days, c.inOut), c.amounts) << c.label;
}

TEST(BalanceHistoryRules, UnreadableInOutLinesAreRejected)
{
    for (const char* text : {"2009/11/1\r\n", "2009/11/1, x\r\n", "2009/11/1, 5-\r\n", "2009-11-01, 5\r\n"}) {
        const TInOutLines lines = SplitInOutLines(text);
        EXPECT_TRUE(lines.Entries.empty()) << text;
        EXPECT_EQ(lines.Rejected.size(), 1u) << text;
    }
    std::vector<TBalanceLine> history = {{"2009/11/1", 1}};
    EXPECT_THROW(ApplyInOut(history, {{"2009-11-01", 5}}), std::invalid_argument);
}

} // namespace
