// The framework's speed targets: a full 410 x 650 repaint with 30 controls
// (target 2 ms; at the desktop scale 2, 820 x 1300 device pixels, 8 ms), a
// one-control repaint (0.3 ms), 10,000 cross-thread posts handled (50 ms),
// and the CPU an idle bound window uses (0 %).
//
// Runs on SDL's dummy driver unless a display is set (SDL_VIDEODRIVER=x11
// under Xvfb for the idle measurement: the dummy driver polls).

#include "ui/core/UiButtonBase.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"
#include "ui/core/UiPanel.h"
#include "ui/core/UiRef.h"

#include "assets/Assets.h"
#include "gfx/Painter.h"
#include "platform/window/EventLoop.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

using namespace quorvo;
using namespace quorvo::ui;

class Button final : public UiButtonBase {
public:
    using UiButtonBase::UiButtonBase;
};

class Block final : public UiControl {
public:
    explicit Block(FloatRect rect)
        : UiControl(rect)
    { }
    int value = 0;

protected:
    void paintEvent(PaintEvent& event) override { event.painter().clear(0x80000000u | static_cast<unsigned>(value)); }
};

struct Window {
    std::unique_ptr<UiFramework> framework;
    std::unique_ptr<UiHost> host;
    std::vector<UiControl*> controls;

    explicit Window(int scale)
    {
        if (std::getenv("SDL_VIDEODRIVER") == nullptr) {
            ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        }
        ::setenv("QUORVO_SCALE", std::to_string(scale).c_str(), 1);
        framework = UiFramework::create();
        HostOptions options;
        options.width = 410;
        options.height = 650;
        options.position = IntPoint {0, 0};
        options.backgroundImage = Bytes(assets::asStringView(assets::find("background.jpg")));
        options.backgroundColour = 6060765;
        options.captionFlags = caption::Title;
        options.layerAlpha = 190;
        options.frameStyle = 0;
        host = std::make_unique<UiHost>(*framework, options);
        auto& page = host->add<UiPanel>(FloatRect {5, 86, 400, 515});
        for (int i = 0; i < 29; ++i) {
            const auto x = static_cast<float>(15 + (i % 3) * 130);
            const auto y = static_cast<float>(100 + (i / 3) * 48);
            if (i % 2 == 0) {
                controls.push_back(&page.add<Button>(FloatRect {x, y, 120, 40}, Text("Button")));
            } else {
                controls.push_back(&page.add<Block>(FloatRect {x, y, 120, 40}));
            }
        }
        host->show();
        pump();
    }
    void pump()
    {
        for (int i = 0; i < 3; ++i) {
            framework->processPending();
        }
    }
};

// One window at a time (one event loop per process): asking for another
// scale closes the window of the previous one.
Window& window(int scale = 1)
{
    static std::unique_ptr<Window> instance;
    static int instanceScale = 0;
    if (!instance || instanceScale != scale) {
        instance.reset();
        instance = std::make_unique<Window>(scale);
        instanceScale = scale;
    }
    return *instance;
}

// Argument: the desktop scale.
void BM_FullRepaint30Controls(benchmark::State& state)
{
    Window& w = window(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        w.host->repaintAll();
    }
}
BENCHMARK(BM_FullRepaint30Controls)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_OneControlRepaint(benchmark::State& state)
{
    Window& w = window();
    auto* block = static_cast<Block*>(w.controls[1]);
    for (auto _ : state) {
        block->value ^= 0xFF;
        block->update();
        w.framework->processPending();
    }
}
BENCHMARK(BM_OneControlRepaint)->Unit(benchmark::kMicrosecond);

void BM_CrossThreadPosts(benchmark::State& state)
{
    Window& w = window();
    auto* block = static_cast<Block*>(w.controls[1]);
    const UiRef<Block> ref = block->weakRef<Block>();
    constexpr int postCount = 10000;
    for (auto _ : state) {
        std::atomic<int> handled {0};
        std::thread worker([&] {
            for (int i = 0; i < postCount; ++i) {
                ref.post([&handled, i](Block& target) {
                    target.value = i & 0xFF;
                    ++handled;
                });
            }
        });
        while (handled.load() < postCount) {
            w.framework->processPending();
        }
        worker.join();
    }
    state.SetItemsProcessed(state.iterations() * postCount);
}
BENCHMARK(BM_CrossThreadPosts)->Unit(benchmark::kMillisecond);

// CPU time the user-interface thread spends while the bound window idles for ten seconds.
void BM_IdleWindowCpu(benchmark::State& state)
{
    Window& w = window();
    for (auto _ : state) {
        rusage before {};
        getrusage(RUSAGE_SELF, &before);
        w.framework->loop().setTimer(w.host->window(), 7777, std::chrono::seconds(10),
                                     [&](platform::WindowId, platform::TimerId) { w.framework->quit(0); });
        w.framework->run();
        rusage after {};
        getrusage(RUSAGE_SELF, &after);
        const auto cpu = [](const rusage& r) {
            return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec)
                + static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
        };
        state.counters["cpu_percent"] = (cpu(after) - cpu(before)) * 10.0;
    }
}
BENCHMARK(BM_IdleWindowCpu)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
