#include "SimOptions.h"

#include <gtest/gtest.h>

using namespace sim;

TEST(SimOptions, ListensOnLoopbackOnly)
{
    struct Case {
        std::vector<std::string> args;
        bool ok;
        std::string host;
        int port;
    } cases[] = {
        {{"--listen", "127.0.0.1:0"}, true, "127.0.0.1", 0},
        {{"--listen", "127.0.0.1:8080", "--state", "s.json"}, true, "127.0.0.1", 8080},
        {{"--listen", "127.1.2.3:1"}, true, "127.1.2.3", 1},
        {{"--listen", "localhost:5"}, true, "localhost", 5},
        {{"--listen", "[::1]:5"}, true, "::1", 5},
        {{"--listen", "0.0.0.0:80"}, false, "", 0},
        {{"--listen", "192.168.1.2:80"}, false, "", 0},
        {{"--listen", "128.0.0.1:80"}, false, "", 0},
        {{"--listen", "127.0.0.1:65536"}, false, "", 0},
        {{"--listen", "127.0.0.1:x"}, false, "", 0},
        {{"--listen", "127.0.0.1"}, false, "", 0},
        {{"--listen"}, false, "", 0},
        {{"--state", "s.json"}, false, "", 0},
        {{"--listen", "127.0.0.1:0", "--verbose"}, false, "", 0},
    };
    for (const Case& c : cases) {
        std::string error;
        auto options = ParseSimOptions(c.args, error);
        ASSERT_EQ(options.has_value(), c.ok) << c.args[0] << " " << (c.args.size() > 1 ? c.args[1] : "");
        if (options) {
            EXPECT_EQ(options->host, c.host);
            EXPECT_EQ(options->port, c.port);
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}
