#include "Options.h"

#include <gtest/gtest.h>

namespace quorvo::server {
namespace {

TEST(Options, DefaultsListenOnLoopback)
{
    std::string error;
    const auto options = parseOptions({}, error);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->host, "127.0.0.1");
    EXPECT_FALSE(options->quiet);
    EXPECT_TRUE(options->faultScope.files);
    EXPECT_FALSE(options->faultScope.echo);
}

TEST(Options, ReadsEveryOption)
{
    std::string error;
    const auto options = parseOptions({"--host",
                                       "0.0.0.0",
                                       "--port",
                                       "0",
                                       "--data-dir",
                                       "/d",
                                       "--catalogue",
                                       "/c",
                                       "--quiet",
                                       "--pregenerate",
                                       "1,2",
                                       "--fault-delay-ms",
                                       "5",
                                       "--fault-rate",
                                       "9",
                                       "--fault-drop-after",
                                       "7",
                                       "--fault-ignore-range",
                                       "--fault-status",
                                       "404",
                                       "--fault-redirect",
                                       "--fault-chunked",
                                       "--fault-set-cookie",
                                       "A=1",
                                       "--fault-on",
                                       "echo,search"},
                                      error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->port, 0);
    EXPECT_EQ(options->dataDirectory, "/d");
    EXPECT_EQ(options->cataloguePath, "/c");
    EXPECT_EQ(options->pregenerate, (std::vector<std::string> {"1", "2"}));
    EXPECT_EQ(options->faults.delay, std::chrono::milliseconds(5));
    EXPECT_EQ(options->faults.bytesPerSecond, 9u);
    EXPECT_EQ(options->faults.dropAfter, 7u);
    EXPECT_TRUE(options->faults.ignoreRange);
    EXPECT_EQ(options->faults.status, 404);
    EXPECT_EQ(options->faults.redirect, std::optional<std::string>(""));
    EXPECT_TRUE(options->faults.chunked);
    EXPECT_EQ(options->faults.setCookies, std::vector<std::string> {"A=1"});
    EXPECT_TRUE(options->faultScope.echo);
    EXPECT_TRUE(options->faultScope.search);
    EXPECT_FALSE(options->faultScope.files);
}

TEST(Options, RejectsBadValues)
{
    std::string error;
    EXPECT_FALSE(parseOptions({"--port", "70000"}, error));
    EXPECT_FALSE(parseOptions({"--port", "12x"}, error));
    EXPECT_FALSE(parseOptions({"--port"}, error));
    EXPECT_FALSE(parseOptions({"--fault-on", "files,moon"}, error));
    EXPECT_FALSE(parseOptions({"--max-connections", "0"}, error));
    EXPECT_FALSE(parseOptions({"--idle-timeout-s", "0"}, error));
    EXPECT_FALSE(parseOptions({"--bogus"}, error));
    EXPECT_NE(error.find("--bogus"), std::string::npos);
}

}  // namespace
}  // namespace quorvo::server
