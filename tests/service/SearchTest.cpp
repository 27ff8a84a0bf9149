// The search, the link reply and the lyric file against the reference service.

#include "service/Search.h"

#include "LoopbackServer.h"
#include "ReferenceServer.h"
#include "TempDir.h"
#include "platform/Files.h"
#include "runtime/Encoding.h"
#include "service/FileNames.h"
#include "service/LinkResolver.h"
#include "service/Lyrics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace quorvo::service {
namespace {

Text gbk(const char* utf8)
{
    return encoding::fromUtf8(utf8);
}

const SongRecord* findSong(const std::vector<SongRecord>& rows, const char* songId)
{
    const auto found
        = std::find_if(rows.begin(), rows.end(), [&](const SongRecord& row) { return row.songId == songId; });
    return found == rows.end() ? nullptr : &*found;
}

class SearchTest : public ::testing::Test {
protected:
    ServiceEndpoints service() const { return ServiceEndpoints(Text(m_server.host())); }
    SearchFilter noBypass() const { return SearchFilter {}; }

    test::ReferenceServer m_server;
    test::TempDir m_dir;
};

TEST_F(SearchTest, ChineseQueryFindsTheSongAndFillsEveryCell)
{
    const std::vector<SongRecord> rows = runSearch(service(), gbk("夜色温柔"), noBypass());
    const SongRecord* song = findSong(rows, "9900001");
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(song->title, gbk("夜色温柔"));
    EXPECT_EQ(song->artist, gbk("林晓风"));
    EXPECT_EQ(song->album, gbk("城市微光"));
    EXPECT_EQ(song->quality, "flac");
    EXPECT_TRUE(text::startsWith(song->lyricUrl.view(), ("http://" + m_server.host() + "/").c_str()));
}

TEST_F(SearchTest, RequestCarriesTheQueryAsPercentEncodedGbkAndTheProductUserAgent)
{
    runSearch(service(), gbk("夜色"), noBypass());
    const auto requests = m_server.requestsTo("/v1/restserver/vesk");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].target.find("query=%D2%B9%C9%AB&"), std::string::npos) << requests[0].target;
    EXPECT_EQ(requests[0].header("User-Agent"), std::string(serviceUserAgent));
}

TEST_F(SearchTest, AmpersandInTheQueryStaysPartOfTheQuery)
{
    const std::vector<SongRecord> rows = runSearch(service(), "Salt & Pepper", noBypass());
    ASSERT_NE(findSong(rows, "9900005"), nullptr);
    const auto requests = m_server.requestsTo("/v1/restserver/vesk");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].target.find("query=Salt%20%26%20Pepper&page_size=60"), std::string::npos);
}

TEST_F(SearchTest, HighlightMarkupAndEscapedAmpersandsAreCleaned)
{
    const std::vector<SongRecord> rows = runSearch(service(), "Pepper", noBypass());
    const SongRecord* song = findSong(rows, "9900005");
    ASSERT_NE(song, nullptr);
    EXPECT_EQ(song->title, "Salt & Pepper");
    EXPECT_EQ(song->artist, "Rain & Thunder");
}

TEST_F(SearchTest, QualityIsTheLastRateAndSongsWithoutRatesGetNoRow)
{
    const std::vector<SongRecord> rows = runSearch(service(), "Rate Tester", noBypass());
    ASSERT_NE(findSong(rows, "9900011"), nullptr);
    EXPECT_EQ(findSong(rows, "9900011")->quality, "FLAC");
    EXPECT_EQ(findSong(rows, "9900012")->quality, "320");
    EXPECT_EQ(findSong(rows, "9900014")->quality, "128");
    EXPECT_EQ(findSong(rows, "9900017")->quality, "320");  // "128,,320"
    EXPECT_EQ(findSong(rows, "9900018")->quality, "192");  // "128,192,": trailing piece dropped
    EXPECT_EQ(findSong(rows, "9900015"), nullptr);         // empty
    EXPECT_EQ(findSong(rows, "9900016"), nullptr);         // missing
}

TEST_F(SearchTest, BypassLeavesOutSongsOnDiskAndQueuedOnesButProgressCountsThemAll)
{
    const Text saveDirectory = platform::fromNativePath(m_dir.path().string()) + "/";
    // Scheme 0: artist - title; the FLAC one exists on disk.
    test::writeWholeFile(m_dir.file("Rate Tester - Rate Flac Lower.flac"), "x");
    // An MP3 song's name with ".flac" does not count.
    test::writeWholeFile(m_dir.file("Rate Tester - Rate Three Twenty.flac"), "x");

    SearchFilter filter = noBypass();
    filter.bypass = true;
    filter.naming = SongNaming(NamingScheme::ArtistTitle, saveDirectory);
    filter.isQueued = [](const Text& name) { return name == "Rate Tester - Rate Only Flac"; };
    int64_t lastDone = 0;
    int64_t lastCount = -1;
    const std::vector<SongRecord> rows = runSearch(service(), "Rate Tester", filter, [&](int64_t done, int64_t count) {
        lastDone = done;
        lastCount = count;
    });
    EXPECT_EQ(findSong(rows, "9900010"), nullptr);
    EXPECT_EQ(findSong(rows, "9900013"), nullptr);
    EXPECT_NE(findSong(rows, "9900012"), nullptr);
    EXPECT_NE(findSong(rows, "9900011"), nullptr);
    EXPECT_EQ(lastDone, lastCount);
    EXPECT_GT(lastCount, static_cast<int64_t>(rows.size()));
    EXPECT_EQ(searchProgressWidth(lastDone, lastCount), 394);
}

TEST_F(SearchTest, EmptyQuerySendsNothing)
{
    EXPECT_TRUE(runSearch(service(), "", noBypass()).empty());
    EXPECT_TRUE(m_server.requestsTo("/v1/restserver/vesk").empty());
}

TEST(SearchFailure, DeadServiceGivesNoRows)
{
    EXPECT_TRUE(runSearch(ServiceEndpoints("127.0.0.1:1"), "x", SearchFilter {}).empty());
}

TEST(SearchFailure, ErrorPageGivesNoRows)
{
    test::ReferenceServer server({"--fault-status", "500", "--fault-on", "search"});
    EXPECT_TRUE(runSearch(ServiceEndpoints(Text(server.host())), "Fault", SearchFilter {}).empty());
}

TEST(SearchGate, SameQueryTwiceStartsOneSearchAndOneCharacterMoreStartsAnother)
{
    SearchGate gate;
    EXPECT_TRUE(gate.startSearch("abc"));
    EXPECT_FALSE(gate.startSearch("abc"));
    EXPECT_TRUE(gate.startSearch("abcd"));
    EXPECT_EQ(gate.lastQuery(), "abcd");
    // Emptying the box is a new query too (the list is then cleared).
    EXPECT_TRUE(gate.startSearch(""));
}

TEST(SearchProgressWidth, TruncatesTowardZero)
{
    EXPECT_EQ(searchProgressWidth(1, 3), 131);
    EXPECT_EQ(searchProgressWidth(3, 3), 394);
    EXPECT_EQ(searchProgressWidth(0, 0), 0);
}

// ---- links ----

TEST_F(SearchTest, LinkReplyGivesTheSongFileAddressAndSize)
{
    const std::optional<ResolvedLink> link = resolveLink(service(), "9900001");
    ASSERT_TRUE(link);
    EXPECT_TRUE(text::startsWith(link->url.view(), "http://" + m_server.host() + "/data2/music/9900001/9900001.flac"))
        << link->url.str();
    const test::RawResponse file = m_server.get("/data2/music/9900001/9900001.flac");
    EXPECT_EQ(link->size, static_cast<double>(file.body.size()));
    const auto requests = m_server.requestsTo("/app/link/getLinks.php");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target,
              "/app/link/getLinks.php?songId=9900001&linkType=1&isLogin=1&clientVer=8.0.0.5&isHq=0&isCloud=0&hasMV=1");
}

TEST_F(SearchTest, LinkReplyThatIsNotJsonFails)
{
    EXPECT_FALSE(resolveLink(service(), "9900021"));
}

TEST_F(SearchTest, LinkReplyWithoutTheExpectedMembersResolvesToAnEmptyUrl)
{
    for (const char* id : {"9900022", "9900023", "9900024"}) {
        const std::optional<ResolvedLink> link = resolveLink(service(), id);
        ASSERT_TRUE(link) << id;
        EXPECT_EQ(link->url, "") << id;
        EXPECT_EQ(link->size, 0) << id;
    }
}

TEST(LinkReply, ReadsElementZeroOfFileListOfElementZero)
{
    const auto link = readLinkReply(R"([{"file_list":[{"url":"u1","size":2048},{"url":"u2"}]}])");
    ASSERT_TRUE(link);
    EXPECT_EQ(link->url, "u1");
    EXPECT_EQ(link->size, 2048);
    EXPECT_FALSE(readLinkReply(""));
    EXPECT_FALSE(readLinkReply("null"));
    EXPECT_FALSE(readLinkReply("<html>"));
    EXPECT_EQ(readLinkReply(R"({"file_list":[{"url":"u1"}]})")->url, "");
}

// ---- lyrics ----

TEST_F(SearchTest, LyricFileIsStoredAsReceivedInUtf8)
{
    const std::vector<SongRecord> rows = runSearch(service(), gbk("夜色温柔"), noBypass());
    const SongRecord* song = findSong(rows, "9900001");
    ASSERT_NE(song, nullptr);
    const Text path = platform::fromNativePath(m_dir.file("song.lrc"));
    test::writeWholeFile(m_dir.file("song.lrc"), "an older lyric file that is longer than nothing");
    EXPECT_TRUE(fetchLyrics(song->lyricUrl, path));

    const std::string lrclink(song->lyricUrl.view().substr(("http://" + m_server.host()).size()));
    const test::RawResponse reply = m_server.get(lrclink);
    ASSERT_EQ(reply.status, 200);
    const std::string stored = test::readWholeFile(m_dir.file("song.lrc"));
    EXPECT_EQ(stored, reply.body);
    EXPECT_TRUE(encoding::isValidUtf8(stored));
    EXPECT_NE(stored.find('['), std::string::npos);
}

// A song without a lyric link has nothing to fetch: the service's root page
// is not its lyrics, and no request goes out.
TEST_F(SearchTest, SongWithoutALyricLinkFetchesNothing)
{
    const std::vector<SongRecord> rows = runSearch(service(), "Wordless", noBypass());
    const SongRecord* song = findSong(rows, "9900020");
    ASSERT_NE(song, nullptr);
    m_server.clearRequestLog();
    fetchLyrics(song->lyricUrl, platform::fromNativePath(m_dir.file("none.lrc")));
    EXPECT_TRUE(m_server.requestsTo("/").empty());
    EXPECT_EQ(test::readWholeFile(m_dir.file("none.lrc")), "");
}

TEST_F(SearchTest, FailedLyricFetchWritesAnEmptyFileButNeverEmptiesAGoodOne)
{
    EXPECT_TRUE(fetchLyrics("http://127.0.0.1:1/x.lrc", platform::fromNativePath(m_dir.file("dead.lrc"))));
    EXPECT_TRUE(std::filesystem::exists(m_dir.file("dead.lrc")));
    EXPECT_EQ(test::readWholeFile(m_dir.file("dead.lrc")), "");

    test::writeWholeFile(m_dir.file("good.lrc"), "[00:01.00]an earlier run's lyrics");
    fetchLyrics("http://127.0.0.1:1/x.lrc", platform::fromNativePath(m_dir.file("good.lrc")));
    fetchLyrics(Text("http://" + m_server.host() + "/data2/lrc/9900052/9900052.lrc"),
                platform::fromNativePath(m_dir.file("good.lrc")));
    EXPECT_EQ(test::readWholeFile(m_dir.file("good.lrc")), "[00:01.00]an earlier run's lyrics");
}

// A process killed between writing a lyric file and renaming it leaves a
// temporary beside it; the next write of that file clears it away, and
// nothing a person named.
TEST_F(SearchTest, StaleLyricTemporaryIsClearedByTheNextWrite)
{
    const std::vector<SongRecord> rows = runSearch(service(), gbk("夜色温柔"), noBypass());
    const SongRecord* song = findSong(rows, "9900001");
    ASSERT_NE(song, nullptr);
    test::writeWholeFile(m_dir.file(".song.lrc.quorvo-write-Ab3xYz"), "half a lyric");
    test::writeWholeFile(m_dir.file(".other.lrc.quorvo-write-Ab3xYz"), "someone else's");
    test::writeWholeFile(m_dir.file("song.lrc.backup"), "the user's own copy");
    test::writeWholeFile(m_dir.file("song.lrc.Ab3xYz"), "the user's too");
    EXPECT_TRUE(fetchLyrics(song->lyricUrl, platform::fromNativePath(m_dir.file("song.lrc"))));
    EXPECT_FALSE(std::filesystem::exists(m_dir.file(".song.lrc.quorvo-write-Ab3xYz")));
    EXPECT_TRUE(std::filesystem::exists(m_dir.file(".other.lrc.quorvo-write-Ab3xYz")));
    EXPECT_EQ(test::readWholeFile(m_dir.file("song.lrc.backup")), "the user's own copy");
    EXPECT_TRUE(std::filesystem::exists(m_dir.file("song.lrc.Ab3xYz")));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir.path()))
        ++entries;
    EXPECT_EQ(entries, 4u);
}

// A link reply is a few hundred bytes and a lyric file a few kilobytes; a
// reply far beyond that is refused before it can take the memory.
TEST(BoundedReplies, OversizedLinkReplyAndLyricFileAreRefused)
{
    const std::string pad(3 * 1024 * 1024, ' ');
    const std::string link = R"([{"file_list":[{"url":"http://127.0.0.1/big.flac","size":1}]})" + pad + "]";
    const std::string lyric = "[00:01.00]" + std::string(5 * 1024 * 1024, 'l');
    test::LoopbackServer server([&](test::LoopbackServer&, int socket, const std::string& request) {
        const bool isLink = request.find("GET /app/link/") == 0;
        test::LoopbackServer::send(socket, test::LoopbackServer::reply(isLink ? link : lyric));
    });
    const ServiceEndpoints endpoints(Text("127.0.0.1:" + std::to_string(server.port())));
    const std::optional<ResolvedLink> resolved = resolveLink(endpoints, "1");
    EXPECT_TRUE(!resolved || resolved->url.empty());

    test::TempDir dir;
    fetchLyrics(Text(server.url("/a.lrc")), platform::fromNativePath(dir.file("a.lrc")));
    EXPECT_EQ(test::readWholeFile(dir.file("a.lrc")), "");
}

}  // namespace
}  // namespace quorvo::service
