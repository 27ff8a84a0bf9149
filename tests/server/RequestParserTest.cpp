#include "http/RequestParser.h"

#include <gtest/gtest.h>

namespace quorvo::server {
namespace {

int failureStatus(std::string_view head)
{
    const auto result = parseRequestHead(head);
    const auto* failure = std::get_if<ParseFailure>(&result);
    return failure ? failure->status : 0;
}

TEST(RequestParser, KeepsHeadersInArrivalOrderAndTheRawHead)
{
    const std::string head = "GET /echo HTTP/1.1\r\nZ-Last: 1\r\nAccept: */*\r\nA-First:  x \r\n\r\n";
    const auto result = parseRequestHead(head);
    const auto& request = std::get<HttpRequest>(result);
    EXPECT_EQ(request.rawHead, head);
    ASSERT_EQ(request.headers.size(), 3u);
    EXPECT_EQ(request.headers[0].name, "Z-Last");
    EXPECT_EQ(request.headers[2].name, "A-First");
    EXPECT_EQ(request.headers[2].value, "x");
    EXPECT_EQ(request.header("accept"), std::optional<std::string_view>("*/*"));
}

TEST(RequestParser, RawHighBytesInTheTargetAreAccepted)
{
    const auto result = parseRequestHead("GET /v?query=\xD2\xB9 HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(std::holds_alternative<HttpRequest>(result));
    EXPECT_EQ(std::get<HttpRequest>(result).rawQuery(), "query=\xD2\xB9");
}

TEST(RequestParser, RangeHeaderWithoutBlankAfterColon)
{
    const auto result = parseRequestHead("GET /f HTTP/1.1\r\nRange:bytes=5-\r\n\r\n");
    EXPECT_EQ(std::get<HttpRequest>(result).header("Range"), std::optional<std::string_view>("bytes=5-"));
}

TEST(RequestParser, MalformedRequestLinesAreBadRequests)
{
    EXPECT_EQ(failureStatus("GARBAGE\r\n\r\n"), 400);
    EXPECT_EQ(failureStatus("GET\r\n\r\n"), 400);
    EXPECT_EQ(failureStatus("GET /a b HTTP/1.1\r\n\r\n"), 400);
    EXPECT_EQ(failureStatus("GET nopath HTTP/1.1\r\n\r\n"), 400);
    EXPECT_EQ(failureStatus("G(T / HTTP/1.1\r\n\r\n"), 400);
    EXPECT_EQ(failureStatus("GET / HTTP/1.1\r\nNoColonHere\r\n\r\n"), 400);
    EXPECT_EQ(failureStatus("GET / HTTP/1.1\r\n folded: no\r\n\r\n"), 400);
    EXPECT_EQ(failureStatus("GET /\x01 HTTP/1.1\r\n\r\n"), 400);
}

TEST(RequestParser, UnsupportedVersionIs505)
{
    EXPECT_EQ(failureStatus("GET / HTTP/2.0\r\n\r\n"), 505);
    EXPECT_EQ(failureStatus("GET / HTTP/1.1x\r\n\r\n"), 400);
}

TEST(RequestParser, HeadEndIsFoundForCrlfAndBareLf)
{
    EXPECT_EQ(findHeadEnd("GET / HTTP/1.1\r\nA: b\r\n\r\nrest"), 24u);
    EXPECT_EQ(findHeadEnd("GET / HTTP/1.1\nA: b\n\nrest"), 21u);
    EXPECT_EQ(findHeadEnd("GET / HTTP/1.1\r\nA: b\r\n"), std::string_view::npos);
}

TEST(RequestParser, ConnectionCloseRulesPerVersion)
{
    const auto http10 = std::get<HttpRequest>(parseRequestHead("GET / HTTP/1.0\r\n\r\n"));
    EXPECT_TRUE(http10.wantsClose());
    const auto http11 = std::get<HttpRequest>(parseRequestHead("GET / HTTP/1.1\r\n\r\n"));
    EXPECT_FALSE(http11.wantsClose());
    const auto closing = std::get<HttpRequest>(parseRequestHead("GET / HTTP/1.1\r\nConnection: Close\r\n\r\n"));
    EXPECT_TRUE(closing.wantsClose());
}

}  // namespace
}  // namespace quorvo::server
