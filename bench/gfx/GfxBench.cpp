// The two drawing costs every repaint pays: a caption with the glow effect,
// and composing a whole window frame from the controls' own surfaces.

#include "gfx/Shapes.h"
#include "gfx/Surface.h"
#include "gfx/TextPainter.h"
#include "runtime/Encoding.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace quorvo;
using namespace quorvo::gfx;

void captionWithGlow(benchmark::State& state)
{
    Surface target = Surface::create(410, 60);
    Painter painter(target);
    const Font font = createFont(encoding::fromUtf8("宋体"), 12.0f, FontStyle::Bold);
    const Text caption = encoding::fromUtf8("Quorvo 无损音乐下载");
    StringFormat format(StringFormatFlags::NoWrap);
    format.align(StringAlignment::Center);
    for (auto _ : state) {
        drawText(painter, {140, 18, 120, 25}, caption, font, 0xFFFFFFFF, format, TextEffect::Glow);
    }
}
BENCHMARK(captionWithGlow)->Unit(benchmark::kMicrosecond);

void captionPlain(benchmark::State& state)
{
    Surface target = Surface::create(410, 60);
    Painter painter(target);
    const Font font = createFont(encoding::fromUtf8("宋体"), 12.0f, FontStyle::Bold);
    const Text caption = encoding::fromUtf8("Quorvo 无损音乐下载");
    StringFormat format(StringFormatFlags::NoWrap);
    format.align(StringAlignment::Center);
    for (auto _ : state) {
        drawText(painter, {140, 18, 120, 25}, caption, font, 0xFFFFFFFF, format);
    }
}
BENCHMARK(captionPlain)->Unit(benchmark::kMicrosecond);

struct Control {
    Surface surface;
    float x;
    float y;
};

// Thirty controls of the main window's usual sizes: caption buttons, tabs,
// an edit box, buttons, two lists, labels, check boxes, a combo box, a scroll bar.
std::vector<Control> typicalControls()
{
    struct Size {
        int width;
        int height;
        float x;
        float y;
    };
    const Size sizes[30] = {
        {28, 20, 320, 4},   {28, 20, 350, 4},   {28, 20, 380, 4},    {120, 34, 10, 40},   {120, 34, 140, 40},
        {120, 34, 270, 40}, {300, 26, 10, 84},  {70, 26, 320, 84},   {390, 420, 10, 116}, {17, 420, 383, 116},
        {390, 24, 10, 116}, {70, 26, 10, 546},  {70, 26, 90, 546},   {70, 26, 170, 546},  {70, 26, 250, 546},
        {390, 20, 10, 580}, {200, 18, 10, 604}, {180, 18, 220, 604}, {16, 16, 10, 626},   {16, 16, 120, 626},
        {16, 16, 230, 626}, {90, 16, 30, 626},  {90, 16, 140, 626},  {90, 16, 250, 626},  {120, 24, 280, 624},
        {60, 18, 10, 10},   {180, 18, 80, 10},  {36, 36, 360, 80},   {100, 20, 150, 300}, {60, 60, 170, 200},
    };
    std::vector<Control> controls;
    for (const Size& size : sizes) {
        Control control {Surface::create(size.width, size.height), size.x, size.y};
        Painter painter(control.surface);
        fillGradient(painter, {0, 0, static_cast<float>(size.width) + 1, static_cast<float>(size.height) + 1},
                     0xE0FFFFFF, 0xC0D0D8E0);
        drawFrame(painter, {0, 0, static_cast<float>(size.width), static_cast<float>(size.height)}, frame::Solid);
        controls.push_back(std::move(control));
    }
    return controls;
}

void composeFrame(benchmark::State& state)
{
    Surface background = Surface::create(410, 650);
    {
        Painter painter(background);
        fillGradient(painter, {0, 0, 411, 651}, 0xFFF4F6F9, 0xFFDCE3EC);
    }
    const std::vector<Control> controls = typicalControls();
    Surface backBuffer = Surface::create(410, 650);
    Painter painter(backBuffer);
    for (auto _ : state) {
        painter.drawSurface(background, 0, 0);
        for (const Control& control : controls) {
            painter.drawSurface(control.surface, control.x, control.y);
        }
        benchmark::DoNotOptimize(backBuffer.rawPixel(200, 300));
    }
}
BENCHMARK(composeFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
