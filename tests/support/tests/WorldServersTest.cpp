// The world servers the network tests meet: what they answer is what real
// nginx and Python's http.server answer, and the mirror gives them the
// reference service's replies at the paths the client asks for.

#include "WorldServers.h"
#include "ReferenceServer.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvo::test {
namespace {

std::string pattern(std::size_t size)
{
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 131 + i / 251) & 0xff);
    return data;
}

void put(const std::filesystem::path& file, const std::string& data)
{
    std::filesystem::create_directories(file.parent_path());
    writeWholeFile(file, data);
}

bool isGzip(const std::string& body)
{
    return body.size() > 2 && static_cast<unsigned char>(body[0]) == 0x1f
        && static_cast<unsigned char>(body[1]) == 0x8b;
}

#define SKIP_WITHOUT(Server)                                                                                           \
    if (const auto reason = Server::unavailableReason())                                                               \
    GTEST_SKIP() << *reason

TEST(WorldServers, PythonServesRangesAndValidatorsWithItsOwnServerHeader)
{
    SKIP_WITHOUT(PythonHttpServer);
    TempDir root;
    const std::string data = pattern(100000);
    put(root.path() / "song.flac", data);
    PythonHttpServer server(root.path());

    const RawResponse whole = getFrom(server.port(), "/song.flac?xcode=1");
    EXPECT_EQ(whole.status, 200);
    EXPECT_TRUE(whole.body == data);
    EXPECT_EQ(whole.header("Server").value_or("").rfind("BaseHTTP/0.6 Python/3.", 0), 0U) << whole.head;
    const std::string etag = whole.header("ETag").value_or("");
    ASSERT_FALSE(etag.empty());
    ASSERT_TRUE(whole.header("Last-Modified"));

    const RawResponse tail = getFrom(server.port(), "/song.flac", "Range: bytes=99990-\r\n");
    EXPECT_EQ(tail.status, 206);
    EXPECT_EQ(tail.header("Content-Range").value_or(""), "bytes 99990-99999/100000");
    EXPECT_TRUE(tail.body == data.substr(99990));

    EXPECT_EQ(getFrom(server.port(), "/song.flac", "Range: bytes=100000-\r\n").status, 416);

    const RawResponse sameValidator
        = getFrom(server.port(), "/song.flac", "Range: bytes=5-9\r\nIf-Range: " + etag + "\r\n");
    EXPECT_EQ(sameValidator.status, 206);
    EXPECT_EQ(sameValidator.body, data.substr(5, 5));
    const RawResponse staleValidator
        = getFrom(server.port(), "/song.flac", "Range: bytes=5-9\r\nIf-Range: \"old\"\r\n");
    EXPECT_EQ(staleValidator.status, 200);
    EXPECT_TRUE(staleValidator.body == data);

    const auto logged = server.requestsTo("/song.flac");
    ASSERT_EQ(logged.size(), 5U);
    EXPECT_EQ(logged[0].target, "/song.flac?xcode=1");
    EXPECT_EQ(logged[1].header("Range").value_or(""), "bytes=99990-");
    EXPECT_EQ(logged[1].status, 206);
    EXPECT_EQ(logged[4].header("If-Range").value_or(""), "\"old\"");
}

TEST(WorldServers, PythonFaultFlagsMisbehaveAsAsked)
{
    SKIP_WITHOUT(PythonHttpServer);
    TempDir root;
    const std::string data = pattern(5000);
    put(root.path() / "data2" / "music" / "1" / "1.mp3", data);
    const std::string song = "/data2/music/1/1.mp3";

    {
        PythonHttpServer gzip(root.path(), {"--gzip", "--header", "Via: HTTP/1.1 proxy", "--big-headers", "5000"});
        const RawResponse encoded
            = getFrom(gzip.port(), song, "Accept-Encoding: gzip, deflate\r\nRange: bytes=10-\r\n");
        EXPECT_EQ(encoded.status, 200);
        EXPECT_EQ(encoded.header("Content-Encoding").value_or(""), "gzip");
        EXPECT_TRUE(isGzip(encoded.body));
        EXPECT_EQ(encoded.header("Content-Length").value_or(""), std::to_string(encoded.body.size()));
        EXPECT_EQ(encoded.header("Via").value_or(""), "HTTP/1.1 proxy");
        EXPECT_GT(encoded.head.size(), 5000U);
        const RawResponse plain = getFrom(gzip.port(), song);
        EXPECT_FALSE(plain.header("Content-Encoding"));
        EXPECT_TRUE(plain.body == data);
    }
    {
        PythonHttpServer empty(root.path(), {"--range-empty"});
        const RawResponse reply = getFrom(empty.port(), song, "Range: bytes=100-\r\n");
        EXPECT_EQ(reply.status, 200);
        EXPECT_TRUE(reply.body.empty());
        EXPECT_TRUE(getFrom(empty.port(), song).body == data);
    }
    {
        PythonHttpServer noContent(root.path(), {"--range-204"});
        EXPECT_EQ(getFrom(noContent.port(), song, "Range: bytes=100-\r\n").status, 204);
    }
    {
        PythonHttpServer stall(root.path(), {"--stall-after", "1000"});
        // The head promises everything, 1000 bytes come, then nothing and no close.
        const RawResponse cut
            = exchangeWith(stall.port(), "GET " + song + " HTTP/1.0\r\n\r\n", std::chrono::seconds(2));
        EXPECT_FALSE(cut.complete);
        EXPECT_EQ(cut.header("Content-Length").value_or(""), "5000");
        EXPECT_TRUE(cut.body == data.substr(0, 1000)) << cut.body.size();
    }
}

TEST(WorldServers, PythonEndlessSearchReplyKeepsComing)
{
    SKIP_WITHOUT(PythonHttpServer);
    TempDir root;
    put(root.path() / "v1" / "restserver" / "vesk" / "query=x",
        "<?xml version=\"1.0\"?>\n<result>\n<song_list>\n<song><title>t</title></song>\n</song_list>\n"
        "</result>\n");
    PythonHttpServer server(root.path(), {"--endless"});
    const std::size_t cap = 4 * 1024 * 1024;
    const RawResponse reply = exchangeWith(server.port(), "GET /v1/restserver/vesk?a=1&query=x HTTP/1.0\r\n\r\n",
                                           std::chrono::seconds(120), cap);
    EXPECT_EQ(reply.status, 200);
    EXPECT_FALSE(reply.complete);
    EXPECT_GT(reply.body.size(), cap - 64 * 1024);
    EXPECT_FALSE(reply.header("Content-Length"));
}

TEST(WorldServers, NginxServesRangesAndGzipUnderGz)
{
    SKIP_WITHOUT(NginxServer);
    TempDir root;
    const std::string data = pattern(300000);
    put(root.path() / "data2" / "music" / "7" / "7.flac", data);
    NginxServer server(root.path());

    const RawResponse tail = getFrom(server.port(), "/data2/music/7/7.flac?xcode=a", "Range: bytes=1000-\r\n");
    EXPECT_EQ(tail.status, 206) << server.errorLog();
    EXPECT_EQ(tail.header("Server").value_or("").rfind("nginx", 0), 0U);
    EXPECT_EQ(tail.header("Content-Range").value_or(""), "bytes 1000-299999/300000");
    EXPECT_TRUE(tail.body == data.substr(1000)) << tail.body.size();
    EXPECT_TRUE(tail.header("ETag"));

    const RawResponse encoded = getFrom(server.port(), "/gz/data2/music/7/7.flac", "Accept-Encoding: gzip\r\n");
    EXPECT_EQ(encoded.status, 200);
    EXPECT_EQ(encoded.header("Content-Encoding").value_or(""), "gzip");
    const RawResponse identity = getFrom(server.port(), "/gz/data2/music/7/7.flac");
    EXPECT_FALSE(identity.header("Content-Encoding"));

    const auto logged = server.waitForRequests(3);
    ASSERT_EQ(logged.size(), 3U);
    EXPECT_EQ(logged[0].target, "/data2/music/7/7.flac?xcode=a");
    EXPECT_EQ(logged[0].header("Range").value_or(""), "bytes=1000-");
    EXPECT_EQ(logged[1].header("Accept-Encoding").value_or(""), "gzip");
    EXPECT_FALSE(logged[2].header("Accept-Encoding"));
}

TEST(WorldServers, MirroredServiceAnswersLikeTheReferenceOnBothServers)
{
    SKIP_WITHOUT(PythonHttpServer);
    SKIP_WITHOUT(NginxServer);
    ReferenceServer reference;
    TempDir root;
    PythonHttpServer python(root.path());
    NginxServer nginx(root.path());
    // Link replies send the client to nginx's gzip location.
    ServiceMirror mirror(reference, root.path(), nginx.baseUrl() + "/gz");

    // Exactly as the client builds it: GBK "夜色", percent-encoded.
    const std::string search
        = "/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=%D2%B9%C9%AB&page_size=60&page_no=1&format=xml";
    mirror.addSearch("http://" + reference.host() + search);
    const std::filesystem::path songFile = mirror.addSong("9900001");
    ASSERT_FALSE(songFile.empty());

    const RawResponse referenceSearch = reference.get(search);
    ASSERT_NE(referenceSearch.body.find("9900001"), std::string::npos);
    const std::string link = "/app/link/getLinks.php?songId=9900001&linkType=1&isLogin=1";
    const std::string lyric = "/data2/lrc/9900001/9900001.lrc";
    for (const std::uint16_t port : {python.port(), nginx.port()}) {
        EXPECT_EQ(getFrom(port, search).body, referenceSearch.body) << port;
        const RawResponse linkReply = getFrom(port, link);
        EXPECT_EQ(linkReply.status, 200);
        EXPECT_NE(linkReply.body.find("\"url\":\"" + nginx.baseUrl() + "/gz/data2/music/9900001/9900001.flac?"),
                  std::string::npos)
            << linkReply.body;
        EXPECT_EQ(getFrom(port, lyric).body, reference.get(lyric).body);
        EXPECT_EQ(getFrom(port, "/app/link/getLinks.php?songId=9999999").status, 404);
    }
    const std::string songPath = "/data2/music/9900001/9900001.flac";
    const std::string songBytes = reference.get(songPath).body;
    EXPECT_TRUE(readWholeFile(songFile) == songBytes);
    EXPECT_TRUE(getFrom(nginx.port(), songPath + "?xcode=1").body == songBytes);
    EXPECT_TRUE(getFrom(python.port(), "/gz" + songPath).body == songBytes);
    // nginx sends what it encodes chunked; the header is what tells.
    EXPECT_EQ(getFrom(nginx.port(), "/gz" + songPath, "Accept-Encoding: gzip\r\n").header("Content-Encoding"), "gzip");
}

}  // namespace
}  // namespace quorvo::test
