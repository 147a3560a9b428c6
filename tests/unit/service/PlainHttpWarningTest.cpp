// When the service's address warns that the password and the downloads
// travel unencrypted: plain HTTP to another machine only.

#include "app/PlainHttpWarning.h"

#include <gtest/gtest.h>

TEST(PlainHttpWarning, OnlyPlainHttpToAnotherMachineTravelsUnencrypted)
{
    const struct {
        const char* webBase;
        bool unencrypted;
    } cases[] = {
        {"http://www.pellago.example", true},
        {"HTTP://www.pellago.example/base", true},
        {"http://192.168.1.20:8080", true},
        {"http://user@10.0.0.1/", true},
        {"http://127.evil.example", true},
        {"http://localhost.evil.example", true},
        {"http://[2001:db8::1]:80", true},
        {"https://www.pellago.example", false},
        {"HTTPS://192.168.1.20", false},
        {"http://127.0.0.1:8123", false},
        {"http://127.1.2.3/x", false},
        {"http://LocalHost:9000", false},
        {"http://[::1]:9000/", false},
        {"  http://localhost  ", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TravelsUnencrypted(c.webBase), c.unencrypted) << c.webBase;
}
