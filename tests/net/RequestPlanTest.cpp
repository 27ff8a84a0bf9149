#include "net/RequestPlan.h"

#include <gtest/gtest.h>

namespace quorvo::net {
namespace {

constexpr std::string_view defaultAccept
    = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
      "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";

TEST(RequestTimeLimits, DefaultIsFifteenSecondsAndFiveThousandMsPerPhase)
{
    const RequestPlan plan = planRequest("http://h/", {});
    EXPECT_EQ(plan.totalMs, 15000);
    EXPECT_EQ(plan.phaseMs, 5000);
}

TEST(RequestTimeLimits, TenSecondsGiveTruncatedThirds)
{
    HttpOptions options;
    options.timeoutSeconds = 10;
    const RequestPlan plan = planRequest("http://h/", options);
    EXPECT_EQ(plan.totalMs, 10000);
    EXPECT_EQ(plan.phaseMs, 3333);
}

TEST(RequestTimeLimits, ZeroOrNegativeMeansDefault)
{
    HttpOptions options;
    options.timeoutSeconds = 0;
    EXPECT_EQ(planRequest("http://h/", options).totalMs, 15000);
    options.timeoutSeconds = -4;
    EXPECT_EQ(planRequest("http://h/", options).phaseMs, 5000);
}

TEST(RequestHeaderBlock, GetWithoutCallerLinesGetsThreeDefaultsInOrder)
{
    const RequestPlan plan = planRequest("http://h/x?y=1", {});
    EXPECT_EQ(plan.headerBlock.str(),
              std::string(defaultAccept) + "Referer: http://h/x?y=1\r\nAccept-Language: zh-cn\r\n");
}

TEST(RequestHeaderBlock, CallerAcceptInAnyCaseSuppressesDefaultAccept)
{
    HttpOptions options;
    options.headers = "accept: text/xml\r\n";
    const RequestPlan plan = planRequest("http://h/", options);
    EXPECT_EQ(plan.headerBlock, "accept: text/xml\r\nReferer: http://h/\r\nAccept-Language: zh-cn\r\n");
}

TEST(RequestHeaderBlock, CallerLinesComeFirst)
{
    HttpOptions options;
    options.headers = "X-One: 1\r\nReferer: r\r\n";
    const RequestPlan plan = planRequest("http://h/", options);
    EXPECT_EQ(plan.headerBlock.str(),
              "X-One: 1\r\nReferer: r\r\n" + std::string(defaultAccept) + "Accept-Language: zh-cn\r\n");
}

TEST(RequestHeaderBlock, PostWithBodyAppendsFormTypeAndLength)
{
    HttpOptions options;
    options.method = "post";
    options.body = "a=1";
    const RequestPlan plan = planRequest("http://h/", options);
    EXPECT_EQ(plan.method, "POST");
    EXPECT_TRUE(plan.sendBody);
    EXPECT_EQ(plan.headerBlock.str(),
              std::string(defaultAccept)
                  + "Referer: http://h/\r\nAccept-Language: zh-cn\r\n"
                    "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 3\r\n");
}

TEST(RequestHeaderBlock, PostKeepsCallerContentTypeButAlwaysAddsLength)
{
    HttpOptions options;
    options.method = "POST";
    options.body = "{}";
    options.headers = "content-type: application/json\r\nContent-Length: 2\r\n";
    const RequestPlan plan = planRequest("http://h/", options);
    EXPECT_TRUE(text::endsWith(plan.headerBlock.view(), "Accept-Language: zh-cn\r\nContent-Length: 2\r\n"));
    EXPECT_FALSE(text::contains(plan.headerBlock.view(), "x-www-form-urlencoded"));
}

TEST(RequestHeaderBlock, PostWithEmptyBodyAddsNeither)
{
    HttpOptions options;
    options.method = "POST";
    const RequestPlan plan = planRequest("http://h/", options);
    EXPECT_FALSE(plan.sendBody);
    EXPECT_FALSE(text::contains(plan.headerBlock.view(), "Content-"));
}

TEST(RequestHeaderBlock, BodyIsIgnoredForOtherMethods)
{
    HttpOptions options;
    options.body = "a=1";
    const RequestPlan plan = planRequest("http://h/", options);
    EXPECT_FALSE(plan.sendBody);
    EXPECT_FALSE(text::contains(plan.headerBlock.view(), "Content-Length"));
}

TEST(RequestWireLines, CookieLineThenUserAgentAfterTheBlock)
{
    HttpOptions options;
    options.cookies = "A=1;B=2;";
    const auto lines = wireHeaderLines(planRequest("http://h/", options));
    ASSERT_EQ(lines.size(), 5U);
    EXPECT_EQ(lines[2], "Accept-Language: zh-cn");
    EXPECT_EQ(lines[3], "Cookie: A=1;B=2;");
    EXPECT_EQ(lines[4], "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
}

TEST(RequestWireLines, BlankCookiesSendNoCookieLine)
{
    HttpOptions options;
    options.cookies = " \xA1\xA1 ";
    const auto lines = wireHeaderLines(planRequest("http://h/", options));
    ASSERT_EQ(lines.size(), 4U);
    EXPECT_EQ(lines[3].rfind("User-Agent: ", 0), 0U);
}

TEST(RequestWireLines, BlankUserAgentMeansDefault)
{
    HttpOptions options;
    options.userAgent = "  ";
    EXPECT_EQ(planRequest("http://h/", options).userAgent, HttpClient::defaultUserAgent);
    options.userAgent = "Quorvo\xD2\xF4\xC0\xD6";
    EXPECT_EQ(planRequest("http://h/", options).userAgent, "Quorvo\xD2\xF4\xC0\xD6");
}

TEST(RequestTarget, HttpsAnywhereMakesTheExchangeSecure)
{
    const RequestPlan plan = planRequest("http://music.example/go?to=https://x", {});
    EXPECT_TRUE(plan.secure);
    EXPECT_EQ(plan.port, 443);
    EXPECT_EQ(plan.target, "https://music.example:443/go?to=https://x");
}

TEST(RequestTarget, BuiltFromHostPortAndPath)
{
    const RequestPlan plan = planRequest("HTTP://Host:8080/a/B?x=Y", {});
    EXPECT_FALSE(plan.secure);
    EXPECT_EQ(plan.target, "http://host:8080/a/B?x=Y");
}

TEST(RequestValidation, MethodThatIsNotATokenFailsBeforeSending)
{
    HttpOptions options;
    options.method = "GET / HTTP/1.1\r\nX:";
    EXPECT_FALSE(planRequest("http://h/", options).valid);
    options.method = "delete";
    EXPECT_TRUE(planRequest("http://h/", options).valid);
}

TEST(RequestProxy, FieldsSplitAtControlOne)
{
    HttpOptions options;
    options.proxy = "proxy:3128\x01user\x01pw";
    const RequestPlan plan = planRequest("http://h/", options);
    EXPECT_TRUE(plan.proxy.used);
    EXPECT_EQ(plan.proxy.server, "proxy:3128");
    EXPECT_TRUE(plan.proxy.hasCredentials);
    EXPECT_EQ(plan.proxy.userName, "user");
    EXPECT_EQ(plan.proxy.password, "pw");

    options.proxy = "proxy:3128\x01user";
    EXPECT_EQ(planRequest("http://h/", options).proxy.password, "");
    options.proxy = " \xA1\xA1";
    EXPECT_FALSE(planRequest("http://h/", options).proxy.used);
}

TEST(RequestLogon, BlankAfterRemovingSpacesMeansNone)
{
    HttpOptions options;
    options.userName = " \xA1\xA1 ";
    options.password = "p w";
    const RequestPlan plan = planRequest("http://h/", options);
    EXPECT_TRUE(plan.userName.empty());
    EXPECT_EQ(plan.password, "p w");
}

TEST(ResponseCookies, NameValuePartsInHeaderOrder)
{
    EXPECT_EQ(cookiesFromResponseHeaders("HTTP/1.1 200 OK\r\nSet-Cookie: A=1; path=/\r\n"
                                         "X: y\r\nset-cookie: B=2; HttpOnly\r\n\r\n"),
              "A=1;B=2;");
}

TEST(ResponseCookies, LineWithoutSemicolonContributesOnlySemicolon)
{
    EXPECT_EQ(cookiesFromResponseHeaders("HTTP/1.1 200 OK\r\nSet-Cookie: C=3\r\n\r\n"), ";");
}

TEST(ResponseCookies, NameSetTwiceIsListedTwice)
{
    EXPECT_EQ(cookiesFromResponseHeaders("Set-Cookie: A=1;\r\nSet-Cookie: A=2;\r\n"), "A=1;A=2;");
}

TEST(ResponseCookies, FirstTwelveBytesAreCutWhereverTheNameStands)
{
    // The rule cuts 12 bytes from the start of the line, not at the name.
    EXPECT_EQ(cookiesFromResponseHeaders("X-Set-Cookie: Q=1;\r\n"), ": Q=1;");
}

}  // namespace
}  // namespace quorvo::net
