// Search, link and lyrics against servers this project did not write:
// Python's http.server (its own "Server: BaseHTTP/0.6 Python/3.x" header, a
// proxy's Via header, a large header block, an endless reply) and nginx
// (its gzip location), both serving the reference service's answers.

#include "ReferenceServer.h"
#include "TempDir.h"
#include "WorldServers.h"
#include "platform/Files.h"
#include "runtime/Encoding.h"
#include "service/LinkResolver.h"
#include "service/Lyrics.h"
#include "service/Search.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorvo::service {
namespace {

using test::NginxServer;
using test::PythonHttpServer;

#define SKIP_WITHOUT(Server)                                                                                           \
    if (const auto reason = Server::unavailableReason())                                                               \
    GTEST_SKIP() << *reason

const std::string lyricPath = "/data2/lrc/9900001/9900001.lrc";

class WorldService : public ::testing::Test {
protected:
    // The reference's answers for one query and one song, under m_root.
    void mirror(const std::string& fileBaseUrl)
    {
        test::ServiceMirror mirror(m_reference, m_root.path(), fileBaseUrl);
        mirror.addSearch(ServiceEndpoints(Text(m_reference.host())).searchUrl(query).str());
        ASSERT_FALSE(mirror.addSong("9900001").empty());
    }

    // Search, lyric and link of song 9900001 from `host`, as the client does them.
    void expectTheSongFrom(const std::string& host, const Text& lyricUrl)
    {
        const ServiceEndpoints service {Text(host)};
        SearchReport report;
        const std::vector<SongRecord> rows = runSearch(service, query, {}, {}, {}, &report);
        EXPECT_TRUE(report.answered);
        EXPECT_EQ(report.status, 200);
        EXPECT_TRUE(report.searchDocument);
        const auto song
            = std::find_if(rows.begin(), rows.end(), [](const SongRecord& row) { return row.songId == "9900001"; });
        ASSERT_NE(song, rows.end());
        EXPECT_EQ(song->lyricUrl, Text("http://" + host + lyricPath));

        const Text stored = platform::fromNativePath(m_dir.file("song.lrc"));
        EXPECT_TRUE(fetchLyrics(lyricUrl, stored));
        const std::string expected = m_reference.get(lyricPath).body;
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(test::readWholeFile(m_dir.file("song.lrc")), expected);

        const std::optional<ResolvedLink> link = resolveLink(service, "9900001");
        ASSERT_TRUE(link);
        EXPECT_TRUE(text::contains(link->url.view(), "/data2/music/9900001/9900001.flac")) << link->url.str();
        EXPECT_GT(link->size, 0);
    }

    const Text query = encoding::fromUtf8("夜色");
    test::ReferenceServer m_reference;
    test::TempDir m_root;
    test::TempDir m_dir;
};

TEST_F(WorldService, PythonServerWithAProxyHeaderAndALargeHeaderBlock)
{
    SKIP_WITHOUT(PythonHttpServer);
    PythonHttpServer python(m_root.path(), {"--header", "Via: HTTP/1.1 proxy", "--big-headers", "6000"});
    mirror(python.baseUrl());
    expectTheSongFrom(python.host(), Text(python.baseUrl() + lyricPath));
}

TEST_F(WorldService, NginxWithTheLyricFromItsGzipLocation)
{
    SKIP_WITHOUT(NginxServer);
    NginxServer nginx(m_root.path(), NginxServer::Options {true});
    mirror(nginx.baseUrl() + "/gz");
    expectTheSongFrom(nginx.host(), Text(nginx.baseUrl() + "/gz" + lyricPath));
}

TEST_F(WorldService, EndlessSearchReplyEndsAtTheCap)
{
    SKIP_WITHOUT(PythonHttpServer);
    PythonHttpServer python(m_root.path(), {"--endless"});
    mirror(python.baseUrl());
    SearchReport report;
    const std::vector<SongRecord> rows = runSearch(ServiceEndpoints(Text(python.host())), query, {}, {}, {}, &report);
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(report.answered);
    EXPECT_FALSE(report.searchDocument);
    EXPECT_EQ(report.error, net::HttpError::TooLarge);
}

}  // namespace
}  // namespace quorvo::service
