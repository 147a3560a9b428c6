#include "Sessions.h"

#include <gtest/gtest.h>

using sim::SessionStore;

TEST(Sessions, LiveWhileUsedAndEndOnIdleLogOffOrExpiry)
{
    long long now = 1000;
    SessionStore sessions([&] { return now; });
    sessions.SetIdleLimit(60);
    std::string a = sessions.Open("lionfx", "u1");
    std::string b = sessions.Open("lionfx", "u1");
    std::string c = sessions.Open("lionfx", "u2");
    EXPECT_NE(a, b);
    EXPECT_EQ(sessions.AccountOf("lionfx", a), "u1");
    EXPECT_FALSE(sessions.AccountOf("cosmo", a)) << "a cookie of one family opens no other";
    EXPECT_FALSE(sessions.AccountOf("lionfx", "guess"));

    for (int step = 0; step < 2; ++step) {
        now += 50;
        EXPECT_TRUE(sessions.AccountOf("lionfx", a)) << "use keeps it alive";
        EXPECT_TRUE(sessions.AccountOf("lionfx", c));
    }
    EXPECT_FALSE(sessions.AccountOf("lionfx", b)) << "idle for 100 s";

    EXPECT_EQ(sessions.ExpireAccount("lionfx", "u1"), 1);
    EXPECT_FALSE(sessions.AccountOf("lionfx", a));
    EXPECT_TRUE(sessions.AccountOf("lionfx", c)) << "other accounts keep theirs";
    sessions.Close(c);
    EXPECT_FALSE(sessions.AccountOf("lionfx", c));
}
