#include "net/HttpClient.h"
#include "net/HttpStream.h"

#include <gtest/gtest.h>

#include <ctime>

namespace quorvo::net {
namespace {

TEST(HostOf, LowerCasesHostAndDropsPortUnlessAsked)
{
    const Text url = "HTTP://WWW.Example.COM:8080/a/B?x=Y";
    EXPECT_EQ(HttpClient::hostOf(url), "www.example.com");
    EXPECT_EQ(HttpClient::hostOf(url, true), "www.example.com:8080");
}

TEST(HostOf, HttpsPrefixAndUrlWithoutScheme)
{
    EXPECT_EQ(HttpClient::hostOf("https://Host.net/x"), "host.net");
    EXPECT_EQ(HttpClient::hostOf("host.net:81/x", true), "host.net:81");
    EXPECT_EQ(HttpClient::hostOf("http://host.net"), "host.net");
}

TEST(HostOf, DoesNotLowerCaseTrailBytesOfTwoByteCharacters)
{
    // 0xB2 0x41 is one GBK character whose trail byte looks like "A".
    EXPECT_EQ(HttpClient::hostOf("http://\xB2\x41.cn/"), "\xB2\x41.cn");
}

TEST(PathOf, KeepsCaseAndQuery)
{
    EXPECT_EQ(HttpClient::pathOf("HTTP://WWW.Example.COM:8080/a/B?x=Y"), "/a/B?x=Y");
}

TEST(PathOf, NoSlashAfterHostGivesRoot)
{
    EXPECT_EQ(HttpClient::pathOf("http://example.com"), "/");
    EXPECT_EQ(HttpClient::pathOf("http://example.com:99"), "/");
}

TEST(PortOf, ExplicitPortWins)
{
    EXPECT_EQ(HttpClient::portOf("HTTP://WWW.Example.COM:8080/a/B?x=Y"), 8080);
    EXPECT_EQ(HttpClient::portOf("https://h:8443/"), 8443);
}

TEST(PortOf, DefaultsFollowTheWordHttpsAnywhere)
{
    EXPECT_EQ(HttpClient::portOf("http://h/"), 80);
    EXPECT_EQ(HttpClient::portOf("https://h/"), 443);
    EXPECT_EQ(HttpClient::portOf("http://h/go?to=https://elsewhere/"), 443);
}

TEST(PortOf, OnlyLeadingDigitsCount)
{
    EXPECT_EQ(HttpClient::portOf("http://h:81x/"), 81);
    EXPECT_EQ(HttpClient::portOf("http://h:x/"), 0);
    EXPECT_EQ(HttpClient::portOf("http://h:99999999999999999999/"), 0);
}

TEST(CookieValueOf, TextBeforeFirstSemicolon)
{
    EXPECT_EQ(HttpClient::cookieValueOf("A=1; path=/"), "A=1");
    EXPECT_EQ(HttpClient::cookieValueOf("B=2;HttpOnly;x"), "B=2");
}

TEST(CookieValueOf, LineWithoutSemicolonGivesEmpty)
{
    EXPECT_EQ(HttpClient::cookieValueOf("C=3"), "");
}

TEST(StripHighlightMarkup, RemovesEmphasisAndDecodesAmpersandOnce)
{
    EXPECT_EQ(HttpClient::stripHighlightMarkup("&lt;em&gt;Love&lt;/em&gt; &amp;amp; Peace"), "Love &amp; Peace");
}

TEST(StripHighlightMarkup, IsCaseSensitiveAndLeavesOtherEntities)
{
    EXPECT_EQ(HttpClient::stripHighlightMarkup("&LT;em&GT;x &quot;"), "&LT;em&GT;x &quot;");
    EXPECT_EQ(HttpClient::stripHighlightMarkup("&lt;em&gt;&lt;em&gt;\xC4\xE3"), "\xC4\xE3");
}

// A busy server's "come back later": seconds or a date.
TEST(RetryAfterOf, ReadsSecondsAndHttpDatesAndNothingElse)
{
    using std::chrono::seconds;
    EXPECT_EQ(retryAfterOf("HTTP/1.1 503 x\r\nretry-after:  120 \r\n"), seconds(120));
    EXPECT_EQ(retryAfterOf("Retry-After: 99999999999999\r\n"), seconds(24 * 60 * 60));
    EXPECT_EQ(retryAfterOf("Retry-After: Wed, 21 Oct 2015 07:28:00 GMT\r\n"), seconds(0));
    char future[64];
    const std::time_t inAMinute = std::time(nullptr) + 60;
    std::tm parts {};
    gmtime_r(&inAMinute, &parts);
    std::strftime(future, sizeof future, "%a, %d %b %Y %H:%M:%S GMT", &parts);
    const std::optional<seconds> wait = retryAfterOf(std::string("Retry-After: ") + future + "\r\n");
    ASSERT_TRUE(wait);
    EXPECT_GE(wait->count(), 58);
    EXPECT_LE(wait->count(), 60);
    EXPECT_EQ(retryAfterOf("Retry-After: soon\r\n"), std::nullopt);
    EXPECT_EQ(retryAfterOf("Retry-After: -5\r\n"), std::nullopt);
    EXPECT_EQ(retryAfterOf("Content-Length: 0\r\n"), std::nullopt);
}

}  // namespace
}  // namespace quorvo::net
