// What goes over the wire, captured byte for byte by a loopback server.

#include "LoopbackServer.h"
#include "net/HttpClient.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quorvo::net {
namespace {

using test::LoopbackServer;

constexpr std::string_view defaultAccept
    = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
      "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";
constexpr std::string_view defaultAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

struct CapturedRequest {
    std::string requestLine;
    std::vector<std::string> headers;
    std::string body;
};

CapturedRequest captured(const std::string& raw)
{
    CapturedRequest request;
    const auto headEnd = raw.find("\r\n\r\n");
    std::string head = raw.substr(0, headEnd);
    request.body = headEnd == std::string::npos ? std::string() : raw.substr(headEnd + 4);
    std::size_t at = 0;
    bool first = true;
    while (at <= head.size()) {
        const auto end = head.find("\r\n", at);
        const std::string line = head.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (first) {
            request.requestLine = line;
            first = false;
        } else {
            request.headers.push_back(line);
        }
        if (end == std::string::npos) {
            break;
        }
        at = end + 2;
    }
    return request;
}

LoopbackServer answering(const std::string& body, const std::string& extraHeaders = {})
{
    return LoopbackServer([body, extraHeaders](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, LoopbackServer::reply(body, extraHeaders));
    });
}

TEST(HttpWire, PlainGetSendsHostThenExactlyTheThreeDefaultsAndTheAgent)
{
    auto server = answering("hello");
    const std::string url = server.url("/v1/x?a=1&b=2");
    EXPECT_EQ(HttpClient::request(url).body, "hello");
    ASSERT_EQ(server.requests().size(), 1U);
    const CapturedRequest request = captured(server.requests()[0]);
    EXPECT_EQ(request.requestLine, "GET /v1/x?a=1&b=2 HTTP/1.1");
    const std::vector<std::string> expected = {
        "Host: 127.0.0.1:" + std::to_string(server.port()),
        std::string(defaultAccept),
        "Referer: " + url,
        "Accept-Language: zh-cn",
        std::string(defaultAgent),
    };
    EXPECT_EQ(request.headers, expected);
}

// Decoding is the client's business: the request names no encoding for it.
TEST(HttpWire, DecodingAddsNoHeaderLine)
{
    auto server = answering("plain");
    HttpOptions options;
    options.decodeContent = true;
    EXPECT_EQ(HttpClient::request(server.url("/a.lrc"), options).body, "plain");
    const std::vector<std::string> expected = {
        "Host: 127.0.0.1:" + std::to_string(server.port()),
        std::string(defaultAccept),
        "Referer: " + server.url("/a.lrc"),
        "Accept-Language: zh-cn",
        std::string(defaultAgent),
    };
    EXPECT_EQ(captured(server.requests().at(0)).headers, expected);
}

TEST(HttpWire, CallerAcceptSuppressesTheDefaultAndLibcurlsOwn)
{
    auto server = answering("x");
    HttpOptions options;
    options.headers = "accept: text/xml\r\n";
    options.userAgent = "Quorvo\xD2\xF4\xC0\xD6\xCF\xC2\xD4\xD8";
    HttpClient::request(server.url("/"), options);
    const CapturedRequest request = captured(server.requests().at(0));
    const std::vector<std::string> expected = {
        "Host: 127.0.0.1:" + std::to_string(server.port()),
        "accept: text/xml",
        "Referer: " + server.url("/"),
        "Accept-Language: zh-cn",
        "User-Agent: Quorvo\xD2\xF4\xC0\xD6\xCF\xC2\xD4\xD8",
    };
    EXPECT_EQ(request.headers, expected);
}

TEST(HttpWire, PostSendsFormTypeLengthAndBodyWithoutExpect)
{
    auto server = answering("ok");
    HttpOptions options;
    options.method = "post";
    options.body = "a=1";
    HttpResponse exchange;
    exchange = HttpClient::request(server.url("/p"), options);
    EXPECT_EQ(exchange.body, "ok");
    const CapturedRequest request = captured(server.requests().at(0));
    EXPECT_EQ(request.requestLine, "POST /p HTTP/1.1");
    ASSERT_EQ(request.headers.size(), 7U);
    EXPECT_EQ(request.headers[3], "Accept-Language: zh-cn");
    EXPECT_EQ(request.headers[4], "Content-Type: application/x-www-form-urlencoded");
    EXPECT_EQ(request.headers[5], "Content-Length: 3");
    EXPECT_EQ(request.headers[6], defaultAgent);
    EXPECT_EQ(request.body, "a=1");
    EXPECT_TRUE(text::endsWith(exchange.sentHeaders.view(), "Content-Length: 3\r\n"));
}

TEST(HttpWire, LargePostIsNotHeldBackForContinue)
{
    auto server = answering("ok");
    HttpOptions options;
    options.method = "POST";
    options.body = Text(std::string(2 * 1024 * 1024, 'b'));
    EXPECT_EQ(HttpClient::request(server.url("/p"), options).body, "ok");
    const std::string raw = server.requests().at(0);
    EXPECT_EQ(raw.find("Expect:"), std::string::npos);
}

TEST(HttpWire, PostWithCallerLengthSendsASecondLength)
{
    auto server = answering("ok");
    HttpOptions options;
    options.method = "POST";
    options.body = "a=1";
    options.headers = "Content-Length: 3\r\n";
    HttpClient::request(server.url("/p"), options);
    const CapturedRequest request = captured(server.requests().at(0));
    int lengths = 0;
    for (const auto& line : request.headers) {
        lengths += line == "Content-Length: 3" ? 1 : 0;
    }
    EXPECT_EQ(lengths, 2);
}

TEST(HttpWire, PostWithEmptyBodyCarriesNoContentHeaders)
{
    auto server = answering("ok");
    HttpOptions options;
    options.method = "POST";
    EXPECT_EQ(HttpClient::request(server.url("/p"), options).body, "ok");
    const CapturedRequest request = captured(server.requests().at(0));
    EXPECT_EQ(request.requestLine, "POST /p HTTP/1.1");
    EXPECT_EQ(request.headers.size(), 5U);
    for (const auto& line : request.headers) {
        EXPECT_EQ(line.rfind("Content-", 0), std::string::npos) << line;
    }
}

TEST(HttpWire, CookiesGoOutVerbatimBeforeTheAgent)
{
    auto server = answering("ok");
    HttpOptions options;
    options.cookies = "A=1;B=2;";
    HttpClient::request(server.url("/"), options);
    const CapturedRequest request = captured(server.requests().at(0));
    ASSERT_EQ(request.headers.size(), 6U);
    EXPECT_EQ(request.headers[4], "Cookie: A=1;B=2;");
    EXPECT_EQ(request.headers[5], defaultAgent);
}

TEST(HttpWire, ResponseCookiesAreOnlyThoseThisResponseSet)
{
    auto server = answering("ok", "Set-Cookie: A=1; path=/\r\nSet-Cookie: B=2; HttpOnly\r\n");
    HttpOptions options;
    options.cookies = "OLD=0;";
    HttpResponse exchange;
    exchange = HttpClient::request(server.url("/"), options);
    EXPECT_EQ(exchange.body, "ok");
    EXPECT_EQ(exchange.cookies, "A=1;B=2;");
    EXPECT_EQ(exchange.status, 200);
    EXPECT_EQ(exchange.headers.all().size(), 4U);  // length, two cookies, connection
}

TEST(HttpWire, EmptyHeaderValueFromCallerStillGoesOut)
{
    auto server = answering("ok");
    HttpOptions options;
    options.headers = "X-Empty:\r\n";
    HttpClient::request(server.url("/"), options);
    const CapturedRequest request = captured(server.requests().at(0));
    EXPECT_EQ(request.headers.at(1), "X-Empty:");
}

TEST(HttpWire, OtherMethodsAreSentUpperCasedWithoutBody)
{
    auto server = answering("ok");
    HttpOptions options;
    options.method = "delete";
    options.body = "ignored";
    HttpClient::request(server.url("/d"), options);
    const CapturedRequest request = captured(server.requests().at(0));
    EXPECT_EQ(request.requestLine, "DELETE /d HTTP/1.1");
    EXPECT_TRUE(request.body.empty());
}

TEST(HttpWire, ErrorStatusBodyIsReturnedLikeAnyOther)
{
    LoopbackServer server([](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, "HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\nConnection: close\r\n\r\nnope");
    });
    EXPECT_EQ(HttpClient::request(server.url("/missing")).body, "nope");
}

TEST(HttpWire, ProxyGetsTheAbsoluteUrlAndTheSameHeaderBlock)
{
    auto proxy = answering("via proxy");
    HttpOptions options;
    options.proxy = Text("127.0.0.1:" + std::to_string(proxy.port()) + "\x01" + "pu\x01pp");
    EXPECT_EQ(HttpClient::request("http://service.invalid/a", options).body, "via proxy");
    const CapturedRequest request = captured(proxy.requests().at(0));
    EXPECT_EQ(request.requestLine, "GET http://service.invalid/a HTTP/1.1");
    bool sawProxyLogon = false;
    for (const auto& line : request.headers) {
        sawProxyLogon = sawProxyLogon || line.rfind("Proxy-Authorization: Basic ", 0) == 0;
        EXPECT_NE(line.rfind("Proxy-Connection", 0), 0U);
    }
    EXPECT_TRUE(sawProxyLogon);
}

}  // namespace
}  // namespace quorvo::net
