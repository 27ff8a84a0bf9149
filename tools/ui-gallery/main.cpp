// ui-gallery OUT_DIR [--window [--close-after MS]]: builds a host window with
// panels, images, buttons, nested translucent controls and a disabled one,
// and writes PNGs of it into OUT_DIR: the window, a cross-fade and a push at
// given frames, every close and show effect's frames as contact sheets, and
// every simple control in every state with the message boxes, and the list,
// the edit boxes and the combo box with an open drop-down and an open menu.
// With --window the same window stays up live (hover, press, Tab, Alt+G).

#include "CompoundControlsSection.h"
#include "ControlsGallery.h"
#include "GalleryOptions.h"

#include "ui/controls/ControlImages.h"
#include "ui/core/UiButtonBase.h"
#include "ui/core/UiEffects.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"
#include "ui/core/UiImage.h"
#include "ui/core/UiPanel.h"

#include "assets/Assets.h"
#include "gfx/Font.h"
#include "gfx/Painter.h"
#include "gfx/Shapes.h"
#include "gfx/TextPainter.h"
#include "platform/window/EventLoop.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace quorvo;
using namespace quorvo::ui;

class Button final : public UiButtonBase {
public:
    using UiButtonBase::UiButtonBase;
};

// A flat translucent rectangle with a label.
class Swatch final : public UiControl {
public:
    Swatch(FloatRect rect, gfx::Argb colour, Text label)
        : UiControl(rect, ControlKind::Label, false)
        , m_colour(colour)
    {
        setText(label);
    }
    void setColour(gfx::Argb colour)
    {
        if (colour == m_colour) {
            return;
        }
        m_colour = colour;
        update();
    }

protected:
    void paintEvent(PaintEvent& event) override
    {
        gfx::Painter& painter = event.painter();
        painter.clear(m_colour);
        gfx::drawText(painter, {4, 2, width() - 8, height() - 4}, text(), gfx::defaultFont(),
                      gfx::argb(255, 255, 255, 255), gfx::StringFormat(gfx::StringFormatFlags::NoWrap));
    }

private:
    gfx::Argb m_colour;
};

Bytes asset(std::string_view name)
{
    return Bytes(assets::asStringView(assets::find(name)));
}

struct Scene {
    Swatch* fade = nullptr;
    Swatch* push = nullptr;
};

Scene build(UiHost& host)
{
    host.onPaintBackground = [](gfx::Painter& painter, IntSize size) {
        const auto w = static_cast<float>(size.width);
        gfx::fillRect(painter, {5, 86, w - 10, 30}, gfx::argb(153, 255, 255, 255));
        gfx::fillGradient(painter, {5, 116, w - 10, 485}, gfx::argb(204, 255, 255, 255), gfx::argb(235, 255, 255, 255));
    };
    auto& page = host.add<UiPanel>(FloatRect {5, 86, 400, 515});
    page.add<UiImage>(FloatRect {20, 100, 26, 26}, asset("tab_search.png"));
    page.add<UiImage>(FloatRect {56, 100, 26, 26}, asset("tab_download.png"));
    page.add<UiImage>(FloatRect {92, 100, 26, 26}, asset("tab_settings.png"));
    page.add<UiImage>(FloatRect {140, 96, 64, 64}, asset("icon_64.png"));
    auto& ok = page.add<Button>(FloatRect {20, 180, 100, 28}, Text("&Go"));
    ok.setImage(asset("menu_author.png"));
    page.add<Button>(FloatRect {130, 180, 100, 28}, Text("Cancel"));
    auto& disabled = page.add<Button>(FloatRect {240, 180, 100, 28}, Text("Disabled"));
    disabled.setEnabled(false);
    // Nested translucent controls: each composed at its alpha over what lies below.
    auto& outer = page.add<Swatch>(FloatRect {20, 230, 360, 120}, gfx::argb(120, 0, 60, 160), Text("alpha 120"));
    auto& inner = outer.add<Swatch>(FloatRect {60, 260, 200, 70}, gfx::argb(255, 200, 40, 40), Text("alpha 160"));
    inner.setAlpha(160);
    auto& dimmed = page.add<Swatch>(FloatRect {20, 360, 170, 40}, gfx::argb(255, 0, 120, 0), Text("disabled: half"));
    dimmed.setEnabled(false);
    Scene scene;
    scene.fade = &page.add<Swatch>(FloatRect {20, 420, 170, 60}, gfx::argb(255, 0, 0, 200), Text("cross-fade"));
    scene.push = &page.add<Swatch>(FloatRect {210, 420, 170, 60}, gfx::argb(255, 0, 0, 200), Text("push left"));
    return scene;
}

// Frames side by side, `columns` per row, each scaled to `scale`.
gfx::Surface contactSheet(const std::vector<gfx::Surface>& frames, int columns, double scale)
{
    if (frames.empty()) {
        return {};
    }
    const int w = static_cast<int>(frames[0].width() * scale);
    const int h = static_cast<int>(frames[0].height() * scale);
    const int rows = (static_cast<int>(frames.size()) + columns - 1) / columns;
    gfx::Surface sheet = gfx::Surface::create(columns * (w + 4) + 4, rows * (h + 4) + 4);
    gfx::Painter painter(sheet);
    painter.clear(gfx::argb(255, 60, 60, 60));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const auto x = static_cast<float>(4 + static_cast<int>(i) % columns * (w + 4));
        const auto y = static_cast<float>(4 + static_cast<int>(i) / columns * (h + 4));
        painter.drawSurface(frames[i], {x, y, static_cast<float>(w), static_cast<float>(h)},
                            {0, 0, static_cast<float>(frames[i].width()), static_cast<float>(frames[i].height())});
    }
    return sheet;
}

bool write(const gfx::Surface& surface, const std::filesystem::path& path)
{
    if (!surface.writePng(path.string())) {
        std::fprintf(stderr, "ui-gallery: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("ui-gallery: wrote %s\n", path.c_str());
    return true;
}

// Runs a transition of `swatch` to `frame` and returns the window picture then.
gfx::Surface transitionFrame(UiFramework& framework, UiHost& host, Swatch& swatch, TransitionStyle style, int frame)
{
    swatch.setTransitionStyle(style);
    swatch.setTransition(4, std::chrono::milliseconds(40));
    swatch.setColour(gfx::argb(255, 220, 120, 0));
    while (swatch.isTransitionRunning() && swatch.transitionFrame() < frame) {
        framework.processPending();
    }
    gfx::Surface picture = host.backBuffer().copy();
    while (swatch.isTransitionRunning()) {
        framework.processPending();
    }
    return picture;
}

HostOptions hostOptions()
{
    HostOptions options;
    options.title = "ui-gallery";
    options.width = 410;
    options.height = 650;
    options.backgroundImage = asset("background.jpg");
    options.backgroundColour = 6060765;
    options.captionFlags = caption::Icon | caption::Title;
    options.layerAlpha = 190;
    options.frameStyle = 0;
    return options;
}

// The list, the edits and the combo box over the program's background, with
// the open drop-down and menus laid over it where their windows were.
bool writeCompoundControls(UiFramework& framework, const std::filesystem::path& directory)
{
    UiHost host(framework, hostOptions());
    host.show();
    for (int i = 0; i < 4; ++i) {
        framework.processPending();
    }
    const std::vector<ui::gallery::SectionPicture> popups = ui::gallery::addCompoundControls(host, {5, 90, 400, 520});
    for (int i = 0; i < 4; ++i) {
        framework.processPending();
    }
    gfx::Surface picture = host.backBuffer().copy();
    {
        gfx::Painter painter(picture);
        for (const auto& popup : popups) {
            painter.drawSurface(popup.picture, static_cast<float>(popup.at.x), static_cast<float>(popup.at.y));
        }
    }
    bool ok = write(picture, directory / "compound-controls.png");
    for (const auto& popup : popups) {
        ok = write(popup.picture, directory / (popup.name + ".png")) && ok;
    }
    return ok && popups.size() == 3;
}

int writePictures(UiFramework& framework, const std::filesystem::path& directory)
{
    std::error_code ignored;
    std::filesystem::create_directories(directory, ignored);
    UiHost host(framework, hostOptions());
    const Scene scene = build(host);
    host.show();
    for (int i = 0; i < 4; ++i) {
        framework.processPending();
    }
    bool ok = write(host.backBuffer(), directory / "host.png");
    ok = write(transitionFrame(framework, host, *scene.fade, TransitionStyle::CrossFade, 2),
               directory / "cross-fade-frame-2.png")
        && ok;
    ok = write(transitionFrame(framework, host, *scene.push, TransitionStyle::PushLeft, 1),
               directory / "push-left-frame-1.png")
        && ok;

    const gfx::Surface picture = host.backBuffer().copy();
    gfx::Surface frame = gfx::Surface::create(picture.width(), picture.height());
    for (const int effect : {1, 2, 3, 4, 5, 6, 7}) {
        std::vector<gfx::Surface> frames;
        for (int f = 1; f <= closeEffectFrameCount(effect); ++f) {
            drawEffectFrame(frame, picture, closeEffectFrame(effect, f, host.size()));
            frames.push_back(frame.copy());
        }
        ok = write(contactSheet(frames, 5, 0.25), directory / ("close-effect-" + std::to_string(effect) + ".png"))
            && ok;
    }
    for (const int effect : {1, 3, 4, 5, 7}) {
        std::vector<gfx::Surface> frames;
        for (int f = 1; f <= showEffectFrames; ++f) {
            drawEffectFrame(frame, picture, showEffectFrame(effect, f, host.size(), std::chrono::milliseconds(200)));
            frames.push_back(frame.copy());
        }
        ok = write(contactSheet(frames, 5, 0.25), directory / ("show-effect-" + std::to_string(effect) + ".png")) && ok;
    }
    // Every simple control in every state, and the message boxes.
    for (const auto& picture : ui::gallery::renderControlsGallery(framework)) {
        ok = !picture.picture.isNull() && write(picture.picture, directory / picture.name) && ok;
    }
    ok = writeCompoundControls(framework, directory) && ok;
    return ok ? 0 : 1;
}

int runWindow(UiFramework& framework, std::optional<std::chrono::milliseconds> closeAfter)
{
    HostOptions options = hostOptions();
    options.captionFlags = caption::Icon | caption::Title | caption::Close;
    UiHost host(framework, options);
    build(host);
    host.onMessage = [&](const WindowRequest& request) {
        if (request.kind == WindowRequestKind::Destroy) {
            framework.quit(0);
        }
        return notHandled;
    };
    host.setCloseEffect(7);
    host.show(7);
    if (closeAfter) {
        framework.dispatcher().post([&] {
            framework.loop().setTimer(host.window(), 9000, *closeAfter,
                                      [&](platform::WindowId, platform::TimerId) { host.requestClose(); });
        });
    }
    return framework.run();
}

int usage()
{
    std::fprintf(stderr, "usage: ui-gallery [OUT_DIR] [--window [--close-after MS]]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const auto options = quorvo::gallery::parseGalleryOptions({argv + 1, static_cast<std::size_t>(argc - 1)});
    if (options && options->help) {
        usage();
        return 0;
    }
    if (!options || (!options->output && !options->window)) {
        return usage();
    }
    std::string error;
    auto framework = UiFramework::create(&error);
    if (!framework) {
        std::fprintf(stderr, "ui-gallery: no window system: %s\n", error.c_str());
        return 1;
    }
    framework->setSkin({.windowIcon = loadEmbeddedImage("icon_16.png"),
                        .captionButtons = loadEmbeddedImage("caption_buttons.png.nosig")});
    int code = 0;
    if (options->output) {
        code = writePictures(*framework, *options->output);
    }
    if (options->window && code == 0) {
        code = runWindow(*framework, options->closeAfter);
    }
    gfx::releaseTextEngine();
    return code;
}
