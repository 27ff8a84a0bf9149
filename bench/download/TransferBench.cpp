// transferFile against the reference service on loopback:
//  - an unlimited 100 MB+ song, as a ratio to `curl -o` of the same file;
//  - a 500, 100 and 1 KB/s limit for 20 s: average rate, each second's
//    distance from the limit and the CPU the transfer uses;
//  - two transfers sharing one limiter: each window's sum against the limit;
//  - pause latency: raising the abort flag until the loop acknowledges it,
//    on a fast and on a throttled transfer.
// QUORVO_BENCH_HOST=HOST:PORT measures against a quorvo-server started
// separately (run with --pregenerate 9900030) instead of one started here.

#include "download/FlacCheck.h"
#include "download/ProgressReporter.h"
#include "download/Transfer.h"

#include "ReferenceServer.h"
#include "TempDir.h"
#include "platform/Files.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace quorvo::download {
namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr const char* largeSong = "9900030";  // a Hi-Res song of 100 MB+

test::ReferenceServer& startServer()
{
    static test::ReferenceServer instance({"--quiet", "--pregenerate", largeSong});
    // The song was just generated: get its pages to disk before anything is timed.
    ::sync();
    return instance;
}

test::ReferenceServer& server()
{
    static test::ReferenceServer& instance = startServer();
    return instance;
}

std::string largeSongUrl()
{
    if (const char* host = std::getenv("QUORVO_BENCH_HOST"))
        return std::string("http://") + host + "/data2/music/" + largeSong + "/" + largeSong + ".flac";
    return server().baseUrl() + "/data2/music/" + largeSong + "/" + largeSong + ".flac";
}

double seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

double threadCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Of every thread of this process (not of the server, which is another).
double processCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// `curl -s -o FILE URL`; the wall time it took.
double curlSeconds(const std::string& url, const std::string& file)
{
    const char* argv[] = {"curl", "-s", "-o", file.c_str(), url.c_str(), nullptr};
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return seconds(Clock::now() - start);
}

void unlimitedVersusCurl(benchmark::State& state)
{
    const test::TempDir dir;
    const Text target = platform::fromNativePath(dir.file("song.raw"));
    // Starting the server (and generating the song) must not count as transfer time.
    const std::string url = largeSongUrl();
    AbortFlag abortFlag;
    double ours = 0;
    double curl = 0;
    double bytes = 0;
    bool oursFirst = true;
    for (auto _ : state) {
        // Alternate the order and flush dirty pages first: otherwise whichever
        // runs second pays for the writeback of the file written before it.
        for (int turn = 0; turn < 2; ++turn) {
            fs::remove(dir.file("song.raw"));
            fs::remove(dir.file("curl.flac"));
            ::sync();
            if ((turn == 0) == oursFirst) {
                const Clock::time_point start = Clock::now();
                const TransferResult result = transferFile(Text(url), target, {}, 0, abortFlag);
                ours += seconds(Clock::now() - start);
                if (result != TransferResult::Completed) {
                    state.SkipWithError("transfer failed");
                    return;
                }
                bytes = static_cast<double>(fs::file_size(dir.file("song.raw")));
            } else {
                curl += curlSeconds(url, dir.file("curl.flac"));
            }
        }
        oursFirst = !oursFirst;
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["file_MB"] = bytes / 1e6;
    state.counters["ours_MBps"] = bytes * iterations / ours / 1e6;
    state.counters["curl_MBps"] = bytes * iterations / curl / 1e6;
    state.counters["ratio_to_curl"] = curl / ours;
}
BENCHMARK(unlimitedVersusCurl)->Iterations(6)->Unit(benchmark::kMillisecond)->UseRealTime();

void limitedFor20s(benchmark::State& state, int64_t limitKBps)
{
    const test::TempDir dir;
    const Text target = platform::fromNativePath(dir.file("song.flac"));
    for (auto _ : state) {
        AbortFlag abortFlag;
        int reports = 0;
        int64_t first = 0;
        int64_t last = 0;
        Clock::time_point firstAt;
        Clock::time_point lastAt;
        std::vector<int64_t> windows;
        // 21 reports: the at-once first one and 20 full windows after it.
        const ProgressCallback progress = [&](int64_t done, int64_t) {
            if (++reports == 1) {
                first = done;
                firstAt = Clock::now();
            } else {
                windows.push_back(done - last);
            }
            last = done;
            lastAt = Clock::now();
            if (reports == 21)
                abortFlag.raise();
        };
        const Text url(largeSongUrl());
        const double cpuStart = threadCpuSeconds();
        const Clock::time_point start = Clock::now();
        transferFile(url, target, progress, limitKBps, abortFlag);
        const double wall = seconds(Clock::now() - start);
        const double cpu = threadCpuSeconds() - cpuStart;
        fs::remove(dir.file("song.flac.tmp"));
        state.counters["average_KBps"] = static_cast<double>(last - first) / 1024.0 / seconds(lastAt - firstAt);
        // Each second on its own: how far its bytes are from the limit.
        const double quota = static_cast<double>(limitKBps * bytesPerKB);
        double worst = 0;
        double over = 0;
        for (const int64_t window : windows) {
            worst = std::max(worst, std::abs(static_cast<double>(window) - quota) / quota * 100.0);
            over = std::max(over, (static_cast<double>(window) - quota) / quota * 100.0);
        }
        state.counters["worst_second_off_percent"] = worst;
        state.counters["most_over_percent"] = over;
        state.counters["windows"] = static_cast<double>(windows.size());
        state.counters["cpu_percent_of_core"] = 100.0 * cpu / wall;
        state.counters["seconds"] = wall;
    }
}
// The speed a short transfer ends on: its last window is shorter than a
// second, so the label must show bytes per second, not the window's bytes.
void finalSpeedOfAShortTransfer(benchmark::State& state)
{
    const test::TempDir dir;
    const Text target = platform::fromNativePath(dir.file("short.mp3"));
    const Text url(server().baseUrl() + "/data2/music/9900002/9900002.mp3");
    for (auto _ : state) {
        AbortFlag abortFlag;
        ProgressReporter reporter;
        Text shown;
        const Clock::time_point start = Clock::now();
        const ProgressCallback progress
            = [&](int64_t done, int64_t total) { shown = speedText(reporter.report(done, total).bytesPerSecond); };
        if (transferFile(url, target, progress, 0, abortFlag) != TransferResult::Completed) {
            state.SkipWithError("transfer failed");
            return;
        }
        const double wall = seconds(Clock::now() - start);
        const auto bytes = static_cast<double>(fs::file_size(dir.file("short.mp3")));
        fs::remove(dir.file("short.mp3"));
        // "下载速度:N KB/s"
        const std::string text = shown.str();
        const std::size_t colon = text.find(':');
        state.counters["shown_KBps"] = colon == std::string::npos ? -1 : std::atof(text.c_str() + colon + 1);
        state.counters["file_KB"] = bytes / 1024.0;
        state.counters["true_KBps"] = bytes / 1024.0 / wall;
    }
}
BENCHMARK(finalSpeedOfAShortTransfer)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

void limited500KBpsFor20s(benchmark::State& state)
{
    limitedFor20s(state, 500);
}
BENCHMARK(limited500KBpsFor20s)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void limited100KBpsFor20s(benchmark::State& state)
{
    limitedFor20s(state, 100);
}
BENCHMARK(limited100KBpsFor20s)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void limited1KBpsFor20s(benchmark::State& state)
{
    limitedFor20s(state, 1);
}
BENCHMARK(limited1KBpsFor20s)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Two transfers share one limiter for 10 windows: how far the sum of each
// full window is from the limit, and the CPU both use while held back.
void sharedLimitOfTwoTransfers(benchmark::State& state, int64_t limitKBps)
{
    const test::TempDir dir;
    for (auto _ : state) {
        RateLimiter limiter(limitKBps);
        std::mutex mutex;
        std::vector<LimiterWindow> windows;
        limiter.onWindowEnd([&](const LimiterWindow& window) {
            const std::lock_guard lock(mutex);
            windows.push_back(window);
        });
        AbortFlag abortFlags[2];
        const double cpuStart = processCpuSeconds();
        const Clock::time_point start = Clock::now();
        std::vector<std::thread> transfers;
        for (int i = 0; i < 2; ++i) {
            transfers.emplace_back([&, i] {
                const Text target = platform::fromNativePath(dir.file(i == 0 ? "a.flac" : "b.flac"));
                transferFile(Text(largeSongUrl()), target, {}, limiter, abortFlags[i]);
            });
        }
        while (true) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            const std::lock_guard lock(mutex);
            if (windows.size() >= 11)
                break;
        }
        for (AbortFlag& flag : abortFlags)
            flag.raise();
        for (std::thread& transfer : transfers)
            transfer.join();
        const double wall = seconds(Clock::now() - start);
        const double cpu = processCpuSeconds() - cpuStart;
        fs::remove(dir.file("a.flac.tmp"));
        fs::remove(dir.file("b.flac.tmp"));
        const double quota = static_cast<double>(limitKBps * bytesPerKB);
        double worst = 0;
        double over = 0;
        // The first window holds the connections' start.
        for (std::size_t i = 1; i < windows.size(); ++i) {
            const auto granted = static_cast<double>(windows[i].granted);
            worst = std::max(worst, std::abs(granted - quota) / quota * 100.0);
            over = std::max(over, (granted - quota) / quota * 100.0);
        }
        state.counters["worst_window_off_percent"] = worst;
        state.counters["most_over_percent"] = over;
        state.counters["windows"] = static_cast<double>(windows.size() - 1);
        state.counters["cpu_percent_of_core"] = 100.0 * cpu / wall;
    }
}

void sharedLimit1KBpsTwoTransfers(benchmark::State& state)
{
    sharedLimitOfTwoTransfers(state, 1);
}
BENCHMARK(sharedLimit1KBpsTwoTransfers)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void sharedLimit500KBpsTwoTransfers(benchmark::State& state)
{
    sharedLimitOfTwoTransfers(state, 500);
}
BENCHMARK(sharedLimit500KBpsTwoTransfers)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The MD5 check of the large song after its transfer (decoding all of it).
void flacCheckOfTheLargeSong(benchmark::State& state)
{
    const test::TempDir dir;
    const Text target = platform::fromNativePath(dir.file("song.flac"));
    AbortFlag abortFlag;
    if (transferFile(Text(largeSongUrl()), target, {}, 0, abortFlag) != TransferResult::Completed) {
        state.SkipWithError("transfer failed");
        return;
    }
    for (auto _ : state) {
        if (checkFlac(target) != FlacCheck::Matches)
            state.SkipWithError("checksum mismatch");
    }
}
BENCHMARK(flacCheckOfTheLargeSong)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Raises the flag from another thread `after` into the transfer; the time
// from the raise until transferFile has returned (flag acknowledged).
double pauseLatency(int64_t limitKBps, std::chrono::milliseconds after)
{
    const test::TempDir dir;
    const Text url(largeSongUrl());
    AbortFlag abortFlag;
    Clock::time_point raisedAt;
    std::thread stopper([&] {
        std::this_thread::sleep_for(after);
        raisedAt = Clock::now();
        abortFlag.raise();
    });
    transferFile(url, platform::fromNativePath(dir.file("song.flac")), {}, limitKBps, abortFlag);
    const Clock::time_point returnedAt = Clock::now();
    stopper.join();
    return seconds(returnedAt - raisedAt) * 1000.0;
}

void pauseLatencyFast(benchmark::State& state)
{
    double total = 0;
    for (auto _ : state)
        total += pauseLatency(0, std::chrono::milliseconds(20));
    state.counters["latency_ms"] = total / static_cast<double>(state.iterations());
}
BENCHMARK(pauseLatencyFast)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

void pauseLatencyThrottled(benchmark::State& state)
{
    double total = 0;
    for (auto _ : state)
        total += pauseLatency(500, std::chrono::milliseconds(1500));
    state.counters["latency_ms"] = total / static_cast<double>(state.iterations());
}
BENCHMARK(pauseLatencyThrottled)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quorvo::download

BENCHMARK_MAIN();
