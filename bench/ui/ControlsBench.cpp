// What a repaint of the simple controls costs: painting each control's
// surface once, and recomposing a whole host that holds one of each.

#include "ui/controls/ControlImages.h"
#include "ui/controls/UiCaptionButtons.h"
#include "ui/controls/UiCheckBox.h"
#include "ui/controls/UiImageButton.h"
#include "ui/controls/UiLabel.h"
#include "ui/controls/UiLink.h"
#include "ui/controls/UiRadioButton.h"
#include "ui/controls/UiScrollBar.h"
#include "ui/controls/UiTabButton.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"

#include "assets/Assets.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

using namespace quorvo;
using namespace quorvo::ui;

Bytes asset(std::string_view name)
{
    return Bytes(assets::asStringView(assets::find(name)));
}

// One framework and one main-window-like host for the whole run.
struct Stage {
    Stage()
    {
        ::setenv("SDL_VIDEODRIVER", "dummy", 0);
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);
        framework = UiFramework::create();
        framework->setSkin({.windowIcon = loadEmbeddedImage("icon_16.png"),
                            .captionButtons = loadEmbeddedImage("caption_buttons.png.nosig")});
        installCaptionButtons(*framework);
        HostOptions options;
        options.width = 410;
        options.height = 650;
        options.position = IntPoint {0, 0};
        options.captionFlags = caption::Close | caption::Minimise | caption::Menu;
        options.backgroundImage = asset("background.jpg");
        options.backgroundColour = 6060765;
        options.frameStyle = 0;
        host = std::make_unique<UiHost>(*framework, options);
        host->show();

        ImageStrip strip;
        strip.image = asset("button_start.png");
        controls.push_back(&host->add<UiImageButton>(FloatRect {130, 610, 20, 20}, strip));
        ButtonOptions tabOptions;
        tabOptions.appearance = 4;
        tabOptions.textColour = gfx::argb(254, 255, 255, 255);
        controls.push_back(&host->add<UiTabButton>(FloatRect {115, 41, 60, 45}, "\xCB\xD1\xCB\xF7",
                                                   asset("tab_search.png"), tabOptions, gfx::argb(81, 0, 0, 0)));
        controls.push_back(&host->add<UiCheckBox>(FloatRect {20, 120, 120, 25}, "\xD7\xD4\xB6\xAF"));
        controls.push_back(&host->add<UiRadioButton>(FloatRect {20, 150, 120, 25}, "\xC9\xF9\xD2\xF4", 1));
        LabelOptions labelOptions;
        labelOptions.textEffect = gfx::TextEffect::Glow;
        labelOptions.effectColour = gfx::argb(153, 0, 0, 0);
        controls.push_back(&host->add<UiLabel>(FloatRect {15, 200, 120, 25}, "128 KB/s", labelOptions));
        controls.push_back(&host->add<UiLink>(FloatRect {15, 230, 40, 25}, "\xC8\xAB\xD1\xA1"));
        controls.push_back(&host->add<UiScrollBar>(FloatRect {390, 115, 10, 460}, ScrollOrientation::Vertical));
        for (UiControl* button : host->captionButtons())
            controls.push_back(button);
        framework->processPending();
    }

    std::unique_ptr<UiFramework> framework;
    std::unique_ptr<UiHost> host;
    std::vector<UiControl*> controls;
};

Stage& stage()
{
    static Stage instance;
    return instance;
}

void paintOnce(benchmark::State& state)
{
    UiControl& control = *stage().controls.at(std::size_t(state.range(0)));
    for (auto _ : state) {
        control.update();
        control.paintIfNeeded();
    }
    stage().framework->processPending();
}
// 0 image button, 1 tab, 2 check box, 3 radio, 4 label (glow), 5 link, 6 scroll bar, 7.. caption buttons
BENCHMARK(paintOnce)->DenseRange(0, 7)->Unit(benchmark::kMicrosecond);

void fullRepaint(benchmark::State& state)
{
    UiHost& host = *stage().host;
    for (auto _ : state) {
        for (UiControl* control : stage().controls)
            control->update();
        host.repaintAll();
    }
    stage().framework->processPending();
}
BENCHMARK(fullRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
