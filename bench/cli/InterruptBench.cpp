// How quickly Ctrl-C takes effect in quorvo-cli get.
//  - signalToAbortRaised: SIGINT sent to this process at a random moment
//    until the waiting loop has raised the abort flag, with the command
//    line's wait (InterruptWatch), and with the wait it replaced (a flag set by
//    a signal handler, looked at whenever the queue's mailbox wait of 100 ms
//    ends).
//  - signalToExit: a real quorvo-cli get of a throttled song, SIGINT once its
//    partial file has bytes, until the process has ended (the transfer's
//    acknowledgement, the final rows and the exit included).

#include "app/cli/InterruptWatch.h"
#include "download/AbortFlag.h"
#include "download/QueueEvents.h"

#include "QuietSpawn.h"
#include "ReferenceServer.h"
#include "TempDir.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace quorvo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

void report(benchmark::State& state, std::vector<double> samples)
{
    if (samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    state.counters["median_ms"] = samples[samples.size() / 2];
    state.counters["max_ms"] = samples.back();
    state.counters["min_ms"] = samples.front();
}

// Sends SIGINT to the process after a random delay and notes when.
class Interrupter {
public:
    Interrupter()
        : m_thread([this] { run(); })
    { }
    ~Interrupter()
    {
        m_stop = true;
        m_thread.join();
    }
    Clock::time_point sentAt() const { return Clock::time_point(Clock::duration(m_sentAt.load())); }
    void arm() { m_armed = true; }
    bool armed() const { return m_armed; }

private:
    void run()
    {
        std::mt19937 random(7);
        while (!m_stop) {
            if (!m_armed) {
                std::this_thread::sleep_for(100us);
                continue;
            }
            std::this_thread::sleep_for(
                std::chrono::microseconds(std::uniform_int_distribution<int>(0, 20000)(random)));
            m_sentAt = Clock::now().time_since_epoch().count();
            m_armed = false;
            ::kill(::getpid(), SIGINT);
        }
    }

    std::atomic<bool> m_stop {false};
    std::atomic<bool> m_armed {false};
    std::atomic<Clock::rep> m_sentAt {0};
    std::thread m_thread;
};

void signalToAbortRaisedWithInterruptWatch(benchmark::State& state)
{
    // Before the interrupter's thread, which must inherit the blocked signals.
    cli::InterruptWatch watch;
    Interrupter interrupter;
    download::AbortFlag abortFlag;
    std::vector<double> samples;
    for (auto _ : state) {
        interrupter.arm();
        while (!watch.wait(1000ms)) { }
        abortFlag.raise();
        const auto raised = Clock::now();
        while (interrupter.armed())
            std::this_thread::yield();
        samples.push_back(milliseconds(raised - interrupter.sentAt()));
        abortFlag.clear();
    }
    report(state, samples);
}
BENCHMARK(signalToAbortRaisedWithInterruptWatch)->Iterations(50)->Unit(benchmark::kMillisecond);

std::atomic<bool> interruptedBefore {false};

extern "C" void onInterruptBefore(int)
{
    interruptedBefore = true;
}

void signalToAbortRaisedWithTheOldWait(benchmark::State& state)
{
    struct sigaction action { };
    struct sigaction previous { };
    action.sa_handler = onInterruptBefore;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous);
    Interrupter interrupter;
    download::QueueMailbox mailbox;
    download::AbortFlag abortFlag;
    std::vector<double> samples;
    for (auto _ : state) {
        interruptedBefore = false;
        interrupter.arm();
        while (true) {
            mailbox.waitForEvent(100ms);
            if (interruptedBefore)
                break;
        }
        abortFlag.raise();
        const auto raised = Clock::now();
        while (interrupter.armed())
            std::this_thread::yield();
        samples.push_back(milliseconds(raised - interrupter.sentAt()));
        abortFlag.clear();
    }
    sigaction(SIGINT, &previous, nullptr);
    report(state, samples);
}
BENCHMARK(signalToAbortRaisedWithTheOldWait)->Iterations(20)->Unit(benchmark::kMillisecond);

void signalToExit(benchmark::State& state)
{
    const char* other = std::getenv("QUORVO_BENCH_CLI");
    const std::string cli = other && *other ? other : QUORVO_CLI_PATH;
    test::ReferenceServer server({"--quiet"});
    std::vector<double> samples;
    for (auto _ : state) {
        const test::TempDir dir;
        const fs::path binary = dir.path() / "quorvo-cli";
        fs::copy_file(cli, binary);
        const std::string songs = (dir.path() / "songs").string();
        const std::string host = server.host();
        std::vector<std::string> args
            = {binary.string(), "--service", host, "get", "Paper Lanterns", "--all", "--dir", songs, "--limit", "20"};
        const pid_t pid = bench::spawnQuietly(std::move(args));
        if (pid == 0) {
            state.SkipWithError("cannot start quorvo-cli");
            break;
        }
        const fs::path partial = fs::path(songs) / "The Velvet Orchard - Paper Lanterns.mp3.tmp";
        const auto giveUp = Clock::now() + 30s;
        std::error_code error;
        while (Clock::now() < giveUp && !(fs::exists(partial, error) && fs::file_size(partial, error) > 0))
            std::this_thread::sleep_for(1ms);
        // Somewhere inside a one-second quota window.
        std::this_thread::sleep_for(std::chrono::milliseconds(std::rand() % 900));
        const auto sent = Clock::now();
        ::kill(pid, SIGINT);
        int status = 0;
        ::waitpid(pid, &status, 0);
        samples.push_back(milliseconds(Clock::now() - sent));
    }
    report(state, samples);
}
BENCHMARK(signalToExit)->Iterations(15)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quorvo

BENCHMARK_MAIN();
