// Servers that misbehave: every case ends in the documented empty result,
// within the time limit, without hanging or crashing the client. Upper
// bounds leave room for a loaded machine; lower bounds are exact.

#include "LoopbackServer.h"
#include "net/ConnectionLimit.h"
#include "net/HttpClient.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace quorvo::net {
namespace {

using test::LoopbackServer;
using namespace std::chrono_literals;

long elapsedMs(std::chrono::steady_clock::time_point since)
{
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since).count());
}

TEST(HttpTimeouts, ServerThatNeverAnswersFailsAfterOnePhase)
{
    LoopbackServer server([](LoopbackServer& self, int, const std::string&) { self.hold(20s); });
    HttpOptions options;
    options.timeoutSeconds = 3;  // 1000 ms per phase
    HttpResponse exchange;
    const auto start = std::chrono::steady_clock::now();
    exchange = HttpClient::request(server.url("/"), options);
    EXPECT_EQ(exchange.body, "");
    const long took = elapsedMs(start);
    EXPECT_GE(took, 950);
    EXPECT_LT(took, 3500);
    EXPECT_EQ(exchange.status, 0);
    EXPECT_EQ(exchange.error, HttpError::Timeout);
    EXPECT_EQ(exchange.cookies, "");
}

TEST(HttpTimeouts, DefaultLimitWaitsFiveSecondsForAnAnswer)
{
    LoopbackServer server([](LoopbackServer& self, int, const std::string&) { self.hold(20s); });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(HttpClient::request(server.url("/")).body, "");
    const long took = elapsedMs(start);
    EXPECT_GE(took, 4950);
    EXPECT_LT(took, 8000);
}

TEST(HttpTimeouts, TenSecondLimitWaitsAThirdOfItForAnAnswer)
{
    LoopbackServer server([](LoopbackServer& self, int, const std::string&) { self.hold(20s); });
    HttpOptions options;
    options.timeoutSeconds = 10;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(HttpClient::request(server.url("/"), options).body, "");
    const long took = elapsedMs(start);
    EXPECT_GE(took, 3300);
    EXPECT_LT(took, 6000);
}

TEST(HttpTimeouts, BodyThatStallsMidwayGivesEmptyResultNotAPrefix)
{
    LoopbackServer server([](LoopbackServer& self, int socket, const std::string&) {
        LoopbackServer::send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nfirst half");
        self.hold(20s);
    });
    HttpOptions options;
    options.timeoutSeconds = 1;
    HttpResponse exchange;
    const auto start = std::chrono::steady_clock::now();
    exchange = HttpClient::request(server.url("/"), options);
    EXPECT_EQ(exchange.body, "");
    EXPECT_LT(elapsedMs(start), 3000);
    EXPECT_EQ(exchange.status, 200);
    EXPECT_EQ(exchange.error, HttpError::Timeout);
}

TEST(HttpTimeouts, ReadDeadlineDiscardsBodyButKeepsHeadersAndCookies)
{
    // A body that keeps trickling never trips the per-phase time-out, only
    // the whole-exchange deadline.
    LoopbackServer server([](LoopbackServer& self, int socket, const std::string&) {
        LoopbackServer::send(socket, "HTTP/1.1 200 OK\r\nSet-Cookie: T=9; path=/\r\nContent-Length: 100000\r\n\r\n");
        for (int i = 0; i < 200 && !self.stopping(); ++i) {
            LoopbackServer::send(socket, std::string(100, 'x'));
            std::this_thread::sleep_for(100ms);
        }
    });
    HttpOptions options;
    options.timeoutSeconds = 1;
    HttpResponse exchange;
    const auto start = std::chrono::steady_clock::now();
    exchange = HttpClient::request(server.url("/"), options);
    EXPECT_EQ(exchange.body, "");
    const long took = elapsedMs(start);
    EXPECT_GE(took, 1000);
    EXPECT_LT(took, 3000);
    EXPECT_EQ(exchange.cookies, "T=9;");
}

TEST(HttpFaults, ConnectionClosedMidHeaderGivesEmptyResult)
{
    LoopbackServer server([](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, "HTTP/1.1 200 OK\r\nContent-Le");
    });
    HttpResponse exchange;
    const auto start = std::chrono::steady_clock::now();
    exchange = HttpClient::request(server.url("/"), {});
    EXPECT_EQ(exchange.body, "");
    EXPECT_LT(elapsedMs(start), 4000);
    EXPECT_EQ(exchange.status, 0);
    EXPECT_NE(exchange.error, HttpError::None);
}

TEST(HttpFaults, ConnectionClosedBeforeBodyEndsGivesEmptyResult)
{
    LoopbackServer server([](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nshort");
    });
    EXPECT_EQ(HttpClient::request(server.url("/")).body, "");
}

TEST(HttpFaults, BodyWithoutLengthEndsWhenTheServerCloses)
{
    LoopbackServer server([](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nuntil close");
    });
    EXPECT_EQ(HttpClient::request(server.url("/")).body, "until close");
}

// Far beyond the 4,096 bytes of the buffer the exchange was designed around.
TEST(HttpFaults, LargeHeaderBlockArrivesWhole)
{
    const std::string filler(6000, 'f');
    LoopbackServer server([filler](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, LoopbackServer::reply("body", "Set-Cookie: Z=1;\r\nX-Filler: " + filler + "\r\n"));
    });
    const HttpResponse response = HttpClient::request(server.url("/"));
    EXPECT_TRUE(response.ok());
    EXPECT_EQ(response.body, "body");
    EXPECT_EQ(response.header("x-filler"), Text(filler));
    EXPECT_EQ(response.cookies, "Z=1;");
}

// Python's http.server and proxies put "HTTP/" into other fields.
TEST(HttpFaults, StatusComesFromTheStatusLineOnly)
{
    LoopbackServer server([](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket,
                             "HTTP/1.0 200 OK\r\nServer: BaseHTTP/0.6 Python/3.11\r\nVia: HTTP/1.1 proxy\r\n"
                             "Content-Length: 2\r\n\r\nok");
    });
    const HttpResponse response = HttpClient::request(server.url("/"));
    EXPECT_EQ(response.status, 200);
    EXPECT_TRUE(response.ok());
    EXPECT_EQ(response.statusLine, "HTTP/1.0 200 OK");
    EXPECT_EQ(response.header("server"), "BaseHTTP/0.6 Python/3.11");
    EXPECT_EQ(response.header("Via"), "HTTP/1.1 proxy");
    EXPECT_EQ(response.body, "ok");
}

TEST(HttpFaults, EndlessHeaderStreamIsCutOff)
{
    LoopbackServer server([](LoopbackServer& self, int socket, const std::string&) {
        LoopbackServer::send(socket, "HTTP/1.1 200 OK\r\n");
        for (int i = 0; i < 100000 && !self.stopping(); ++i) {
            LoopbackServer::send(socket, "X-Again: " + std::string(1000, 'a') + "\r\n");
        }
    });
    const auto start = std::chrono::steady_clock::now();
    const HttpResponse response = HttpClient::request(server.url("/"));
    EXPECT_EQ(response.body, "");
    EXPECT_EQ(response.error, HttpError::TooLarge);
    EXPECT_LT(elapsedMs(start), 5000);
}

TEST(HttpFaults, GarbageInsteadOfStatusLineGivesEmptyResult)
{
    LoopbackServer server([](LoopbackServer&, int socket, const std::string&) {
        static constexpr char garbage[] = "\0\xFF\xFE garbage\r\n\r\nbody";
        LoopbackServer::send(socket, std::string(garbage, sizeof garbage - 1));
    });
    EXPECT_EQ(HttpClient::request(server.url("/")).body, "");
}

TEST(HttpFaults, NulBytesInBodyArriveIntact)
{
    const std::string body("a\0b\0\xFF", 5);
    LoopbackServer server([body](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, LoopbackServer::reply(body));
    });
    EXPECT_EQ(HttpClient::request(server.url("/")).body, body);
}

TEST(HttpFaults, FiftyMegabyteBodyIsReturnedWhole)
{
    const std::string body(50 * 1024 * 1024, 'z');
    LoopbackServer server([&body](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, LoopbackServer::reply(body));
    });
    const Bytes received = HttpClient::request(server.url("/big")).body;
    EXPECT_EQ(received.size(), body.size());
    EXPECT_EQ(received == body, true);
}

TEST(HttpFaults, RefusedConnectionFailsQuickly)
{
    int port = 0;
    {
        LoopbackServer gone([](LoopbackServer&, int, const std::string&) {});
        port = gone.port();
    }
    HttpResponse exchange;
    exchange = HttpClient::request(Text("http://127.0.0.1:" + std::to_string(port) + "/"), {});
    EXPECT_EQ(exchange.body, "");
    EXPECT_EQ(exchange.status, 0);
    EXPECT_EQ(exchange.error, HttpError::Connect);
}

TEST(HttpFaults, UrlThatCannotBeSentFailsWithoutThrowing)
{
    EXPECT_EQ(HttpClient::request("http://127.0.0.1:1/with space").body, "");
    EXPECT_EQ(HttpClient::request("").body, "");
    EXPECT_EQ(HttpClient::request("http:///").body, "");
}

TEST(HttpFaults, InvalidMethodFailsBeforeAnyConnection)
{
    auto server = LoopbackServer([](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, LoopbackServer::reply("x"));
    });
    HttpOptions options;
    options.method = "GET /evil HTTP/1.0\r\nX:";
    options.headers = "X-Mine: 1\r\n";
    options.cookies = "A=1;";
    HttpResponse exchange;
    exchange = HttpClient::request(server.url("/"), options);
    EXPECT_EQ(exchange.body, "");
    EXPECT_EQ(exchange.status, 0);
    EXPECT_EQ(exchange.error, HttpError::InvalidRequest);
    EXPECT_EQ(exchange.cookies, "");
    EXPECT_EQ(exchange.sentHeaders, "X-Mine: 1\r\n");
    EXPECT_TRUE(server.requests().empty());
}

TEST(HttpFaults, HeaderLineWithBareLineBreakIsRefused)
{
    auto server = LoopbackServer([](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, LoopbackServer::reply("x"));
    });
    HttpOptions options;
    options.headers = "X-A: 1\nX-Injected: 2\r\n";
    EXPECT_EQ(HttpClient::request(server.url("/"), options).body, "");
    EXPECT_TRUE(server.requests().empty());
}

TEST(HttpSecure, HttpsAnywhereInTheUrlMakesTheExchangeTls)
{
    LoopbackServer server([](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, LoopbackServer::reply("plain"));
    });
    HttpOptions options;
    options.timeoutSeconds = 3;
    EXPECT_EQ(HttpClient::request(Text(server.url("/go?to=https://elsewhere/")), options).body, "");
    // The server records what it read once the client has given up.
    for (int i = 0; i < 200 && server.requests().empty(); ++i) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(server.requests().size(), 1U);
    const std::string hello = server.requests()[0];
    // A TLS handshake record, not a request line.
    ASSERT_GE(hello.size(), 3U);
    EXPECT_EQ(hello[0], '\x16');
    EXPECT_EQ(hello[1], '\x03');
}

TEST(HttpRedirects, FollowedByDefaultToHttp)
{
    LoopbackServer target([](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, LoopbackServer::reply("arrived"));
    });
    const std::string location = target.url("/there");
    LoopbackServer origin([location](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket,
                             "HTTP/1.1 302 Found\r\nLocation: " + location
                                 + "\r\nSet-Cookie: R=1;\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    });
    HttpResponse exchange;
    exchange = HttpClient::request(origin.url("/here"), {});
    EXPECT_EQ(exchange.body, "arrived");
    EXPECT_EQ(exchange.status, 200);
    EXPECT_EQ(exchange.cookies, "");
}

TEST(HttpRedirects, NotFollowedWhenDisallowed)
{
    LoopbackServer origin([](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket,
                             "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:1/\r\nSet-Cookie: R=1;\r\n"
                             "Content-Length: 5\r\nConnection: close\r\n\r\nmoved");
    });
    HttpOptions options;
    options.allowRedirect = false;
    HttpResponse exchange;
    exchange = HttpClient::request(origin.url("/"), options);
    EXPECT_EQ(exchange.body, "moved");
    EXPECT_EQ(exchange.cookies, "R=1;");
}

TEST(HttpRedirects, NeverToAnotherProtocol)
{
    for (const std::string location : {"file:///etc/passwd", "ftp://127.0.0.1/x", "gopher://127.0.0.1/"}) {
        LoopbackServer origin([location](LoopbackServer&, int socket, const std::string&) {
            LoopbackServer::send(socket,
                                 "HTTP/1.1 302 Found\r\nLocation: " + location
                                     + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        });
        EXPECT_EQ(HttpClient::request(origin.url("/")).body, "") << location;
    }
}

TEST(HttpConnectionLimit, AtMostTenExchangesWithOneServerAtOnce)
{
    // Counted between a request's arrival and its answer: a client cannot have finished an
    // exchange the server has not answered yet, so this never over-counts, unlike open sockets
    // (a finished client may already start its next exchange while the server closes the last).
    std::atomic<int> waiting {0};
    std::atomic<int> peak {0};
    LoopbackServer server([&](LoopbackServer& self, int socket, const std::string&) {
        const int now = ++waiting;
        for (int seen = peak.load(); now > seen && !peak.compare_exchange_weak(seen, now);) { }
        // Hold the answers until ten are waiting at once (bounded well inside the 5 s phase
        // limit) so that the peak shows the limit even when client threads start slowly on a
        // busy machine; the extra 200 ms gives any exchange beyond the limit time to arrive.
        const auto until = std::chrono::steady_clock::now() + 3s;
        while (peak < HttpClient::connectionsPerServer && !self.stopping()
               && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(5ms);
        }
        self.hold(200ms);
        --waiting;
        LoopbackServer::send(socket, LoopbackServer::reply("ok"));
    });
    std::vector<std::future<Bytes>> calls;
    for (int i = 0; i < 14; ++i) {
        calls.push_back(
            std::async(std::launch::async, [&server] { return HttpClient::request(server.url("/")).body; }));
    }
    for (auto& call : calls) {
        EXPECT_EQ(call.get(), "ok");
    }
    EXPECT_EQ(peak.load(), HttpClient::connectionsPerServer);
}

TEST(HttpConnectionLimit, SlotsAreCountedPerServer)
{
    net::ConnectionLimit limit(2);
    auto a = limit.acquire("http://a:80", 0ms);
    auto b = limit.acquire("http://a:80", 0ms);
    auto c = limit.acquire("http://a:80", 50ms);
    auto d = limit.acquire("http://b:80", 0ms);
    EXPECT_TRUE(a.held());
    EXPECT_TRUE(b.held());
    EXPECT_FALSE(c.held());
    EXPECT_TRUE(d.held());
    EXPECT_EQ(limit.inUse("http://a:80"), 2);
}

}  // namespace
}  // namespace quorvo::net
