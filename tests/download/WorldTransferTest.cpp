// transferFile against servers we did not write: nginx (ranges, ETags, gzip
// under /gz/) and Python's http.server with its fault flags (gzip that ignores
// ranges, an empty 200 or a 204 to a range, a reply that hangs).

#include "download/Transfer.h"

#include "TempDir.h"
#include "WorldServers.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/xattr.h>

namespace quorvo::download {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

#define SKIP_WITHOUT(Server)                                                                                           \
    if (const auto reason = test::Server::unavailableReason())                                                         \
    GTEST_SKIP() << *reason

constexpr const char* songPath = "/data2/music/7/7.mp3";

// Compressible, and no stretch of it repeats within a range's proof.
std::string songBytes()
{
    std::string bytes;
    for (int i = 0; bytes.size() < 300000; ++i)
        bytes += "frame " + std::to_string(i) + " of the song;";
    return bytes.substr(0, 300000);
}

class WorldTransferTest : public ::testing::Test {
protected:
    WorldTransferTest()
    {
        fs::create_directories(m_root.path() / "data2/music/7");
        test::writeWholeFile(m_root.path() / "data2/music/7/7.mp3", m_song);
    }
    Text target() const { return platform::fromNativePath(m_dir.file("s.mp3")); }
    std::string partial() const { return test::readWholeFile(m_dir.file("s.mp3.tmp")); }
    bool exists(const char* name) const { return fs::exists(m_dir.file(name)); }
    TransferResult get(const std::string& url, TransferReply* reply = nullptr, int64_t expectedSize = 0)
    {
        return transferFile(Text(url), target(), {}, 0, m_abortFlag, m_settings, {Text("7"), expectedSize}, reply);
    }

    const std::string m_song = songBytes();
    test::TempDir m_root;
    test::TempDir m_dir;
    AbortFlag m_abortFlag;
    TransferSettings m_settings {5000ms, 2s};
};

// What the server gzips is stored as the song, never as its gzip, and the
// link's size is the size of the song.
TEST_F(WorldTransferTest, GzippedReplyIsStoredDecodedOnNginxAndPython)
{
    SKIP_WITHOUT(NginxServer);
    SKIP_WITHOUT(PythonHttpServer);
    test::NginxServer nginx(m_root.path());
    test::PythonHttpServer python(m_root.path(), {"--gzip"});
    for (const std::string& url : {nginx.baseUrl() + "/gz" + songPath, python.baseUrl() + songPath}) {
        for (const int64_t size : {int64_t {0}, static_cast<int64_t>(m_song.size())}) {
            fs::remove(m_dir.file("s.mp3"));
            TransferReply reply;
            ASSERT_EQ(get(url, &reply, size), TransferResult::Completed)
                << url << " " << size << ": " << describe(reply.failure).str() << " (" << reply.status << ")";
            EXPECT_TRUE(test::readWholeFile(m_dir.file("s.mp3")) == m_song) << url;
        }
    }
    // Both replies really were encoded, and the request offered gzip as always.
    const auto logged = nginx.waitForRequests(2);
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged[0].header("Accept-Encoding").value_or(""), "gzip, deflate");
    EXPECT_LT(logged[0].bodyBytes, m_song.size() / 2);
    const auto pythonLogged = python.requests();
    ASSERT_FALSE(pythonLogged.empty());
    EXPECT_LT(pythonLogged[0].bodyBytes, m_song.size() / 2);
}

// A gzip reply that hangs half way leaves decoded bytes; the resume asks for
// the rest unencoded and appends exactly what follows them.
TEST_F(WorldTransferTest, ResumeAfterAGzippedReplyHungAsksForIdentityAndEndsByteIdentical)
{
    SKIP_WITHOUT(PythonHttpServer);
    {
        test::PythonHttpServer hanging(m_root.path(), {"--gzip", "--stall-after", "2000"});
        EXPECT_EQ(get(hanging.baseUrl() + songPath), TransferResult::Failed);
    }
    const std::string held = partial();
    ASSERT_FALSE(held.empty());
    ASSERT_TRUE(m_song.starts_with(held)) << held.size() << " bytes held are not the song's head";

    test::PythonHttpServer python(m_root.path(), {"--gzip"});
    TransferReply reply;
    ASSERT_EQ(get(python.baseUrl() + songPath, &reply), TransferResult::Completed)
        << describe(reply.failure).str() << " (" << reply.status << ")";
    EXPECT_TRUE(test::readWholeFile(m_dir.file("s.mp3")) == m_song);
    const auto logged = python.requests();
    ASSERT_EQ(logged.size(), 1U);
    EXPECT_EQ(logged[0].header("Range").value_or(""), "bytes=" + std::to_string(held.size()) + "-");
    EXPECT_EQ(logged[0].header("Accept-Encoding").value_or(""), "identity");
    EXPECT_EQ(logged[0].status, 206);
}

// An empty 200 or a 204 to a range: the partial file keeps every byte, and
// no empty song is reported finished.
TEST_F(WorldTransferTest, EmptyAnswersToARangeNeitherCutNorFinish)
{
    SKIP_WITHOUT(PythonHttpServer);
    for (const char* flag : {"--range-empty", "--range-204"}) {
        test::PythonHttpServer python(m_root.path(), {flag});
        test::writeWholeFile(m_dir.file("s.mp3.tmp"), m_song.substr(0, 100000));
        TransferReply reply;
        EXPECT_EQ(get(python.baseUrl() + songPath, &reply), TransferResult::Failed) << flag;
        EXPECT_FALSE(exists("s.mp3")) << flag;
        EXPECT_TRUE(partial() == m_song.substr(0, 100000)) << flag << ": " << partial().size() << " bytes";
        EXPECT_FALSE(reply.failure.empty()) << flag;
    }
}

// nginx's ranges and ETags: a partial file of this song resumes with one
// ranged request; one whose stored ETag is not the server's starts over.
TEST_F(WorldTransferTest, NginxRangesResumeAndAnotherETagStartsOver)
{
    SKIP_WITHOUT(NginxServer);
    test::NginxServer nginx(m_root.path());
    const std::string url = nginx.baseUrl() + songPath;
    const auto stored = [this](const char* etag) {
        test::writeWholeFile(m_dir.file("s.mp3.tmp"), m_song.substr(0, 120000));
        ::setxattr(m_dir.file("s.mp3.tmp").c_str(), "user.quorvo.song", "7", 1, 0);
        ::setxattr(m_dir.file("s.mp3.tmp").c_str(), "user.quorvo.etag", etag, std::strlen(etag), 0);
    };
    // The server's own ETag, from a first whole download.
    ASSERT_EQ(get(url), TransferResult::Completed);
    char etag[128] = {};
    {
        const auto first = nginx.waitForRequests(1);
        ASSERT_EQ(first.size(), 1U);
    }
    const test::RawResponse head = test::getFrom(nginx.port(), songPath);
    const std::string serverTag = head.header("ETag").value_or("");
    ASSERT_FALSE(serverTag.empty());
    std::snprintf(etag, sizeof etag, "%s", serverTag.c_str());

    stored(etag);
    ASSERT_EQ(get(url), TransferResult::Completed);
    EXPECT_TRUE(test::readWholeFile(m_dir.file("s.mp3")) == m_song);
    auto logged = nginx.waitForRequests(3);
    ASSERT_EQ(logged.size(), 3U);
    EXPECT_EQ(logged[2].header("Range").value_or(""), "bytes=120000-");
    EXPECT_EQ(logged[2].status, 206);

    stored("\"another\"");
    ASSERT_EQ(get(url), TransferResult::Completed);
    EXPECT_TRUE(test::readWholeFile(m_dir.file("s.mp3")) == m_song);
    logged = nginx.waitForRequests(5);
    ASSERT_EQ(logged.size(), 5U);
    EXPECT_EQ(logged[3].status, 206);
    EXPECT_FALSE(logged[4].header("Range"));
    EXPECT_EQ(logged[4].status, 200);
}

// A song dripped at 20 bytes a second is given up, not waited on for days.
TEST_F(WorldTransferTest, PythonDripIsGivenUp)
{
    SKIP_WITHOUT(PythonHttpServer);
    test::PythonHttpServer python(m_root.path(), {"--drip", "20"});
    TransferReply reply;
    EXPECT_EQ(get(python.baseUrl() + songPath, &reply), TransferResult::Failed);
    EXPECT_EQ(reply.failure.kind, FailureKind::ServerStopped);
    EXPECT_FALSE(exists("s.mp3"));
}

}  // namespace
}  // namespace quorvo::download
