// The request log and the echo endpoint that client tests rely on.

#include "ReferenceServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace quorvo::test {
namespace {

TEST(RequestLog, CountsRequestsWithMethodTargetStatusBytesAndHeaders)
{
    ReferenceServer server;
    const RawResponse first = server.get("/data2/lrc/9900001/9900001.lrc", "User-Agent: Quorvo\xD2\xF4\r\n");
    (void)server.get("/nothing-here");
    const auto log = server.requestLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].method, "GET");
    EXPECT_EQ(log[0].target, "/data2/lrc/9900001/9900001.lrc");
    EXPECT_EQ(log[0].status, 200);
    EXPECT_EQ(log[0].bodyBytes, first.body.size());
    EXPECT_EQ(log[0].header("user-agent"), "Quorvo\xD2\xF4");
    EXPECT_EQ(log[1].status, 404);
    EXPECT_LT(log[0].sequence, log[1].sequence);
}

TEST(RequestLog, KeepsRawGbkTargetsAndCanBeCleared)
{
    ReferenceServer server;
    (void)server.get("/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=\xD2\xB9&format=xml");
    ASSERT_EQ(server.requestsTo("/v1/restserver/vesk").size(), 1u);
    EXPECT_NE(server.requestLog()[0].target.find("query=\xD2\xB9&"), std::string::npos);
    server.clearRequestLog();
    EXPECT_TRUE(server.requestLog().empty());
}

TEST(Echo, AnswersWithTheRequestHeadByteForByte)
{
    ReferenceServer server;
    const std::string request = "GET /echo?q=\xD2\xB9 HTTP/1.1\r\nAccept: */*\r\nreferer: http://x/\r\n"
                                "Accept-Language: zh-cn\r\nHost:  odd spacing \r\nConnection: close\r\n\r\n";
    const RawResponse reply = server.exchange(request);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, request);
}

TEST(Echo, ResponseToAClosingRequestSaysConnectionClose)
{
    ReferenceServer server;
    EXPECT_EQ(server.get("/echo").header("Connection"), "close");
    const RawResponse http10 = server.exchange("GET /echo HTTP/1.0\r\n\r\n");
    EXPECT_EQ(http10.header("Connection"), "close");
    EXPECT_TRUE(http10.complete);
}

TEST(Echo, IncludesARequestBody)
{
    ReferenceServer server;
    const std::string request = "POST /echo HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\nConnection: close\r\n\r\na=1";
    EXPECT_EQ(server.exchange(request).body, request);
}

TEST(Harness, StoppedServerExitsCleanlyAndFreesItsPort)
{
    ReferenceServer server;
    const std::uint16_t port = server.port();
    EXPECT_NE(port, 0);
    EXPECT_EQ(server.host(), "127.0.0.1:" + std::to_string(port));
    EXPECT_EQ(server.baseUrl(), "http://127.0.0.1:" + std::to_string(port));
    EXPECT_EQ(server.stop(), 0);  // exited with status 0, not killed

    // Nothing listens there any more: the port can be bound again.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

}  // namespace
}  // namespace quorvo::test
