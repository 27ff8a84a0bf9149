// Every fault switch, per song from the catalogue and globally from the
// command line.

#include "ReferenceServer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>

namespace quorvo::test {
namespace {

using Clock = std::chrono::steady_clock;

std::string musicPath(const std::string& id, const char* extension = "flac")
{
    return "/data2/music/" + id + "/" + id + "." + extension;
}

std::string linkPath(const std::string& id)
{
    return "/app/link/getLinks.php?songId=" + id + "&linkType=1&isLogin=1&clientVer=8.0.0.5&isHq=0&isCloud=0&hasMV=1";
}

std::vector<std::string> headerValues(const RawResponse& response, std::string_view name)
{
    std::vector<std::string> values;
    std::string_view head = response.head;
    while (!head.empty()) {
        const auto end = head.find("\r\n");
        const std::string_view line = head.substr(0, end);
        if (line.size() > name.size() && line[name.size()] == ':' && line.substr(0, name.size()) == name)
            values.emplace_back(line.substr(name.size() + 2));
        if (end == std::string_view::npos)
            break;
        head.remove_prefix(end + 2);
    }
    return values;
}

// Undoes chunked transfer coding; nothing when the framing is broken.
std::optional<std::string> dechunk(std::string_view body)
{
    std::string out;
    while (true) {
        const auto lineEnd = body.find("\r\n");
        if (lineEnd == std::string_view::npos)
            return std::nullopt;
        const std::size_t size = std::stoul(std::string(body.substr(0, lineEnd)), nullptr, 16);
        body.remove_prefix(lineEnd + 2);
        if (size == 0)
            return body == "\r\n" ? std::optional<std::string>(out) : std::nullopt;
        if (body.size() < size + 2 || body.substr(size, 2) != "\r\n")
            return std::nullopt;
        out.append(body.substr(0, size));
        body.remove_prefix(size + 2);
    }
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class SongFaults : public ::testing::Test {
protected:
    std::uint64_t linkedSize(const std::string& id) const
    {
        const auto json = nlohmann::json::parse(m_server.get(linkPath(id)).body);
        return json.at(0).at("file_list").at(0).at("size").get<std::uint64_t>();
    }

    ReferenceServer m_server;
};

TEST_F(SongFaults, DelayHoldsTheAnswerBack)
{
    const auto start = Clock::now();
    const RawResponse reply = m_server.get(musicPath("9900040"));
    EXPECT_GE(secondsSince(start), 1.9);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body.substr(0, 4), "fLaC");
}

TEST_F(SongFaults, ThrottleHoldsTheRate)
{
    const std::uint64_t size = linkedSize("9900041");
    // The last 128 KiB at 64 KiB/s take about two seconds.
    const auto start = Clock::now();
    const RawResponse reply
        = m_server.get(musicPath("9900041"), "Range: bytes=" + std::to_string(size - 131072) + "-\r\n");
    EXPECT_GE(secondsSince(start), 1.5);
    EXPECT_EQ(reply.status, 206);
    EXPECT_EQ(reply.body.size(), 131072u);
}

TEST_F(SongFaults, DropCutsTheConnectionAfterTheGivenBytes)
{
    const std::uint64_t size = linkedSize("9900042");
    const RawResponse reply = m_server.get(musicPath("9900042"));
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.header("Content-Length"), std::to_string(size));
    EXPECT_EQ(reply.body.size(), 100000u);
    EXPECT_TRUE(reply.complete);  // closed by the server, not timed out
    const auto log = m_server.requestsTo(musicPath("9900042"));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].bodyBytes, 100000u);
}

TEST_F(SongFaults, DropAlsoCutsMp3Files)
{
    const RawResponse reply = m_server.get(musicPath("9900053", "mp3"));
    EXPECT_EQ(reply.body.size(), 50000u);
    EXPECT_GT(std::stoull(reply.header("Content-Length").value_or("0")), 50000u);
}

TEST_F(SongFaults, IgnoredRangeAnswersTheWholeFile)
{
    const std::uint64_t size = linkedSize("9900043");
    const RawResponse reply = m_server.get(musicPath("9900043"), "Range:bytes=100-\r\n");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body.size(), size);
    EXPECT_FALSE(reply.header("Content-Range").has_value());
}

TEST_F(SongFaults, StatusFaultsAnswerTheirStatusWithAnHtmlBody)
{
    const RawResponse error = m_server.get(musicPath("9900044"));
    EXPECT_EQ(error.status, 500);
    EXPECT_NE(error.body.find("500"), std::string::npos);
    EXPECT_EQ(error.header("Content-Length"), std::to_string(error.body.size()));
    EXPECT_EQ(m_server.get(musicPath("9900045")).status, 404);
}

TEST_F(SongFaults, RedirectLeadsToTheSameFileOnThisServer)
{
    const std::uint64_t size = linkedSize("9900046");
    const RawResponse reply = m_server.get(musicPath("9900046"));
    EXPECT_EQ(reply.status, 302);
    const std::string location = reply.header("Location").value_or("");
    EXPECT_EQ(location, m_server.baseUrl() + "/_r" + musicPath("9900046"));
    const RawResponse followed = m_server.get(location.substr(m_server.baseUrl().size()));
    EXPECT_EQ(followed.status, 200);
    EXPECT_EQ(followed.body.size(), size);
}

TEST_F(SongFaults, RedirectToAnotherSchemeIsSentVerbatim)
{
    const RawResponse reply = m_server.get(musicPath("9900049"));
    EXPECT_EQ(reply.status, 302);
    EXPECT_EQ(reply.header("Location"), "ftp://127.0.0.1/song.flac");
}

TEST_F(SongFaults, ChunkedTransferHasNoContentLength)
{
    const std::uint64_t size = linkedSize("9900047");
    const RawResponse reply = m_server.get(musicPath("9900047"));
    EXPECT_EQ(reply.status, 200);
    EXPECT_FALSE(reply.header("Content-Length").has_value());
    EXPECT_EQ(reply.header("Transfer-Encoding"), "chunked");
    const auto body = dechunk(reply.body);
    ASSERT_TRUE(body.has_value());
    EXPECT_EQ(body->size(), size);
    EXPECT_EQ(body->substr(0, 4), "fLaC");
}

TEST_F(SongFaults, ChunkedToAnHttp10ClientEndsWithTheConnection)
{
    const std::uint64_t size = linkedSize("9900047");
    const RawResponse reply = m_server.exchange("GET " + musicPath("9900047") + " HTTP/1.0\r\n\r\n");
    EXPECT_FALSE(reply.header("Content-Length").has_value());
    EXPECT_FALSE(reply.header("Transfer-Encoding").has_value());
    EXPECT_EQ(reply.body.size(), size);
}

TEST_F(SongFaults, CookiesAreSetInOrder)
{
    const RawResponse reply = m_server.get(musicPath("9900048"));
    EXPECT_EQ(headerValues(reply, "Set-Cookie"),
              (std::vector<std::string> {"QSID=abc123; path=/", "QTRACK=9900048; HttpOnly"}));
}

TEST_F(SongFaults, LinkReplyFaults)
{
    const auto start = Clock::now();
    const RawResponse delayed = m_server.get(linkPath("9900050"));
    EXPECT_GE(secondsSince(start), 2.9);
    EXPECT_EQ(delayed.status, 200);
    const RawResponse failing = m_server.get(linkPath("9900051"));
    EXPECT_EQ(failing.status, 500);
    EXPECT_FALSE(nlohmann::json::accept(failing.body));
}

TEST_F(SongFaults, LyricFaultAnswers404ThoughTheSearchNamesTheFile)
{
    const RawResponse search
        = m_server.get("/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=LyricMissing&format=xml");
    EXPECT_NE(search.body.find("<lrclink>/data2/lrc/9900052/9900052.lrc</lrclink>"), std::string::npos);
    EXPECT_EQ(m_server.get("/data2/lrc/9900052/9900052.lrc").status, 404);
}

TEST_F(SongFaults, FaultsOfOneSongLeaveOthersAlone)
{
    const RawResponse reply = m_server.get(musicPath("9900001"));
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(headerValues(reply, "Set-Cookie").empty());
}

// Command-line faults.

constexpr const char* lanternsSearch = "/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=Lanterns&format=xml";

TEST(GlobalFaults, StatusAppliesOnlyToTheChosenReplies)
{
    ReferenceServer server({"--fault-status", "503", "--fault-on", "search"});
    EXPECT_EQ(server.get(lanternsSearch).status, 503);
    EXPECT_EQ(server.get(linkPath("9900001")).status, 200);
    EXPECT_EQ(server.get("/echo").status, 200);
}

TEST(GlobalFaults, DefaultScopeCoversServiceRepliesButNotEcho)
{
    ReferenceServer server({"--fault-status", "502"});
    EXPECT_EQ(server.get(lanternsSearch).status, 502);
    EXPECT_EQ(server.get(linkPath("9900001")).status, 502);
    EXPECT_EQ(server.get("/data2/lrc/9900001/9900001.lrc").status, 502);
    EXPECT_EQ(server.get(musicPath("9900001")).status, 502);
    EXPECT_EQ(server.get("/echo").status, 200);
}

TEST(GlobalFaults, SongFaultsOverrideGlobalOnes)
{
    ReferenceServer server({"--fault-status", "503", "--fault-on", "files"});
    EXPECT_EQ(server.get(musicPath("9900044")).status, 500);
    EXPECT_EQ(server.get(musicPath("9900001")).status, 503);
}

// A busy server: the first reply says when to come back, the next is the file.
TEST(GlobalFaults, ACountedStatusWithRetryAfterTouchesOnlyTheFirstReplies)
{
    ReferenceServer server(
        {"--fault-status", "503", "--fault-retry-after", "2", "--fault-times", "1", "--fault-on", "files"});
    const RawResponse busy = server.get(musicPath("9900001"));
    EXPECT_EQ(busy.status, 503);
    EXPECT_EQ(busy.header("Retry-After"), "2");
    EXPECT_EQ(server.get(musicPath("9900001")).status, 200);
    EXPECT_EQ(server.get(musicPath("9900001")).status, 200);
}

TEST(GlobalFaults, CookiesAndDelayOnTheEchoEndpoint)
{
    ReferenceServer server({"--fault-set-cookie", "A=1; path=/", "--fault-set-cookie", "B=2; HttpOnly",
                            "--fault-set-cookie", "C=3", "--fault-delay-ms", "300", "--fault-on", "echo"});
    const auto start = Clock::now();
    const RawResponse reply = server.get("/echo");
    EXPECT_GE(secondsSince(start), 0.29);
    EXPECT_EQ(headerValues(reply, "Set-Cookie"), (std::vector<std::string> {"A=1; path=/", "B=2; HttpOnly", "C=3"}));
    EXPECT_EQ(reply.body.rfind("GET /echo HTTP/1.1\r\n", 0), 0u);
}

TEST(GlobalFaults, RedirectedSearchLeadsToTheSameReply)
{
    ReferenceServer server({"--fault-redirect", "--fault-on", "search"});
    const RawResponse reply = server.get(lanternsSearch);
    EXPECT_EQ(reply.status, 302);
    const std::string location = reply.header("Location").value_or("");
    ASSERT_EQ(location.rfind(server.baseUrl() + "/_r/v1/restserver/vesk?", 0), 0u) << location;
    const RawResponse followed = server.get(location.substr(server.baseUrl().size()));
    EXPECT_EQ(followed.status, 200);
    EXPECT_NE(followed.body.find("<song_id>9900002</song_id>"), std::string::npos);
}

TEST(GlobalFaults, RedirectToAGivenUrl)
{
    ReferenceServer server({"--fault-redirect-to", "https://127.0.0.1:1/x", "--fault-on", "link"});
    const RawResponse reply = server.get(linkPath("9900001"));
    EXPECT_EQ(reply.status, 302);
    EXPECT_EQ(reply.header("Location"), "https://127.0.0.1:1/x");
}

TEST(GlobalFaults, DropAndChunkedOnSmallReplies)
{
    ReferenceServer server({"--fault-drop-after", "10", "--fault-on", "search"});
    const RawResponse cut = server.get(lanternsSearch);
    EXPECT_EQ(cut.body.size(), 10u);
    EXPECT_GT(std::stoull(cut.header("Content-Length").value_or("0")), 10u);

    ReferenceServer chunking({"--fault-chunked", "--fault-on", "lyrics"});
    const RawResponse lyrics = chunking.get("/data2/lrc/9900001/9900001.lrc");
    EXPECT_EQ(lyrics.header("Transfer-Encoding"), "chunked");
    const auto body = dechunk(lyrics.body);
    ASSERT_TRUE(body.has_value());
    EXPECT_EQ(body->rfind("[ti:", 0), 0u);
}

TEST(GlobalFaults, IgnoreRangeAndThrottleOnFiles)
{
    ReferenceServer server({"--fault-ignore-range", "--fault-rate", "1000000", "--fault-on", "files"});
    const auto start = Clock::now();
    const RawResponse reply = server.get(musicPath("9900001"), "Range: bytes=10-\r\n");
    // About 0.9 MB at 1 MB/s.
    EXPECT_GE(secondsSince(start), 0.7);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.header("Content-Length"), std::to_string(reply.body.size()));
    EXPECT_EQ(reply.body.substr(0, 4), "fLaC");
}

TEST(GlobalFaults, BadFaultOptionsStopTheServerFromStarting)
{
    EXPECT_THROW(ReferenceServer({"--fault-on", "nowhere"}), std::runtime_error);
    EXPECT_THROW(ReferenceServer({"--fault-status", "99"}), std::runtime_error);
    EXPECT_THROW(ReferenceServer({"--fault-rate", "0"}), std::runtime_error);
}

}  // namespace
}  // namespace quorvo::test
