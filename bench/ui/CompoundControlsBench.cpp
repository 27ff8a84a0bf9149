// The compound controls' speed targets: filling a 10,000-row list, one wheel
// step on it with its repaint, and one typed character in a 1,000-character line.

#include "ui/controls/UiEdit.h"
#include "ui/controls/UiEditText.h"
#include "ui/controls/UiList.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"

#include "platform/window/EventLoop.h"
#include "platform/window/SyntheticInput.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

using namespace quorvo;
using namespace quorvo::ui;

struct Window {
    Window()
    {
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        framework = UiFramework::create();
        HostOptions options;
        options.captionFlags = 0;
        options.position = IntPoint {0, 0};
        options.width = 410;
        options.height = 650;
        host = std::make_unique<UiHost>(*framework, options);
    }
    std::unique_ptr<UiFramework> framework;
    std::unique_ptr<UiHost> host;
};

UiList& resultList(UiHost& host)
{
    UiList& list = host.add<UiList>(FloatRect {5, 100, 400, 400}, ListOptions {.checkBoxes = true});
    list.insertColumn(0, "title", 180);
    list.insertColumn(0, "artist", 120);
    list.insertColumn(0, "quality", 80);
    list.insertColumn(0, "id", 0);
    return list;
}

void fill(UiList& list, int rows)
{
    for (int row = 1; row <= rows; ++row) {
        const int number = list.appendRow("\xB8\xE8\xC7\xFA " + std::to_string(row));  // 歌曲 n
        list.model().setCellText(number, 2, "\xB8\xE8\xCA\xD6");                       // 歌手
        list.model().setCellText(number, 3, "FLAC");
        list.model().setCellText(number, 4, std::to_string(100000 + row));
    }
}

void BM_ListInsert10000Rows(benchmark::State& state)
{
    Window window;
    if (!window.framework) {
        state.SkipWithError("no window system");
        return;
    }
    UiList& list = resultList(*window.host);
    for (auto _ : state) {
        fill(list, 10000);
        state.PauseTiming();
        list.model().deleteAllRows();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ListInsert10000Rows)->Unit(benchmark::kMillisecond);

void BM_ListWheelStepRepaint(benchmark::State& state)
{
    Window window;
    if (!window.framework) {
        state.SkipWithError("no window system");
        return;
    }
    UiList& list = resultList(*window.host);
    fill(list, 10000);
    list.setVerticalPosition(5000 * list.layout().rowHeight);
    list.paintIfNeeded();
    const int step = 3 * list.layout().rowHeight;
    bool down = true;
    for (auto _ : state) {
        list.setVerticalPosition(-list.scrollY() + (down ? step : -step));
        list.paintIfNeeded();
        down = !down;
    }
}
BENCHMARK(BM_ListWheelStepRepaint)->Unit(benchmark::kMicrosecond);

// The same step as the user makes it: a wheel notch through the platform's
// translation and the host's routing, the list's repaint, the window's
// composition and its present.
void BM_ListWheelNotchThroughTheHost(benchmark::State& state)
{
    Window window;
    if (!window.framework) {
        state.SkipWithError("no window system");
        return;
    }
    UiHost& host = *window.host;
    UiList& list = resultList(host);
    fill(list, 10000);
    host.show();
    list.setVerticalPosition(5000 * list.layout().rowHeight);
    platform::EventLoop& loop = window.framework->loop();
    list.setFocus();  // the wheel goes to the focus
    for (int i = 0; i < 4; ++i)
        window.framework->processPending();
    int notches = -1;
    for (auto _ : state) {
        const int before = list.scrollY();
        platform::synthetic::mouseWheel(loop, host.window(), notches);
        window.framework->processPending();
        if (list.scrollY() == before) {
            state.SkipWithError("the wheel did not scroll");
            break;
        }
        notches = -notches;
    }
}
BENCHMARK(BM_ListWheelNotchThroughTheHost)->Unit(benchmark::kMicrosecond);

void BM_EditTypeOneCharacterInto1000CharacterLine(benchmark::State& state)
{
    Window window;
    if (!window.framework) {
        state.SkipWithError("no window system");
        return;
    }
    // A typical long line: words of Latin letters and runs of Chinese.
    std::string line;
    UiEditText counter;
    while (counter.lineLength(1) < 1000) {
        line += state.range(0) == 0 ? "lossless " : "\xCE\xDE\xCB\xF0\xD2\xF4\xC0\xD6";  // 无损音乐
        counter.setText(line);
    }
    line.resize(counter.byteInLine(1, 1000));
    UiEdit& edit = window.host->add<UiEdit>(FloatRect {10, 10, 300, 24}, Text(line));
    edit.setFocus();
    edit.select({1, 500}, {1, 500});
    edit.paintIfNeeded();
    // Each turn types one character and repaints; the untimed part puts the line back.
    for (auto _ : state) {
        edit.insertText("x");
        edit.paintIfNeeded();
        state.PauseTiming();
        edit.setEditText(Text(line));
        edit.select({1, 500}, {1, 500});
        edit.paintIfNeeded();
        state.ResumeTiming();
    }
    if (edit.model().lineLength(1) != 1000)
        state.SkipWithError("the line did not keep its length");
}
BENCHMARK(BM_EditTypeOneCharacterInto1000CharacterLine)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_EditTextInsertOneCharacterInto1000CharacterLine(benchmark::State& state)
{
    std::string line(1000, 'a');
    UiEditText model;
    model.setText(line);
    for (auto _ : state) {
        model.setCaret({1, 500});
        model.insert("x");
        model.deleteBackward();
    }
}
BENCHMARK(BM_EditTextInsertOneCharacterInto1000CharacterLine)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
