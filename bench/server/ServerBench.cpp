// quorvo-server: streaming a cached 100 MB+ song over loopback, search
// latency, and how fast songs are generated.

#include "ReferenceServer.h"
#include "TempDir.h"
#include "media/MediaStore.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

using quorvo::test::ReferenceServer;

constexpr const char* largeSong = "/data2/music/9900030/9900030.flac";

// Reads one whole response into a reused buffer; returns the bytes received.
std::uint64_t download(std::uint16_t port, const std::string& target)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::uint64_t total = 0;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = "GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
        if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
            static thread_local std::string buffer(512 * 1024, '\0');
            for (ssize_t got; (got = ::recv(fd, buffer.data(), buffer.size(), 0)) > 0;)
                total += static_cast<std::uint64_t>(got);
        }
    }
    ::close(fd);
    return total;
}

// Peak and current resident memory of a process, in kB.
std::pair<long, long> residentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    long peak = 0;
    long now = 0;
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            peak = std::stol(line.substr(6));
        else if (line.rfind("VmRSS:", 0) == 0)
            now = std::stol(line.substr(6));
    }
    return {peak, now};
}

void BM_StreamCachedLargeSong(benchmark::State& state)
{
    ReferenceServer server;
    // The first request generates the file; the measured ones stream it from the cache.
    const std::uint64_t size = download(server.port(), largeSong);
    const long peakBefore = residentKb(server.pid()).first;
    std::uint64_t bytes = 0;
    for (auto _ : state)
        bytes += download(server.port(), largeSong);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["file_MB"] = static_cast<double>(size) / 1e6;
    state.counters["server_peak_kB_before"] = static_cast<double>(peakBefore);
    state.counters["server_peak_kB_after"] = static_cast<double>(residentKb(server.pid()).first);
}
BENCHMARK(BM_StreamCachedLargeSong)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_StreamThrottlePathUnlimited(benchmark::State& state)
{
    // The chunked fault takes the read-and-send path instead of sendfile.
    ReferenceServer server({"--fault-chunked", "--fault-on", "files"});
    (void)download(server.port(), largeSong);
    std::uint64_t bytes = 0;
    for (auto _ : state)
        bytes += download(server.port(), largeSong);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["server_peak_kB"] = static_cast<double>(residentKb(server.pid()).first);
}
BENCHMARK(BM_StreamThrottlePathUnlimited)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_SearchSixtySongs(benchmark::State& state)
{
    ReferenceServer server;
    const std::string target
        = "/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=%B0%AE&page_size=60&page_no=1&format=xml";
    for (auto _ : state)
        benchmark::DoNotOptimize(download(server.port(), target));
}
BENCHMARK(BM_SearchSixtySongs)->Unit(benchmark::kMicrosecond)->UseRealTime();

void generate(benchmark::State& state, const char* allRate, bool large)
{
    quorvo::server::Song song;
    song.id = "1";
    song.title = "Bench";
    song.artist = "Bench";
    song.album = "Bench";
    song.allRate = allRate;
    song.seconds = static_cast<int>(state.range(0));
    song.large = large;
    quorvo::test::TempDir dir;
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        if (const auto error = quorvo::server::generateSongFile(song, dir.file("song")))
            state.SkipWithError(error->c_str());
        bytes += std::filesystem::file_size(dir.file("song"));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["audio_seconds"] = static_cast<double>(song.seconds);
}

void BM_GenerateFlac(benchmark::State& state)
{
    generate(state, "flac", false);
}
void BM_GenerateMp3(benchmark::State& state)
{
    generate(state, "128,192,320", false);
}
void BM_GenerateLargeFlac(benchmark::State& state)
{
    generate(state, "flac", true);
}
BENCHMARK(BM_GenerateFlac)->Arg(240)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GenerateMp3)->Arg(240)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GenerateLargeFlac)->Arg(240)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
