// The download queue with 1, 2 and 3 workers against the reference service,
// whose song files come at a fixed rate per connection (as from a server that
// limits each client connection): the same six songs, with their lyrics, from
// the first add until the queue is idle. Every song must arrive complete and
// byte-identical to the server's file, or the run reports an error.
// Counters: elapsed seconds, and the speed-up against one worker.

#include "download/DownloadQueue.h"
#include "download/ServiceSongFetcher.h"

#include "ReferenceServer.h"
#include "SongCache.h"
#include "TempDir.h"
#include "platform/Files.h"
#include "runtime/Encoding.h"
#include "service/Search.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace quorvo::download {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Bytes per second on each connection for song files only.
constexpr int perConnectionRate = 256 * 1024;

// Short FLAC songs of the demo catalogue: (query, song id).
const std::vector<std::pair<const char*, const char*>> songs = {
    {"夜色温柔", "9900001"}, {"Salt & Pepper", "9900005"}, {"同名曲", "9900006"},
    {"同名曲", "9900007"},   {"Bracket Theme", "9900004"}, {"Rate Flac Lower", "9900010"},
};

test::ReferenceServer& server()
{
    static test::ReferenceServer instance(
        {"--quiet", "--fault-rate", std::to_string(perConnectionRate), "--fault-on", "files"});
    return instance;
}

// The songs' search rows, and their files made by the server before anything is timed.
const std::vector<service::SongRecord>& pickedSongs(const service::ServiceEndpoints& service)
{
    static const std::vector<service::SongRecord> picked = [&] {
        std::vector<service::SongRecord> rows;
        for (const auto& [query, id] : songs) {
            service::SearchFilter filter;
            const std::vector<service::SongRecord> found
                = service::runSearch(service, encoding::fromUtf8(query), filter);
            const auto song = std::find_if(found.begin(), found.end(),
                                           [&](const service::SongRecord& row) { return row.songId == id; });
            if (song != found.end() && !test::cachedSongFile(server(), id, "flac").empty())
                rows.push_back(*song);
        }
        return rows;
    }();
    return picked;
}

std::map<int64_t, double>& elapsedByJobs()
{
    static std::map<int64_t, double> elapsed;
    return elapsed;
}

void sixSongsWithWorkers(benchmark::State& state)
{
    const int64_t jobs = state.range(0);
    const service::ServiceEndpoints service {Text(server().host())};
    const std::vector<service::SongRecord>& picked = pickedSongs(service);
    if (picked.size() != songs.size()) {
        state.SkipWithError("the service did not offer every song");
        return;
    }
    for (auto _ : state) {
        const test::TempDir dir;
        platform::ConfigStore config(platform::fromNativePath(dir.file("config.ini")));
        config.write("path", platform::fromNativePath(dir.path().string()) + "/");
        config.write("sType", "0");
        config.write("lrc", "1");
        config.write("speed", "0");
        config.write("jobs", Text(std::to_string(jobs)));
        const ConfigDownloadSettings settings(config);
        ServiceSongFetcher fetcher(service, TransferSettings {5000ms, 30s, false});
        DownloadQueue queue(fetcher, settings, nullptr);

        const Clock::time_point start = Clock::now();
        queue.addTickedSongs(picked);
        if (!queue.waitUntilIdle(600s)) {
            state.SkipWithError("the queue did not end within 10 minutes");
            return;
        }
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(elapsed);

        if (queue.jobCount() != static_cast<std::size_t>(jobs)) {
            state.SkipWithError("the queue did not start the workers asked for");
            return;
        }
        int64_t bytes = 0;
        for (const DownloadTask& task : queue.list().rows()) {
            const std::string id(task.songId.view());
            const std::string file = test::readWholeFile(platform::nativePath(task.paths.song));
            const std::string original = test::readWholeFile(test::cachedSongFile(server(), id, "flac"));
            if (task.state != TaskState {Completed {}} || original.empty() || file != original) {
                state.SkipWithError(("song " + id + " did not arrive byte-identical").c_str());
                return;
            }
            bytes += static_cast<int64_t>(file.size());
        }
        elapsedByJobs()[jobs] = elapsed;
        state.counters["elapsed_s"] = elapsed;
        state.counters["song_bytes"] = static_cast<double>(bytes);
        if (const auto one = elapsedByJobs().find(1); one != elapsedByJobs().end())
            state.counters["speedup_vs_1_job"] = one->second / elapsed;
    }
}
BENCHMARK(sixSongsWithWorkers)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace quorvo::download

BENCHMARK_MAIN();
