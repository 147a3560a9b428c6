// The in/out list behind the grid: what the keys do to an amount cell, and
// what a rewrite of InOut.csv keeps.

#include "reporting/InOutList.h"

#include <gtest/gtest.h>

namespace {

std::string Type(const std::string& keys)
{
    std::string cell;
    for (char key : keys) cell = InOutCellAfterKey(cell, key);
    return cell;
}

TEST(InOutList, KeysEditTheAmountCell)
{
    const std::pair<const char*, const char*> cases[] = {
        {"-50", "-50"}, {"-50-", "-50"}, {"+1a2", "+12"}, {"5-", "5"}, {"12\b3", "13"}, {"\b\b", ""}, {"-\b+", "+"},
    };
    for (const auto& [keys, cell] : cases) EXPECT_EQ(Type(keys), cell) << keys;
}

TEST(InOutList, RewriteKeepsEntriesTheGridCannotShowInDateOrder)
{
    // The second entry of 2009/11/2 has no cell of its own.
    TInOutGrid grid = ReadInOutGrid("2009/11/1, 100\r\n2009/11/2, 100\r\n2009/11/3, 150\r\n",
                                    "2008/12/31, 5\r\n2009/11/02, +50\r\n2009/11/2, -3\r\n2010/1/1, -7\r\n");
    ASSERT_EQ(grid.Rows.size(), 3u);
    EXPECT_EQ(grid.Rows[1].Balance, "100");
    EXPECT_EQ(grid.Rows[1].Amount, "+50");
    grid.Rows[2].Amount = "-20";
    grid.Rows[0].Amount = "-"; // a sign alone is no amount
    EXPECT_EQ(InOutListText(grid),
              "2008/12/31, 5\r\n2009/11/2, +50\r\n2009/11/2, -3\r\n2009/11/3, -20\r\n2010/1/1, -7\r\n");
}

} // namespace
