#include "net/HttpClient.h"
#include "net/HttpResponse.h"

#include <gtest/gtest.h>

#include <ctime>
#include <initializer_list>
#include <string>

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

HttpHeaders headersOf(std::initializer_list<std::string_view> lines)
{
    HttpHeaders headers;
    for (const std::string_view line : lines)
        headers.addLine(line);
    return headers;
}

TEST(HttpHeaders, LastFieldOfANameWinsCaseIgnoredValueTrimmed)
{
    const HttpHeaders headers = headersOf({"ETag: \"a\"\r\n", "Content-Type:\ttext/xml \r\n", "etag:  \"b\"\r\n",
                                           "no colon here", "X-Long: one", "  two\r\n"});
    EXPECT_EQ(headers.get("ETAG"), "\"b\"");
    EXPECT_EQ(headers.get("content-type"), "text/xml");
    EXPECT_EQ(headers.get("X-Long"), "one two");
    EXPECT_EQ(headers.get("Content"), std::nullopt);
    EXPECT_EQ(headers.all().size(), 4U);
    EXPECT_EQ(headers.all()[0].name, "ETag");
}

TEST(ContentRangeOf, ReadsOnlyWellFormedRanges)
{
    EXPECT_EQ(parseContentRange("bytes 100-199/200"), (ContentRange {100, 199, 200}));
    EXPECT_EQ(parseContentRange(" Bytes 0-0/1 "), (ContentRange {0, 0, 1}));
    EXPECT_EQ(parseContentRange("bytes 5-9/*"), (ContentRange {5, 9, -1}));
    EXPECT_EQ(parseContentRange("bytes */200"), (ContentRange {-1, -1, 200}));
    for (const char* bad : {"bytes 100-199/199", "bytes 200-100/300", "bytes=100-199/200", "bytes 100-/200",
                            "bytes -5-9/20", "bytes 1-2/3x", "bytes */*", "items 1-2/3", "bytes 1-2",
                            "bytes 0-1/99999999999999999999", "bytes 99999999999999999999-1/5"}) {
        EXPECT_EQ(parseContentRange(bad), std::nullopt) << bad;
    }
}

// A busy server's "come back later": seconds or a date.
TEST(RetryAfterOf, ReadsSecondsAndHttpDatesAndNothingElse)
{
    using std::chrono::seconds;
    const auto retryAfter = [](const std::string& value) { return retryAfterOf(headersOf({"Retry-After: " + value})); };
    EXPECT_EQ(retryAfterOf(headersOf({"retry-after:  120 \r\n"})), seconds(120));
    EXPECT_EQ(retryAfter("99999999999999"), seconds(24 * 60 * 60));
    EXPECT_EQ(retryAfter("999999999999999999999999"), seconds(24 * 60 * 60));
    EXPECT_EQ(retryAfter("Wed, 21 Oct 2015 07:28:00 GMT"), seconds(0));
    char future[64];
    const std::time_t inAMinute = std::time(nullptr) + 60;
    std::tm parts {};
    gmtime_r(&inAMinute, &parts);
    std::strftime(future, sizeof future, "%a, %d %b %Y %H:%M:%S GMT", &parts);
    const std::optional<seconds> wait = retryAfter(future);
    ASSERT_TRUE(wait);
    EXPECT_GE(wait->count(), 58);
    EXPECT_LE(wait->count(), 60);
    EXPECT_EQ(retryAfter("soon"), std::nullopt);
    EXPECT_EQ(retryAfter("-5"), std::nullopt);
    EXPECT_EQ(retryAfterOf(headersOf({"Content-Length: 0"})), std::nullopt);
}

}  // namespace
}  // namespace quorvo::net
