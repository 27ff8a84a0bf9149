// A whole `quorvo-cli get` of the 126-MB song (search, lyrics, link,
// transfer, FLAC check, rename) against `curl -s -o` of the same file from
// the same server, alternated round by round, with the page cache warm and
// dropped before every run (cold; needs root, else it is skipped), and over a
// 50-MB/s link, where the FLAC check decoding beside the transfer costs nothing.
// On loopback the check is the limit (decoding and hashing the audio of 126 MB
// takes longer than curl takes to copy it), so the NoAudioCheck cases time the
// same get with --no-audio-check; the check alone is timed in bench/download.
// QUORVO_BENCH_ROUNDS=N sets the rounds (default 5).

#include "QuietSpawn.h"
#include "ReferenceServer.h"
#include "TempDir.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace quorvo {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr const char* largeSong = "9900030";  // 大海的尽头 Endless Sea, 126 MB

test::ReferenceServer& server()
{
    static test::ReferenceServer instance({"--quiet", "--pregenerate", largeSong});
    return instance;
}

// The same service behind a link of 50 MB/s (400 Mbit/s, a fast home line):
// song files only, the search and link replies come at once.
test::ReferenceServer& linkServer()
{
    static test::ReferenceServer instance(
        {"--quiet", "--pregenerate", largeSong, "--fault-on", "files", "--fault-rate", "50000000"});
    return instance;
}

int rounds()
{
    const char* given = std::getenv("QUORVO_BENCH_ROUNDS");
    return given && *given ? std::max(1, std::atoi(given)) : 5;
}

// Runs a program with its output thrown away; the wall time, or -1.
double runSeconds(std::vector<std::string> args)
{
    const Clock::time_point start = Clock::now();
    const pid_t pid = bench::spawnQuietly(std::move(args));
    if (pid == 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

bool dropPageCache()
{
    ::sync();
    std::ofstream drop("/proc/sys/vm/drop_caches");
    drop << "3\n";
    drop.flush();
    return static_cast<bool>(drop);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

enum class AudioCheck { On, Off };

void wholeGetVersusCurl(benchmark::State& state, bool cold, AudioCheck check = AudioCheck::On,
                        test::ReferenceServer& service = server())
{
    const test::TempDir dir;
    const fs::path binary = dir.path() / "quorvo-cli";
    fs::copy_file(QUORVO_CLI_PATH, binary);
    // The song stays in the results although an earlier round saved it.
    std::ofstream(dir.path() / "config.ini") << "[Main]\nbypass=0\n";
    const std::string songs = (dir.path() / "songs").string();
    const std::string ours = songs + "/潮汐合唱团 - 大海的尽头 Endless Sea.flac";
    const std::string curled = dir.file("curl.flac");
    const std::string url = service.baseUrl() + "/data2/music/" + largeSong + "/" + largeSong + ".flac";
    std::vector<std::string> get
        = {binary.string(), "--service", service.host(), "get", "Endless Sea", "--all", "--dir", songs};
    if (check == AudioCheck::Off)
        get.emplace_back("--no-audio-check");
    const std::vector<std::string> curl = {"curl", "-s", "-o", curled, url};

    std::vector<double> oursSeconds;
    std::vector<double> curlSeconds;
    double bytes = 0;
    for (auto _ : state) {
        for (int round = 0; round < rounds(); ++round) {
            for (int turn = 0; turn < 2; ++turn) {
                fs::remove(ours);
                fs::remove(curled);
                // Each run starts without the other's dirty pages to write back.
                ::sync();
                if (cold && !dropPageCache()) {
                    state.SkipWithError("cannot drop the page cache (not root?)");
                    return;
                }
                const bool oursNow = (turn == 0) == (round % 2 == 0);
                const double seconds = runSeconds(oursNow ? get : curl);
                if (seconds < 0) {
                    state.SkipWithError(oursNow ? "quorvo-cli get failed" : "curl failed");
                    return;
                }
                (oursNow ? oursSeconds : curlSeconds).push_back(seconds);
                if (oursNow)
                    bytes = static_cast<double>(fs::file_size(ours));
            }
        }
    }
    state.counters["file_MB"] = bytes / 1e6;
    state.counters["get_s_median"] = median(oursSeconds);
    state.counters["curl_s_median"] = median(curlSeconds);
    state.counters["ratio_to_curl_median"] = median(curlSeconds) / median(oursSeconds);
}

void wholeGetVersusCurlWarm(benchmark::State& state)
{
    wholeGetVersusCurl(state, false);
}
BENCHMARK(wholeGetVersusCurlWarm)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void wholeGetVersusCurlCold(benchmark::State& state)
{
    wholeGetVersusCurl(state, true);
}
BENCHMARK(wholeGetVersusCurlCold)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void wholeGetNoAudioCheckVersusCurlWarm(benchmark::State& state)
{
    wholeGetVersusCurl(state, false, AudioCheck::Off);
}
BENCHMARK(wholeGetNoAudioCheckVersusCurlWarm)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void wholeGetNoAudioCheckVersusCurlCold(benchmark::State& state)
{
    wholeGetVersusCurl(state, true, AudioCheck::Off);
}
BENCHMARK(wholeGetNoAudioCheckVersusCurlCold)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void wholeGetVersusCurlOver50MBpsLink(benchmark::State& state)
{
    wholeGetVersusCurl(state, false, AudioCheck::On, linkServer());
}
BENCHMARK(wholeGetVersusCurlOver50MBpsLink)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace quorvo

BENCHMARK_MAIN();
