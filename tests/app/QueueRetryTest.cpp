// The window's queue as AppServices builds it retries a transfer that the
// network broke, as often as config.ini's `retries` says; an attempt that
// moved bytes does not count.

#include "app/AppServices.h"

#include "ReferenceServer.h"
#include "SongCache.h"
#include "TempDir.h"
#include "download/DownloadStatus.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quorvo::app {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr const char* songPath = "/data2/music/9900001/9900001.flac";

// Downloads the song with `retries` in config.ini; returns the row's status.
Text downloadWithRetries(const test::ReferenceServer& server, const test::TempDir& dir, const char* retries)
{
    const platform::ConfigStore config(platform::fromNativePath(dir.file("config.ini")));
    config.write("path", platform::fromNativePath(dir.path().string()) + "/");
    config.write("lrc", "0");
    config.write("retries", retries);
    AppServicesOptions options;
    options.firstRetryPause = 1ms;
    AppServices services(config, service::ServiceEndpoints(Text(server.host())), options);
    const service::SongRecord song {"Title", "Album", "Artist", "flac", "9900001", ""};
    services.queue().addTickedSongs(std::span(&song, 1));
    EXPECT_TRUE(services.queue().waitUntilIdle(120s));
    return download::statusText(services.queue().list().rows().at(0).state);
}

// Every reply is cut after 300,000 bytes: the song (about 0.9 MB) takes four
// attempts, each resuming the last, and a single retry is enough for them all.
TEST(QueueRetries, AttemptsThatMovedBytesDoNotUseUpTheRetriesOfConfigIni)
{
    const test::TempDir dir;
    const test::ReferenceServer server({"--fault-drop-after", "300000", "--fault-on", "files"});
    const std::string expected = test::readWholeFile(test::cachedSongFile(server, "9900001", "flac"));
    ASSERT_GT(expected.size(), 3u * 300000u);

    // No retries: the first cut ends the row, as it always did.
    EXPECT_EQ(downloadWithRetries(server, dir, "0"), Text(download::status::stopped));
    EXPECT_EQ(server.requestsTo(songPath).size(), 1u);

    server.clearRequestLog();
    EXPECT_EQ(downloadWithRetries(server, dir, "1"), Text(download::status::completed));
    EXPECT_TRUE(test::readWholeFile(dir.file("Artist - Title.flac")) == expected);
    EXPECT_FALSE(fs::exists(dir.file("Artist - Title.flac.tmp")));
    const std::vector<test::RequestLogEntry> requests = server.requestsTo(songPath);
    ASSERT_GE(requests.size(), 3u);
    for (const test::RequestLogEntry& request : requests)
        EXPECT_EQ(request.status, 206) << "every attempt resumes the partial file";
}

}  // namespace
}  // namespace quorvo::app
