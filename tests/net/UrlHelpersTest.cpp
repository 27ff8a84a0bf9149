#include "net/HttpClient.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quorvo::net
