// The download list kept on disk:
//  - restoring a saved list of 10,000 rows (open, read, settle, into the
//    download list with the store as its journal), in ms;
//  - the CPU one progress tick costs the thread that reports it, both when it
//    is written (the first tick of a second) and when it is held back, in the
//    store alone and through the list of 10,000 rows;
//  - the resident memory the 10,000 restored rows add.

#include "download/DownloadList.h"
#include "download/QueueStore.h"

#include "TempDir.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace quorvo::download {
namespace {

using namespace std::chrono_literals;

constexpr uint64_t savedRows = 10000;

DownloadTask songRow(uint64_t id)
{
    DownloadTask task;
    task.id = id;
    task.name = Text("Artist " + std::to_string(id % 97) + " - Song title number " + std::to_string(id));
    task.quality = "flac";
    task.size = "31.25M";
    task.songId = std::to_string(1000000 + id);
    task.lyricUrl = "http://127.0.0.1:8080/data2/lrc/" + std::to_string(id) + ".lrc";
    const Text base = "/home/user/Music/Quorvo/" + task.name;
    task.paths = {base + ".flac", base + ".lrc", base + ".flac.tmp"};
    switch (id % 4) {
    case 0:
        task.state = Completed {};
        break;
    case 1:
        task.state = Waiting {};
        break;
    case 2:
        task.state = Failed {{FailureKind::HttpStatus, 404}};
        break;
    default:
        task.state = Stopped {{FailureKind::ServerStopped, 0}};
    }
    return task;
}

const test::TempDir& savedList()
{
    static const test::TempDir directory;
    static const bool written = [] {
        QueueStore::Opened opened = QueueStore::open(directory.file("queue.db"));
        for (uint64_t id = 1; id <= savedRows; ++id)
            opened.store->rowAdded(songRow(id));
        return true;
    }();
    (void)written;
    return directory;
}

double threadCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

long residentKilobytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:"))
            return std::stol(line.substr(6));
    }
    return 0;
}

void BM_RestoreTenThousandRows(benchmark::State& state)
{
    const std::string path = savedList().file("queue.db");
    std::size_t rows = 0;
    for (auto _ : state) {
        QueueStore::Opened opened = QueueStore::open(path);
        settleForRestart(opened.rows);
        auto list = std::make_unique<DownloadList>();
        rows = list->restore(std::move(opened.rows));
        list->setJournal(opened.store.get());
        // Closing belongs to the end of a run, not to the start of the next.
        state.PauseTiming();
        list.reset();
        opened = {};
        state.ResumeTiming();
    }
    if (rows != savedRows)
        state.SkipWithError("the saved rows did not all come back");
}
BENCHMARK(BM_RestoreTenThousandRows)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_RestoredRowsResidentMemory(benchmark::State& state)
{
    const std::string path = savedList().file("queue.db");
    for (auto _ : state) {
        const long before = residentKilobytes();
        QueueStore::Opened opened = QueueStore::open(path);
        settleForRestart(opened.rows);
        state.counters["rows_rss_mb"] = static_cast<double>(residentKilobytes() - before) / 1024.0;
        state.counters["process_rss_mb"] = static_cast<double>(residentKilobytes()) / 1024.0;
    }
}
BENCHMARK(BM_RestoredRowsResidentMemory)->Iterations(1);

// `written`: every tick a second after the last, so each one reaches the
// file; otherwise ten ticks a second, nine of them held back.
void progressTicks(benchmark::State& state, bool written)
{
    const test::TempDir directory;
    QueueStore::Opened opened = QueueStore::open(directory.file("queue.db"));
    QueueStore::Clock::time_point clock {};
    opened.store->setClockForTesting([&] { return clock; });
    std::vector<DownloadTask> moving;
    for (uint64_t id = 1; id <= savedRows; ++id) {
        moving.push_back(songRow(id));
        opened.store->rowAdded(moving.back());
    }
    int64_t done = 0;
    std::size_t next = 0;
    const double cpuBefore = threadCpuSeconds();
    for (auto _ : state) {
        DownloadTask& task = moving[next++ % 4];
        done += 65536;
        task.state = Transferring {done, 1 << 30, 500 * 1024};
        opened.store->rowChanged(task);
        clock += written ? 1s : 100ms;
    }
    const double cpu = threadCpuSeconds() - cpuBefore;
    state.counters["cpu_us_per_tick"] = cpu * 1e6 / static_cast<double>(state.iterations());
    state.counters["written"] = static_cast<double>(opened.store->progressWrites());
}

void BM_ProgressTickWritten(benchmark::State& state)
{
    progressTicks(state, true);
}
BENCHMARK(BM_ProgressTickWritten)->Unit(benchmark::kMicrosecond);

void BM_ProgressTickHeldBack(benchmark::State& state)
{
    progressTicks(state, false);
}
BENCHMARK(BM_ProgressTickHeldBack)->Unit(benchmark::kMicrosecond);

// A progress tick as the worker reports it: through the list of 10,000 rows
// (its views hear it, its journal is the store), one a second, each written.
void BM_ProgressTickThroughTheList(benchmark::State& state)
{
    const test::TempDir directory;
    QueueStore::Opened opened = QueueStore::open(directory.file("queue.db"));
    QueueMailbox views;
    DownloadList list(&views);
    std::vector<DownloadTask> rows;
    for (uint64_t id = 1; id <= savedRows; ++id) {
        rows.push_back(songRow(id));
        opened.store->rowAdded(rows.back());
    }
    list.restore(std::move(rows));
    list.setJournal(opened.store.get());
    DownloadList::Clock::time_point clock {};
    list.setClock([&] { return clock; });
    opened.store->setClockForTesting([&] { return clock; });
    // The last row: the list looks for it past all the others.
    const uint64_t moving = savedRows;
    int64_t done = 0;
    const double cpuBefore = threadCpuSeconds();
    for (auto _ : state) {
        done += 65536;
        list.setState(moving, Transferring {done, 1 << 30, 500 * 1024});
        clock += 1s;
        state.PauseTiming();
        views.takeAll();
        state.ResumeTiming();
    }
    const double cpu = threadCpuSeconds() - cpuBefore;
    state.counters["cpu_us_per_tick"] = cpu * 1e6 / static_cast<double>(state.iterations());
    state.counters["written"] = static_cast<double>(opened.store->progressWrites());
}
BENCHMARK(BM_ProgressTickThroughTheList)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quorvo::download

BENCHMARK_MAIN();
