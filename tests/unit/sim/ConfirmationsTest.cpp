#include "Confirmations.h"

#include <gtest/gtest.h>

using namespace sim;

TEST(Confirmations, ARepeatedSubmitExecutesAgainUnlessOneTimeAndIsAlwaysCounted)
{
    for (const bool oneTime : {false, true}) {
        Counters counters;
        Confirmations<int> book(counters, "lionfx");
        const std::string token = book.Remember("u1", 7);
        EXPECT_FALSE(book.Submit("u2", token, oneTime)) << "another account's confirmation";
        EXPECT_EQ(book.Submit("u1", token, oneTime), std::optional<int>(7));
        EXPECT_EQ(book.Submit("u1", token, oneTime).has_value(), !oneTime);
        EXPECT_EQ(counters.Get("resubmits/lionfx"), 1);
    }
}
