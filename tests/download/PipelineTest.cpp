// The whole road of a song without a window: search, add, lyrics, link,
// transfer, statuses, against the reference service.

#include "download/DownloadQueue.h"
#include "download/ServiceSongFetcher.h"

#include "LoopbackServer.h"
#include "ReferenceServer.h"
#include "SongCache.h"
#include "TempDir.h"
#include "ToolRun.h"
#include "platform/Files.h"
#include "runtime/Encoding.h"
#include "service/FileNames.h"
#include "service/Search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <future>
#include <span>
#include <thread>
#include <tuple>

namespace quorvo::download {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class PipelineTest : public ::testing::Test {
protected:
    PipelineTest()
    {
        m_config.write("path", platform::fromNativePath(m_dir.path().string()) + "/");
        m_config.write("sType", "0");
        m_config.write("lrc", "1");
        m_config.write("wav", "1");
        m_config.write("bypass", "1");
        m_config.write("speed", "0");
    }

    std::vector<service::SongRecord> search(const char* utf8Query)
    {
        service::SearchFilter filter;
        filter.bypass = true;
        filter.naming = m_settings.naming();
        filter.isQueued = [this](const Text& name) { return m_queue.list().containsName(name); };
        return service::runSearch(m_service, encoding::fromUtf8(utf8Query), filter);
    }
    std::vector<service::SongRecord> only(const std::vector<service::SongRecord>& rows,
                                          std::initializer_list<const char*> ids)
    {
        std::vector<service::SongRecord> picked;
        for (const char* id : ids) {
            const auto found = std::find_if(rows.begin(), rows.end(),
                                            [&](const service::SongRecord& row) { return row.songId == id; });
            EXPECT_NE(found, rows.end()) << id;
            if (found != rows.end())
                picked.push_back(*found);
        }
        return picked;
    }
    std::string serverFile(const std::string& id, const char* extension)
    {
        return m_server.get("/data2/music/" + id + "/" + id + "." + extension).body;
    }
    std::vector<Text> statusesOf(const std::vector<QueueEvent>& events, uint64_t taskId) const
    {
        std::vector<Text> statuses;
        for (const QueueEvent& event : events) {
            if (const auto* appended = std::get_if<RowAppended>(&event); appended && appended->task.id == taskId)
                statuses.push_back(statusText(appended->task.state));
            if (const auto* changed = std::get_if<RowStateChanged>(&event); changed && changed->taskId == taskId)
                statuses.push_back(statusText(changed->state));
        }
        return statuses;
    }
    DownloadTask row(std::size_t index) const { return m_queue.list().rows().at(index); }

    test::TempDir m_dir;
    test::ReferenceServer m_server;
    service::ServiceEndpoints m_service {Text(m_server.host())};
    platform::ConfigStore m_config {platform::fromNativePath(m_dir.file("config.ini"))};
    ConfigDownloadSettings m_settings {m_config};
    QueueMailbox m_mailbox;
    ServiceSongFetcher m_fetcher {m_service, TransferSettings {5000ms, 10s}};
    DownloadQueue m_queue {m_fetcher, m_settings, &m_mailbox};
};

TEST_F(PipelineTest, ChineseSearchAddAndDownloadWritesSongAndLyricsByteIdentical)
{
    const std::vector<service::SongRecord> picked = only(search("夜色温柔"), {"9900001"});
    ASSERT_EQ(picked.size(), 1u);
    const AddOutcome outcome = m_queue.addTickedSongs(picked);
    EXPECT_EQ(outcome.message.colour, (MessageColour {69, 186, 107}));
    ASSERT_TRUE(m_queue.waitUntilIdle(60s));

    const DownloadTask task = row(0);
    const std::string name = encoding::toUtf8(task.name.view());
    EXPECT_EQ(name, "林晓风 - 夜色温柔");
    EXPECT_EQ(statusText(task.state), Text(status::completed));
    const std::string song = serverFile("9900001", "flac");
    EXPECT_EQ(task.size, service::sizeText(static_cast<double>(song.size())));
    EXPECT_EQ(test::readWholeFile(m_dir.file(name + ".flac")), song);
    EXPECT_FALSE(fs::exists(m_dir.file(name + ".flac.tmp")));

    const std::string lyrics = test::readWholeFile(m_dir.file(name + ".lrc"));
    EXPECT_FALSE(lyrics.empty());
    EXPECT_TRUE(encoding::isValidUtf8(lyrics));
    EXPECT_EQ(lyrics, m_server.get("/data2/lrc/9900001/9900001.lrc").body);

    const std::vector<QueueEvent> events = m_mailbox.takeAll();
    const std::vector<Text> statuses = statusesOf(events, task.id);
    ASSERT_GE(statuses.size(), 4u);
    EXPECT_EQ(statuses[0], Text(status::waiting));
    EXPECT_EQ(statuses[1], Text(status::starting));
    for (std::size_t i = 2; i + 1 < statuses.size(); ++i)
        EXPECT_TRUE(text::endsWith(statuses[i].view(), "%")) << i;
    EXPECT_EQ(statuses[statuses.size() - 2], "100%");
    EXPECT_EQ(statuses.back(), Text(status::completed));
    const bool soundRequested = std::any_of(events.begin(), events.end(), [](const QueueEvent& event) {
        const auto* sound = std::get_if<SoundRequested>(&event);
        return sound && sound->sound == CompletionSound::Whirlwind;
    });
    EXPECT_TRUE(soundRequested);

    // With bypass on, the same search now leaves the song out.
    const std::vector<service::SongRecord> again = search("夜色温柔");
    EXPECT_TRUE(
        std::none_of(again.begin(), again.end(), [](const service::SongRecord& r) { return r.songId == "9900001"; }));
}

// "夜色温柔" and its live version build the same file name: a partial file
// the first one left behind must not become the head of the second.
TEST_F(PipelineTest, SameNamePairNeverSplicesOneSongOntoTheOther)
{
    m_config.write("bypass", "0");
    m_config.write("lrc", "0");
    m_config.write("speed", "20");
    const std::vector<service::SongRecord> rows = search("夜色温柔");
    const std::vector<service::SongRecord> studio = only(rows, {"9900001"});
    const std::vector<service::SongRecord> live = only(rows, {"9900065"});
    ASSERT_EQ(studio.size() + live.size(), 2u);
    const std::string name = "林晓风 - 夜色温柔";
    const std::string partial = m_dir.file(name + ".flac.tmp");
    m_queue.addTickedSongs(studio);
    for (int i = 0; i < 2000 && !(fs::exists(partial) && fs::file_size(partial) > 20000); ++i)
        std::this_thread::sleep_for(10ms);
    m_queue.stopWorker(true);
    ASSERT_GT(fs::file_size(partial), 0u);

    m_config.write("speed", "0");
    QueueMailbox mailbox;
    DownloadQueue second {m_fetcher, m_settings, &mailbox};
    second.addTickedSongs(live);
    ASSERT_TRUE(second.waitUntilIdle(60s));
    const std::string finished = m_dir.file(name + ".flac");
    if (statusText(second.list().rows().at(0).state) == Text(status::completed)) {
        EXPECT_TRUE(test::readWholeFile(finished) == serverFile("9900065", "flac"));
    }
    EXPECT_FALSE(fs::exists(finished) && test::readWholeFile(finished) != serverFile("9900065", "flac"));
}

// Two and three workers against the service: every song arrives whole.
class SeveralWorkersTest : public PipelineTest, public ::testing::WithParamInterface<int> { };

TEST_P(SeveralWorkersTest, EverySongArrivesByteIdentical)
{
    m_config.write("jobs", Text(std::to_string(GetParam())));
    std::vector<service::SongRecord> picked = only(search("夜"), {"9900001", "1100005", "1100023", "1100031"});
    const std::vector<service::SongRecord> mp3 = only(search("Paper Lanterns"), {"9900002"});
    picked.insert(picked.end(), mp3.begin(), mp3.end());
    ASSERT_EQ(picked.size(), 5u);
    // The server makes a song's file at its first link request; made here one
    // by one, three at once cannot outlast the link's time limit on a busy machine.
    for (const service::SongRecord& song : picked)
        ASSERT_FALSE(
            test::cachedSongFile(m_server, std::string(song.songId.view()), song.quality == "flac" ? "flac" : "mp3")
                .empty());
    m_queue.addTickedSongs(picked);
    ASSERT_TRUE(m_queue.waitUntilIdle(120s));
    EXPECT_EQ(m_queue.jobCount(), static_cast<std::size_t>(GetParam()));
    const std::vector<DownloadTask> rows = m_queue.list().rows();
    ASSERT_EQ(rows.size(), picked.size());
    for (const DownloadTask& task : rows) {
        const std::string id(task.songId.view());
        EXPECT_EQ(task.state, TaskState {Completed {}}) << id;
        const char* extension = task.quality == "flac" ? "flac" : "mp3";
        EXPECT_TRUE(test::readWholeFile(platform::nativePath(task.paths.song)) == serverFile(id, extension)) << id;
        EXPECT_FALSE(fs::exists(platform::nativePath(task.paths.partial))) << id;
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, SeveralWorkersTest, ::testing::Values(2, 3));

TEST_F(PipelineTest, Mp3SongAndForbiddenCharactersInItsName)
{
    const std::vector<service::SongRecord> picked = only(search("Paper Lanterns"), {"9900002"});
    m_queue.addTickedSongs(picked);
    ASSERT_TRUE(m_queue.waitUntilIdle(60s));
    EXPECT_EQ(statusText(row(0).state), Text(status::completed));
    EXPECT_EQ(test::readWholeFile(m_dir.file("The Velvet Orchard - Paper Lanterns.mp3")), serverFile("9900002", "mp3"));

    const std::vector<service::SongRecord> symbols = only(search("Slash"), {"9900003"});
    m_queue.addTickedSongs(symbols);
    ASSERT_TRUE(m_queue.waitUntilIdle(60s));
    EXPECT_EQ(statusText(row(1).state), Text(status::completed));
    EXPECT_EQ(row(1).name, "SlashDotBand - WhyNot RunAway Now Go Back");
    EXPECT_TRUE(fs::exists(m_dir.file("SlashDotBand - WhyNot RunAway Now Go Back.flac")));
}

// "歌手/专辑/歌曲" with the lyrics inside the file and no lyric file beside
// it: a song and its live version differ only by album, so both are kept.
TEST_F(PipelineTest, ArtistAlbumFoldersWithTheLyricsInsideTheFile)
{
    m_config.write("sType", "3");
    m_config.write("lrc", "0");
    m_config.write("embedLrc", "1");
    const std::vector<service::SongRecord> picked = only(search("夜色温柔"), {"9900001", "9900065"});
    ASSERT_EQ(picked.size(), 2u);
    EXPECT_EQ(m_queue.addTickedSongs(picked).duplicates, 0);
    ASSERT_TRUE(m_queue.waitUntilIdle(60s));

    const fs::path artist = m_dir.path() / "林晓风";
    for (const auto& [index, album, id] : {std::tuple {0, "城市微光", "9900001"}, {1, "城市微光 (Live)", "9900065"}}) {
        const DownloadTask task = row(static_cast<std::size_t>(index));
        EXPECT_EQ(encoding::toUtf8(task.name.view()), std::string("林晓风/") + album + "/夜色温柔");
        EXPECT_EQ(task.state, TaskState {Completed {}}) << encoding::toUtf8(describe(reasonOf(task.state)).view());
        const std::string song = (artist / album / "夜色温柔.flac").string();
        ASSERT_TRUE(fs::exists(song)) << song;
        EXPECT_FALSE(fs::exists(artist / album / "夜色温柔.lrc"));
        EXPECT_FALSE(fs::exists(song + ".tmp"));
        const std::string lyrics = m_server.get(std::string("/data2/lrc/") + id + "/" + id + ".lrc").body;
        ASSERT_FALSE(lyrics.empty());
        const test::ToolRun tags = test::runTool("metaflac --export-tags-to=- " + test::quotedPath(song));
        EXPECT_NE(tags.output.find("LYRICS=" + lyrics), std::string::npos) << tags.output;
        EXPECT_NE(tags.output.find("TITLE=夜色温柔\n"), std::string::npos) << tags.output;
        EXPECT_EQ(test::runTool("flac -t -s " + test::quotedPath(song)).exitCode, 0) << song;
    }

    // Both are on disk under their whole paths: the search leaves them out,
    // and adding one again is a duplicate.
    const std::vector<service::SongRecord> again = search("夜色温柔");
    EXPECT_TRUE(std::none_of(again.begin(), again.end(), [](const service::SongRecord& r) {
        return r.songId == "9900001" || r.songId == "9900065";
    }));
    EXPECT_EQ(m_queue.addTickedSongs(std::span(picked).first(1)).duplicates, 1);
}

TEST_F(PipelineTest, UntickedLyricsBoxWritesNoLyricFile)
{
    m_config.write("lrc", "0");
    m_queue.addTickedSongs(only(search("Paper Lanterns"), {"9900002"}));
    ASSERT_TRUE(m_queue.waitUntilIdle(60s));
    EXPECT_EQ(statusText(row(0).state), Text(status::completed));
    EXPECT_FALSE(fs::exists(m_dir.file("The Velvet Orchard - Paper Lanterns.lrc")));
    for (const test::RequestLogEntry& request : m_server.requestLog())
        EXPECT_FALSE(request.path().starts_with("/data2/lrc/")) << request.target;
}

TEST_F(PipelineTest, LinkRepliesDecideBetweenFailedAndStopped)
{
    // Not JSON: failed for good, red, and the next row starts at once.
    m_queue.addTickedSongs(only(search("Broken Link"), {"9900021", "9900022"}));
    ASSERT_TRUE(m_queue.waitUntilIdle(60s));
    EXPECT_EQ(statusText(row(0).state), Text(status::failed));
    EXPECT_TRUE(std::holds_alternative<Failed>(row(0).state));
    // JSON without a file address: the transfer fails and the worker stops.
    EXPECT_EQ(statusText(row(1).state), Text(status::stopped));
    EXPECT_FALSE(std::holds_alternative<Failed>(row(1).state));
    // The queue is idle again, so it can be started (and stops at the same row).
    EXPECT_TRUE(m_queue.startWorker());
    ASSERT_TRUE(m_queue.waitUntilIdle(60s));
    EXPECT_EQ(statusText(row(1).state), Text(status::stopped));
}

TEST_F(PipelineTest, DuplicateNamesUnderTheTitleOnlyScheme)
{
    m_config.write("sType", "2");
    const std::vector<service::SongRecord> twins = only(search("Twin Title"), {"9900006", "9900007"});
    const AddOutcome outcome = m_queue.addTickedSongs(twins);
    EXPECT_EQ(outcome.duplicates, 1);
    EXPECT_EQ(outcome.message.colour, (MessageColour {74, 131, 163}));
    ASSERT_TRUE(m_queue.waitUntilIdle(60s));
    EXPECT_EQ(m_queue.list().size(), 1u);
}

TEST_F(PipelineTest, PauseLeavesThePartialFileAndStartResumesItWithOneRangeRequest)
{
    m_config.write("speed", "20");
    m_queue.addTickedSongs(only(search("Paper Lanterns"), {"9900002"}));
    const std::string partial = m_dir.file("The Velvet Orchard - Paper Lanterns.mp3.tmp");
    // Wait for a few reports' worth of bytes.
    for (int i = 0; i < 1000 && !(fs::exists(partial) && fs::file_size(partial) > 20000); ++i)
        std::this_thread::sleep_for(10ms);
    m_queue.requestPause();
    ASSERT_TRUE(m_queue.waitUntilIdle(60s));
    EXPECT_EQ(statusText(row(0).state), Text(status::stopped));
    ASSERT_TRUE(fs::exists(partial));
    const auto kept = fs::file_size(partial);

    m_server.clearRequestLog();
    m_config.write("speed", "0");
    EXPECT_TRUE(m_queue.startWorker());
    ASSERT_TRUE(m_queue.waitUntilIdle(60s));
    EXPECT_EQ(statusText(row(0).state), Text(status::completed));
    const auto requests = m_server.requestsTo("/data2/music/9900002/9900002.mp3");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("Range"), "bytes=" + std::to_string(kept) + "-");
    EXPECT_EQ(test::readWholeFile(m_dir.file("The Velvet Orchard - Paper Lanterns.mp3")), serverFile("9900002", "mp3"));
}

TEST_F(PipelineTest, ErrorStatusesStopTheRowWithoutTouchingTheSongFile)
{
    m_queue.addTickedSongs(only(search("Fault Status"), {"9900044"}));
    ASSERT_TRUE(m_queue.waitUntilIdle(60s));
    EXPECT_EQ(statusText(row(0).state), Text(status::stopped));
    EXPECT_FALSE(fs::exists(m_dir.file("Fault Tester - Fault Status500.flac")));
    EXPECT_FALSE(fs::exists(m_dir.file("Fault Tester - Fault Status500.flac.tmp")));
}

}  // namespace
}  // namespace quorvo::download

namespace quorvo::download {
namespace {

// Every fault song of the catalogue through the whole worker: the row ends in
// the specified status, nothing hangs, and no song file is ever written with
// anything but the server's exact bytes.
struct FaultCase {
    const char* songId;
    const char* query;
    std::string_view status;
    const char* extension;
};

void PrintTo(const FaultCase& fault, std::ostream* out)
{
    *out << fault.songId;
}

class FaultSongTest : public PipelineTest, public ::testing::WithParamInterface<FaultCase> { };

TEST_P(FaultSongTest, RowEndsInItsStatusAndNoSongFileIsCorrupted)
{
    const FaultCase& fault = GetParam();
    const std::vector<service::SongRecord> picked = only(search(fault.query), {fault.songId});
    ASSERT_EQ(picked.size(), 1u);
    m_queue.addTickedSongs(picked);
    ASSERT_TRUE(m_queue.waitUntilIdle(60s));
    const DownloadTask task = row(0);
    EXPECT_EQ(statusText(task.state), Text(fault.status));
    EXPECT_EQ(std::holds_alternative<Failed>(task.state), fault.status == status::failed);

    const std::string name = encoding::toUtf8(task.name.view());
    const std::string song = m_dir.file(name + fault.extension);
    const std::string expected = test::readWholeFile(test::cachedSongFile(m_server, fault.songId, fault.extension + 1));
    if (fault.status == status::completed) {
        EXPECT_EQ(test::readWholeFile(song), expected);
    } else {
        EXPECT_FALSE(fs::exists(song));
        // Whatever reached the partial file is the start of the song, never an error page.
        if (fs::exists(song + ".tmp")) {
            const std::string partial = test::readWholeFile(song + ".tmp");
            EXPECT_EQ(partial, expected.substr(0, partial.size()));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, FaultSongTest,
                         ::testing::Values(FaultCase {"9900040", "Fault Delay", status::completed, ".flac"},
                                           FaultCase {"9900042", "Fault Drop", status::stopped, ".flac"},
                                           FaultCase {"9900043", "IgnoreRange", status::completed, ".flac"},
                                           FaultCase {"9900044", "Status500", status::stopped, ".flac"},
                                           FaultCase {"9900045", "Status404", status::stopped, ".flac"},
                                           FaultCase {"9900046", "Fault Redirect", status::completed, ".flac"},
                                           FaultCase {"9900047", "Fault Chunked", status::stopped, ".flac"},
                                           FaultCase {"9900048", "Fault Cookie", status::completed, ".flac"},
                                           FaultCase {"9900049", "FtpRedirect", status::stopped, ".flac"},
                                           FaultCase {"9900050", "LinkDelay", status::completed, ".flac"},
                                           FaultCase {"9900051", "LinkStatus", status::failed, ".flac"},
                                           FaultCase {"9900052", "LyricMissing", status::completed, ".flac"},
                                           FaultCase {"9900053", "Mp3Drop", status::stopped, ".mp3"}),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             return std::string(info.param.songId);
                         });

TEST_F(PipelineTest, MissingLyricFileLeavesAnEmptyLrcNotAnErrorPage)
{
    m_queue.addTickedSongs(only(search("LyricMissing"), {"9900052"}));
    ASSERT_TRUE(m_queue.waitUntilIdle(60s));
    EXPECT_EQ(test::readWholeFile(m_dir.file("Fault Tester - Fault LyricMissing.lrc")), "");
}

TEST_F(PipelineTest, PauseDuringAServerThrottledTransferIsAnsweredPromptly)
{
    m_queue.addTickedSongs(only(search("Fault Throttle"), {"9900041"}));
    const std::string partial = m_dir.file("Fault Tester - Fault Throttle.flac.tmp");
    for (int i = 0; i < 1000 && !(fs::exists(partial) && fs::file_size(partial) > 0); ++i)
        std::this_thread::sleep_for(10ms);
    m_queue.stopWorker(true);
    EXPECT_FALSE(m_queue.isRunning());
    EXPECT_EQ(statusText(row(0).state), Text(status::stopped));
    EXPECT_FALSE(m_queue.abortRaised());
}

// The lyric's leftovers are cleared by their own kind of name: a person's
// backup of the lyric file is no leftover.
TEST_F(PipelineTest, LyricFetchLeavesTheUsersBackupOfTheLyricFileAlone)
{
    const std::string backup = m_dir.file("The Velvet Orchard - Paper Lanterns.lrc.backup");
    test::writeWholeFile(backup, "my own lyric");
    m_queue.addTickedSongs(only(search("Paper Lanterns"), {"9900002"}));
    ASSERT_TRUE(m_queue.waitUntilIdle(60s));
    EXPECT_EQ(statusText(row(0).state), Text(status::completed));
    EXPECT_TRUE(fs::exists(m_dir.file("The Velvet Orchard - Paper Lanterns.lrc")));
    ASSERT_TRUE(fs::exists(backup));
    EXPECT_EQ(test::readWholeFile(backup), "my own lyric");
}

// A lyric or link request to a server that never answers: a stop ends it at
// once instead of after the request's own limit (5 s for the reply to begin).
TEST(PipelineAbortTest, StopReachesAHangingLyricAndLinkRequest)
{
    for (const bool lyrics : {true, false}) {
        test::LoopbackServer silent([](test::LoopbackServer& self, int, const std::string&) { self.hold(60s); });
        test::TempDir dir;
        platform::ConfigStore config(platform::fromNativePath(dir.file("config.ini")));
        config.write("path", platform::fromNativePath(dir.path().string()) + "/");
        config.write("lrc", lyrics ? "1" : "0");
        config.write("sType", "2");
        ConfigDownloadSettings settings(config);
        ServiceSongFetcher fetcher(service::ServiceEndpoints(Text("127.0.0.1:" + std::to_string(silent.port()))));
        DownloadQueue queue(fetcher, settings, nullptr);
        const service::SongRecord song {Text("Hanging"), Text("a"), Text("b"),
                                        Text("128"),     Text("7"), Text(silent.url("/lyric.lrc"))};
        queue.addTickedSongs(std::span(&song, 1));
        for (int i = 0; i < 1000 && silent.requests().empty(); ++i)
            std::this_thread::sleep_for(10ms);
        ASSERT_EQ(silent.requests().size(), 1u);
        auto stopped = std::async(std::launch::async, [&] { queue.stopWorker(true); });
        EXPECT_EQ(stopped.wait_for(3s), std::future_status::ready) << (lyrics ? "lyric" : "link") << " request";
        stopped.wait();
        EXPECT_EQ(statusText(queue.list().rows().at(0).state), Text(status::stopped));
    }
}

}  // namespace
}  // namespace quorvo::download
