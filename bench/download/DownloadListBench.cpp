// The download list's costs with a long queue: restoring 10,000 saved rows,
// one progress report of the last row (the journal and the speed sum walk
// the rows), and a worker's claim when every row before the last is done.

#include "download/DownloadList.h"

#include <benchmark/benchmark.h>

#include <string>

namespace quorvo::download {
namespace {

constexpr int rowCount = 10'000;

std::vector<DownloadTask> savedRows()
{
    std::vector<DownloadTask> rows;
    rows.reserve(rowCount);
    for (int i = 1; i <= rowCount; ++i) {
        DownloadTask task;
        task.id = static_cast<uint64_t>(i);
        task.name = Text("Artist " + std::to_string(i) + " - Song " + std::to_string(i));
        task.quality = "flac";
        task.size = "31.5M";
        task.songId = Text(std::to_string(9'900'000 + i));
        task.lyricUrl = Text("http://host/data2/lrc/" + std::to_string(i) + ".lrc");
        task.state = i == rowCount ? TaskState {Waiting {}} : TaskState {Completed {}};
        rows.push_back(std::move(task));
    }
    return rows;
}

class CountingJournal final : public QueueJournal {
public:
    void rowAdded(const DownloadTask&) override { ++m_calls; }
    void rowsRemoved(std::span<const uint64_t>) override { ++m_calls; }
    void rowChanged(const DownloadTask&) override { ++m_calls; }
    int64_t m_calls = 0;
};

void restoreTenThousandRows(benchmark::State& state)
{
    const std::vector<DownloadTask> rows = savedRows();
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<DownloadTask> copy = rows;
        QueueMailbox mailbox;
        DownloadList list(&mailbox);
        state.ResumeTiming();
        benchmark::DoNotOptimize(list.restore(std::move(copy)));
    }
}
BENCHMARK(restoreTenThousandRows)->Unit(benchmark::kMillisecond);

void progressTickOfTheLastRow(benchmark::State& state)
{
    CountingJournal journal;
    DownloadList list(nullptr, &journal);
    list.restore(savedRows());
    int64_t done = 0;
    for (auto _ : state)
        list.setState(rowCount, Transferring {++done, 1'000'000'000, 1024});
    state.counters["journal_calls"] = static_cast<double>(journal.m_calls);
}
BENCHMARK(progressTickOfTheLastRow)->Unit(benchmark::kMicrosecond);

void claimBehindNineThousandDoneRows(benchmark::State& state)
{
    DownloadList list;
    list.restore(savedRows());
    for (auto _ : state) {
        const std::optional<DownloadTask> claimed = list.claimNext();
        benchmark::DoNotOptimize(claimed);
        list.setState(rowCount, Waiting {});
    }
}
BENCHMARK(claimBehindNineThousandDoneRows)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quorvo::download

BENCHMARK_MAIN();
