#include "service/ServiceHost.h"

#include "service/UrlEncoding.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace quorvo::service {
namespace {

class ServiceHostEnvironment : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* value = std::getenv("QUORVO_API_HOST"))
            m_saved = value;
        ::unsetenv("QUORVO_API_HOST");
    }
    void TearDown() override
    {
        if (m_saved)
            ::setenv("QUORVO_API_HOST", m_saved->c_str(), 1);
        else
            ::unsetenv("QUORVO_API_HOST");
    }

private:
    std::optional<std::string> m_saved;
};

TEST_F(ServiceHostEnvironment, DefaultsToTheReferenceServiceOnLoopback)
{
    EXPECT_EQ(resolveServiceHost(), Text(defaultServiceHost));
    EXPECT_TRUE(text::startsWith(defaultServiceHost, "127.0.0.1:"));
}

TEST_F(ServiceHostEnvironment, EnvironmentVariableNamesTheHost)
{
    ::setenv("QUORVO_API_HOST", "music.example:8080", 1);
    EXPECT_EQ(resolveServiceHost(), "music.example:8080");
}

TEST_F(ServiceHostEnvironment, OptionWinsOverTheEnvironment)
{
    ::setenv("QUORVO_API_HOST", "env.example", 1);
    EXPECT_EQ(resolveServiceHost(Text("127.0.0.1:9000")), "127.0.0.1:9000");
}

TEST_F(ServiceHostEnvironment, BlankValuesAreIgnored)
{
    ::setenv("QUORVO_API_HOST", "  ", 1);
    EXPECT_EQ(resolveServiceHost(Text(" ")), Text(defaultServiceHost));
}

TEST_F(ServiceHostEnvironment, PastedAddressIsReducedToTheHost)
{
    EXPECT_EQ(resolveServiceHost(Text("http://127.0.0.1:9000/")), "127.0.0.1:9000");
    ::setenv("QUORVO_API_HOST", "HTTP://music.example", 1);
    EXPECT_EQ(resolveServiceHost(), "music.example");
}

TEST(ServiceEndpoints, LyricBaseAddressIsHttpAndTheHost)
{
    EXPECT_EQ(ServiceEndpoints("h:1").baseAddress(), "http://h:1");
}

TEST(ServiceEndpoints, SearchUrlCarriesTheFixedParameters)
{
    EXPECT_EQ(ServiceEndpoints("h:1").searchUrl("abc"),
              "http://h:1/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=abc"
              "&page_size=60&page_no=1&format=xml");
}

// Sent raw, "&" would start a new parameter and "#" would cut the query off
// as a fragment; a blank would make the URL invalid.
TEST(ServiceEndpoints, QueryCannotChangeTheRequestsMeaning)
{
    const Text url = ServiceEndpoints("h").searchUrl("a&page_size=1#x y");
    EXPECT_EQ(url,
              "http://h/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=a%26page_size%3D1%23x%20y"
              "&page_size=60&page_no=1&format=xml");
}

TEST(ServiceEndpoints, ChineseQueryGoesOutAsPercentEncodedGbkBytes)
{
    // "中文" in GBK: D6 D0 CE C4.
    EXPECT_TRUE(text::contains(ServiceEndpoints("h").searchUrl("\xD6\xD0\xCE\xC4").view(), "query=%D6%D0%CE%C4&"));
}

TEST(ServiceEndpoints, LinkUrlCarriesTheSongIdAndFixedParameters)
{
    EXPECT_EQ(ServiceEndpoints("h:1").linkUrl("12345"),
              "http://h:1/app/link/getLinks.php?songId=12345&linkType=1&isLogin=1&clientVer=8.0.0.5"
              "&isHq=0&isCloud=0&hasMV=1");
}

TEST(PercentEncode, UnreservedCharactersStayEverythingElseIsEscaped)
{
    EXPECT_EQ(percentEncode("AZaz09-._~"), "AZaz09-._~");
    EXPECT_EQ(percentEncode("+/?%"), "%2B%2F%3F%25");
    EXPECT_EQ(percentEncode(""), "");
}

}  // namespace
}  // namespace quorvo::service
