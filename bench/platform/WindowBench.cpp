// Presenting and message throughput. Runs on SDL's dummy driver unless
// SDL_VIDEODRIVER says otherwise (e.g. x11 under Xvfb for real figures).

#include "platform/window/EventLoop.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

using namespace quorvo;
using namespace quorvo::platform;

std::unique_ptr<EventLoop> makeLoop()
{
    ::setenv("SDL_VIDEODRIVER", "dummy", 0);
    std::string error;
    auto loop = EventLoop::create(&error);
    if (!loop) {
        std::fprintf(stderr, "no event loop: %s\n", error.c_str());
    }
    return loop;
}

void presentFrame(benchmark::State& state, std::uint32_t fill, IntRect area)
{
    auto loop = makeLoop();
    if (!loop) {
        state.SkipWithError("no event loop");
        return;
    }
    WindowOptions options;
    options.width = 410;
    options.height = 650;
    const WindowId window = loop->createWindow(options);
    loop->show(window);
    PixelBuffer frame(410, 650);
    frame.fill(fill);
    for (auto _ : state) {
        benchmark::DoNotOptimize(loop->present(window, frame.view(), area));
    }
    state.SetItemsProcessed(state.iterations() * area.width * area.height);
}

void BM_PresentOpaqueFrame410x650(benchmark::State& state)
{
    presentFrame(state, 0xFF336699, IntRect {0, 0, 410, 650});
}
BENCHMARK(BM_PresentOpaqueFrame410x650);

void BM_PresentTranslucentFrame410x650(benchmark::State& state)
{
    presentFrame(state, 0xC0264C73, IntRect {0, 0, 410, 650});
}
BENCHMARK(BM_PresentTranslucentFrame410x650);

void BM_PresentCaptionRect120x25(benchmark::State& state)
{
    presentFrame(state, 0xC0264C73, IntRect {20, 10, 120, 25});
}
BENCHMARK(BM_PresentCaptionRect120x25);

// Posts made on the loop's thread and dispatched: the per-task cost of the queue.
void BM_PostAndDispatch(benchmark::State& state)
{
    auto loop = makeLoop();
    const WindowId window = loop->createWindow({});
    long delivered = 0;
    constexpr int batchSize = 10000;
    for (auto _ : state) {
        const long target = delivered + batchSize;
        for (int i = 0; i < batchSize; ++i) {
            loop->post(window, [&delivered] { ++delivered; });
        }
        while (delivered < target) {
            loop->processPending();
        }
    }
    state.SetItemsProcessed(state.iterations() * batchSize);
}
BENCHMARK(BM_PostAndDispatch)->Unit(benchmark::kMillisecond);

// A worker thread's send: queue, wake, dispatch on the loop thread, answer.
void BM_CrossThreadSendRoundTrip(benchmark::State& state)
{
    auto loop = makeLoop();
    constexpr int sends = 2000;
    for (auto _ : state) {
        const WindowId window = loop->createWindow({});
        std::jthread worker([&] {
            for (int i = 0; i < sends; ++i) {
                int answer = 0;
                benchmark::DoNotOptimize(loop->send(window, [&answer, i] { answer = i; }));
                benchmark::DoNotOptimize(answer);
            }
            loop->send([&] { loop->destroyWindow(window); });
        });
        loop->runWhileAlive(window);
    }
    state.SetItemsProcessed(state.iterations() * sends);
}
BENCHMARK(BM_CrossThreadSendRoundTrip)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
