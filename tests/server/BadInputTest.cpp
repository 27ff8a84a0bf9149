// Malformed and hostile requests: a proper status, never a crash or a hang.

#include "ReferenceServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace quorvo::test {
namespace {

// An open client socket that is closed on destruction.
class Client {
public:
    explicit Client(std::uint16_t port)
        : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = m_fd >= 0 && ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~Client()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    [[nodiscard]] bool connected() const { return m_connected; }
    bool send(std::string_view data) const
    {
        while (!data.empty()) {
            const ssize_t sent = ::send(m_fd, data.data(), data.size(), MSG_NOSIGNAL);
            if (sent <= 0)
                return false;
            data.remove_prefix(static_cast<std::size_t>(sent));
        }
        return true;
    }
    // Reads until the peer closes or `timeout` passes.
    [[nodiscard]] std::string readAll(std::chrono::milliseconds timeout = std::chrono::seconds(20)) const
    {
        std::string out;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (true) {
            const auto left
                = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd wait {m_fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) <= 0)
                return out;
            char buffer[8192];
            const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                return out;
            out.append(buffer, static_cast<std::size_t>(got));
        }
    }

private:
    int m_fd;
    bool m_connected = false;
};

int statusOf(const std::string& response)
{
    return response.rfind("HTTP/1.1 ", 0) == 0 ? std::atoi(response.c_str() + 9) : 0;
}

class BadInput : public ::testing::Test {
protected:
    // The server still answers normally.
    void expectAlive() const { EXPECT_EQ(m_server.get("/data2/lrc/9900001/9900001.lrc").status, 200); }

    ReferenceServer m_server;
};

TEST_F(BadInput, MalformedRequestLinesGet400AndTheConnectionCloses)
{
    for (const char* request :
         {"GARBAGE\r\n\r\n", "GET\r\n\r\n", "GET / HTTP/1.1 extra\r\n\r\n", "GET nopath HTTP/1.1\r\n\r\n",
          "\x01\x02\x03 / HTTP/1.1\r\n\r\n", "GET / HTTP/1.1\r\nBroken header line\r\n\r\n"}) {
        const RawResponse reply = m_server.exchange(request, std::chrono::seconds(5));
        EXPECT_EQ(reply.status, 400) << request;
        EXPECT_TRUE(reply.complete) << request;
    }
    expectAlive();
}

TEST_F(BadInput, UnknownHttpVersionIs505)
{
    EXPECT_EQ(m_server.exchange("GET / HTTP/3.0\r\n\r\n").status, 505);
}

TEST_F(BadInput, OversizedHeadIs431)
{
    const std::string request = "GET / HTTP/1.1\r\nX-Big: " + std::string(100 * 1024, 'a') + "\r\n\r\n";
    EXPECT_EQ(m_server.exchange(request, std::chrono::seconds(5)).status, 431);
    expectAlive();
}

TEST_F(BadInput, RequestBodiesWithoutUsableLengthAreRefused)
{
    EXPECT_EQ(m_server.exchange("POST /echo HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n").status, 501);
    EXPECT_EQ(m_server.exchange("POST /echo HTTP/1.1\r\nContent-Length: abc\r\n\r\n").status, 400);
    EXPECT_EQ(m_server.exchange("POST /echo HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\n").status, 413);
}

TEST_F(BadInput, ConflictingContentLengthsGet400AndTheConnectionCloses)
{
    Client client(m_server.port());
    ASSERT_TRUE(client.connected());
    // Read with either length, the stream would go on as a smuggled second request.
    ASSERT_TRUE(client.send("POST /echo HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\ncontent-length: 40\r\n\r\n"
                            "a=1&bGET /echo/smuggled HTTP/1.1\r\nHost: x\r\n\r\n"));
    const std::string reply = client.readAll();
    EXPECT_EQ(statusOf(reply), 400) << reply;
    EXPECT_NE(reply.find("Connection: close\r\n"), std::string::npos) << reply;
    EXPECT_EQ(reply.find("smuggled"), std::string::npos) << reply;
    EXPECT_EQ(reply.find("HTTP/1.1 200"), std::string::npos) << reply;
    expectAlive();
}

TEST_F(BadInput, RepeatedIdenticalContentLengthsAreOneLength)
{
    const RawResponse reply = m_server.exchange(
        "POST /echo HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\nContent-Length: 3\r\nConnection: close\r\n\r\na=1");
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(reply.body.ends_with("\r\n\r\na=1")) << reply.body;
}

TEST_F(BadInput, UnknownPathsAndMethodsGetTheirStatus)
{
    EXPECT_EQ(m_server.get("/no/such/thing").status, 404);
    EXPECT_EQ(m_server.exchange("DELETE /data2/lrc/9900001/9900001.lrc HTTP/1.1\r\nConnection: close\r\n\r\n").status,
              405);
    EXPECT_EQ(m_server.get("/app/link/getLinks.php?songId=").status, 400);
    EXPECT_EQ(m_server.get("/app/link/getLinks.php?songId=../../etc/passwd").status, 404);
    EXPECT_EQ(m_server.get("/data2/music/../../etc/passwd").status, 404);
}

TEST_F(BadInput, AbsurdPageNumbersAndSizes)
{
    const std::string base = "/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=Rate&format=xml";
    EXPECT_EQ(m_server.get(base + "&page_no=-5&page_size=-1").status, 200);
    EXPECT_EQ(m_server.get(base + "&page_no=99999999999999999999999&page_size=abc").status, 200);
    const RawResponse huge = m_server.get(base + "&page_no=2147483647&page_size=60");
    EXPECT_EQ(huge.status, 200);
    EXPECT_EQ(huge.body.find("<song>"), std::string::npos);
}

TEST_F(BadInput, PipelinedRequestsOnOneConnectionAreAnsweredInOrder)
{
    Client client(m_server.port());
    ASSERT_TRUE(client.connected());
    ASSERT_TRUE(client.send("GET /echo/one HTTP/1.1\r\nHost: x\r\n\r\nGET /echo/two HTTP/1.1\r\nHost: x\r\n"
                            "Connection: close\r\n\r\n"));
    const std::string both = client.readAll();
    const auto first = both.find("GET /echo/one");
    const auto second = both.find("GET /echo/two");
    EXPECT_NE(first, std::string::npos);
    EXPECT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
}

TEST_F(BadInput, ExpectContinueIsAnsweredBeforeTheBodyIsSent)
{
    Client client(m_server.port());
    const std::string head = "POST /echo HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\nExpect: 100-continue\r\n"
                             "Connection: close\r\n\r\n";
    ASSERT_TRUE(client.send(head));
    // Only the interim answer can come now: the body has not been sent.
    EXPECT_EQ(client.readAll(std::chrono::milliseconds(500)).substr(0, 25), "HTTP/1.1 100 Continue\r\n\r\n");
    ASSERT_TRUE(client.send("a=1"));
    const std::string reply = client.readAll();
    EXPECT_EQ(statusOf(reply), 200);
    EXPECT_NE(reply.find(head + "a=1"), std::string::npos);
}

TEST_F(BadInput, ClientsThatVanishMidRequestOrMidBodyDoNotHurtTheServer)
{
    {
        Client silent(m_server.port());
        Client partial(m_server.port());
        partial.send("GET /data2/music/9900001/9900001.fl");
        Client reader(m_server.port());
        reader.send("GET /data2/music/9900001/9900001.flac HTTP/1.1\r\nHost: x\r\n\r\n");
        (void)reader.readAll(std::chrono::milliseconds(50));
    }
    expectAlive();
}

TEST_F(BadInput, ThousandsOfConcurrentConnectionsAreAllAnswered)
{
    constexpr int connectionCount = 2000;
    std::vector<std::unique_ptr<Client>> clients;
    clients.reserve(connectionCount);
    for (int i = 0; i < connectionCount; ++i) {
        clients.push_back(std::make_unique<Client>(m_server.port()));
        ASSERT_TRUE(clients.back()->connected()) << i;
    }
    for (int i = 0; i < connectionCount; ++i)
        ASSERT_TRUE(
            clients[i]->send("GET /echo/" + std::to_string(i) + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"));
    int answered = 0;
    for (int i = 0; i < connectionCount; ++i) {
        const std::string reply = clients[i]->readAll();
        if (statusOf(reply) == 200 && reply.find("GET /echo/" + std::to_string(i) + " ") != std::string::npos)
            ++answered;
    }
    EXPECT_EQ(answered, connectionCount);
    expectAlive();
}

TEST(ServerLimits, ConnectionsBeyondTheLimitGet503AndTheServerRecovers)
{
    ReferenceServer server({"--max-connections", "2"});
    {
        Client first(server.port());
        Client second(server.port());
        ASSERT_TRUE(first.connected() && second.connected());
        // Let the server take both before the third arrives.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        Client third(server.port());
        ASSERT_TRUE(third.connected());
        const std::string refused = third.readAll(std::chrono::seconds(5));
        EXPECT_EQ(statusOf(refused), 503);
        EXPECT_NE(refused.find("Content-Length: 0\r\n"), std::string::npos);
    }
    // Once those are gone, requests are served again.
    RawResponse reply;
    for (int i = 0; i < 50 && reply.status != 200; ++i) {
        reply = server.get("/echo");
        if (reply.status != 200)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(reply.status, 200);
    const auto log = server.requestLog();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const RequestLogEntry& entry) { return entry.status == 503; }));
}

TEST(ServerLimits, SilentConnectionsAreClosedAfterTheIdleTimeout)
{
    ReferenceServer server({"--idle-timeout-s", "1"});
    Client silent(server.port());
    ASSERT_TRUE(silent.connected());
    const auto start = std::chrono::steady_clock::now();
    // readAll returns when the server closes; it would wait 20 s otherwise.
    EXPECT_TRUE(silent.readAll().empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(ServerLimits, AHeadTrickledByteByByteTimesOutWith408)
{
    ReferenceServer server({"--idle-timeout-s", "1"});
    Client slow(server.port());
    ASSERT_TRUE(slow.connected());
    const auto start = std::chrono::steady_clock::now();
    const std::string head = "GET /echo HTTP/1.1\r\nX-Slow: " + std::string(40, 'a');
    std::string reply;
    // One byte every 100 ms: each read is well inside the idle timeout.
    for (std::size_t i = 0; i < head.size() && reply.empty(); ++i) {
        if (!slow.send(head.substr(i, 1)))
            break;
        reply = slow.readAll(std::chrono::milliseconds(100));
    }
    if (reply.empty())
        reply = slow.readAll(std::chrono::seconds(5));
    EXPECT_EQ(statusOf(reply), 408);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}

TEST(ServerLimits, AHalfSentHeadTimesOutWith408)
{
    ReferenceServer server({"--idle-timeout-s", "1"});
    Client stalled(server.port());
    ASSERT_TRUE(stalled.send("GET /echo HTTP/1.1\r\nHost: x\r\n"));
    EXPECT_EQ(statusOf(stalled.readAll(std::chrono::seconds(5))), 408);
}

TEST(ServerLifecycle, SigintStopsTheServerCleanlyDuringATransfer)
{
    ReferenceServer server({"--fault-rate", "1000", "--fault-on", "files"});
    Client client(server.port());
    ASSERT_TRUE(client.send("GET /data2/music/9900001/9900001.flac HTTP/1.1\r\nHost: x\r\n\r\n"));
    (void)client.readAll(std::chrono::milliseconds(300));
    // A clean stop is quick and exits with 0; the harness falls back to SIGKILL only after 10 s.
    const auto start = std::chrono::steady_clock::now();
    const int status = server.stop(SIGINT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace quorvo::test
