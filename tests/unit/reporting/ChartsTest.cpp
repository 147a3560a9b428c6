// The chart requests built from the balance history: windows, gaps, labels,
// the data encoding, the grid step and the sizes the pages ask for.

#include "reporting/GoogleChart.h"
#include "support/StatusFixtures.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

namespace {

// The value of one query key of a chart element.
std::string Key(const std::string& chart, const std::string& key)
{
    const size_t start = chart.find("&" + key + "=") + key.size() + 2;
    return chart.substr(start, chart.find_first_of("&\"", start) - start);
}

std::string Lines(std::initializer_list<long long> amounts)
{
    std::string text;
    int day = 1;
    for (long long amount : amounts) text += "2009/11/" + std::to_string(day++) + ", " + std::to_string(amount) + "\r\n";
    return text;
}

class Charts : public ::testing::Test {
protected:
    testsupport::ScratchDir dir;
    statusfixture::Program program{dir.path()};

    std::string Chart(const std::string& history, TChartRequest request)
    {
        program.WriteHistory(history);
        return MakeBalanceCharts({request});
    }
};

struct WindowCase {
    const char* name;
    std::string history;
    TChartRequest request;
    std::string data;
    std::string xLabels;
    std::string yLabels;
    std::string grid;
};

TEST_F(Charts, WindowsScaleTheirOwnRangeAndLabelIt)
{
    const WindowCase cases[] = {
        {"seven days", Lines({100, 200, 300, 400, 500, 600, 700}), {7, "", 300, 100},
         "0,16.67,33.33,50,66.67,83.33,100", "|11/1||11/3||11/5||11/7", "|0%e4%b8%87|0%e4%b8%87|0%e4%b8%87",
         "16.6666666666667,50"},
        {"one line: mid-height on a range around it", Lines({1234567}), {-1, "", 300, 120}, "50", "|11/1",
         "|111%e4%b8%87|123%e4%b8%87|135%e4%b8%87", "0,50"},
        {"an unchanged week", Lines({5000000, 5000000, 5000000}), {3, "", 300, 120}, "50,50,50", "|11/1|11/2|11/3",
         "|450%e4%b8%87|500%e4%b8%87|550%e4%b8%87", "50,50"},
        {"a week of a longer history", Lines({9, 9, 9, 10000, 20000, 30000, 40000, 50000, 60000, 70000}),
         {7, "", 600, 100}, "0,16.67,33.33,50,66.67,83.33,100", "|11/4|11/5|11/6|11/7|11/8|11/9|11/10",
         "|1%e4%b8%87|4%e4%b8%87|7%e4%b8%87", "16.6666666666667,50"},
    };
    for (const WindowCase& c : cases) {
        const std::string chart = Chart(c.history, c.request);
        EXPECT_EQ(Key(chart, "chd"), "t:" + c.data) << c.name;
        EXPECT_EQ(Key(chart, "chxl"), "0:" + c.xLabels + "|1:" + c.yLabels) << c.name;
        EXPECT_EQ(Key(chart, "chg"), c.grid) << c.name;
    }
}

TEST_F(Charts, AMonthOverTenLinesStartsWithTwentyGaps)
{
    std::string history;
    for (int day = 1; day <= 10; ++day) history += "2009/11/" + std::to_string(day) + ", " + std::to_string(day * 1000) + "\r\n";
    const std::string chart = Chart(history, {30, "", 2000, 100});
    std::string gaps;
    for (int i = 0; i < 20; ++i) gaps += "-1,";
    EXPECT_EQ(Key(chart, "chd").substr(0, 2 + gaps.size()), "t:" + gaps);
    EXPECT_EQ(Key(chart, "chxl").substr(0, 22), "0:" + std::string(20, '|')) << "twenty empty labels";
    EXPECT_EQ(Key(chart, "chg"), "13.7931034482759,50");
}

TEST_F(Charts, RequestCarriesTheKeysInTheirOrderWithTheWidthCapped)
{
    const std::string chart = Chart(Lines({100, 200}), {2, "", 1200, 130});
    EXPECT_EQ(chart, "<img src=\"pellago://charts/chart?chs=1000x130&cht=lc&chd=t:0,100&chxt=x,y&chxl=0:|11/1|11/2"
                     "|1:|0%e4%b8%87|0%e4%b8%87|0%e4%b8%87&chg=100,50&chls=2,1,0&chtt=&chco=76A4FB"
                     "&chm=B,76A4FB,0,0,0\" alt=\"\">");
}

TEST_F(Charts, NegativeDaysAreDrawnOnTheScaleOfTheLabelsAndGapsStayGaps)
{
    // The adjusted history can fall below zero after a large withdrawal.
    const std::string chart = Chart(Lines({-100000, 0, 300000}), {4, "", 300, 100});
    EXPECT_EQ(Key(chart, "chd"), "t:-1,0,25,100");
    EXPECT_EQ(Key(chart, "chxl"), "0:||11/1|11/2|11/3|1:|-10%e4%b8%87|10%e4%b8%87|30%e4%b8%87");
}

TEST_F(Charts, NoDataWithoutAPositiveDayAndAFailureTextForAnUnreadableHistory)
{
    const std::string noData = "<font size=\"-1\"><p style=\"margin-top:10px\">データなし</p></font>";
    EXPECT_EQ(Chart("", {7, "", 300, 100}), noData);
    program.WriteHistory("");
    EXPECT_EQ(MakeBalanceCharts({{7, "", 300, 100}, {-1, "", 300, 100}}), noData + "\r\n" + noData);
    EXPECT_EQ(Chart(Lines({-5, -1}), {7, "", 300, 100}), noData);
    EXPECT_NE(Chart("2009/11/1, 12x\r\n", {7, "", 300, 100}).find("残高履歴を読み取れませんでした"), std::string::npos);
}

TEST_F(Charts, AdjustedHistoryIsDrawnWhenItExists)
{
    program.WriteHistory(Lines({100, 200}));
    program.Write("AutoTrade/AccountLog/BalanceWithInOut.csv", Lines({200, 100}));
    EXPECT_EQ(Key(MakeBalanceCharts({{2, "", 300, 100}}), "chd"), "t:100,0");
}

TEST(InOutChart, SizeFollowsTheBrowserWithinItsBounds)
{
    // W / 1.05 = 600: a browser 700 high asks 600 x 580, over the area limit.
    EXPECT_EQ(InOutChartRequest(630, 700).Width, 600);
    EXPECT_EQ(InOutChartRequest(630, 700).Height, 500);
    EXPECT_EQ(InOutChartRequest(2000, 400).Width, 1000);
    EXPECT_EQ(InOutChartRequest(2000, 400).Height, 280);
    EXPECT_EQ(InOutChartRequest(630, 10).Height, 100) << "a small browser keeps a readable chart";
    EXPECT_EQ(ChartAreaWidth(50), 10);
    EXPECT_EQ(ChartAreaWidth(686), 600);
}

} // namespace
