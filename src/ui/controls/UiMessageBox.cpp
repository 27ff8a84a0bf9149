#include "ui/controls/UiMessageBox.h"

#include "ui/controls/ControlImages.h"
#include "ui/controls/UiLabel.h"
#include "ui/controls/UiMessageBoxButton.h"

#include "assets/Layout.h"
#include "gfx/Font.h"
#include "gfx/Painter.h"
#include "gfx/TextPainter.h"
#include "platform/audio/SoundPlayer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace quorvo::ui {

namespace {

namespace layout = assets::layout;

constexpr std::string_view defaultTitle = "\xCC\xE1\xCA\xBE\xA3\xBA";  // 提示：
constexpr std::uint32_t fallbackColour = 0xFF8800;
constexpr int fallbackLayerAlpha = 210;

FloatSize measureText(const Text& text)
{
    if (text.empty())
        return {};
    gfx::Surface scratch = gfx::Surface::create(1, 1);
    gfx::Painter painter(scratch);
    const gfx::StringFormat format(gfx::StringFormatFlags::NoWrap);
    const FloatRect box = gfx::measureString(painter, text, gfx::defaultFont(), format, {0, 0, 100000, 100000});
    return {box.width, box.height};
}

// A short tone, pitched by the icon, as a complete 16-bit mono WAVE image.
std::vector<std::byte> beepSound(int icon)
{
    constexpr int rate = 22050;
    constexpr int samples = rate / 8;
    const double pitch = icon == 16 ? 440.0 : icon == 48 ? 660.0 : 880.0;
    std::vector<std::byte> wave(44 + samples * 2);
    const auto put32 = [&](std::size_t at, std::uint32_t value) { std::memcpy(&wave[at], &value, 4); };
    const auto put16 = [&](std::size_t at, std::uint16_t value) { std::memcpy(&wave[at], &value, 2); };
    std::memcpy(&wave[0], "RIFF", 4);
    put32(4, std::uint32_t(36 + samples * 2));
    std::memcpy(&wave[8], "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, 1);
    put32(24, rate);
    put32(28, rate * 2);
    put16(32, 2);
    put16(34, 16);
    std::memcpy(&wave[36], "data", 4);
    put32(40, samples * 2);
    for (int i = 0; i < samples; ++i) {
        // Faded in and out so that it does not click.
        const double envelope = std::min(1.0, std::min(i, samples - i) / 200.0);
        const double value = std::sin(2.0 * M_PI * pitch * i / rate) * envelope * 6000.0;
        put16(44 + std::size_t(i) * 2, std::uint16_t(std::int16_t(value)));
    }
    return wave;
}

HostOptions boxHostOptions(const UiHost* owner, const MessageBoxOptions& options, const IntRect& box)
{
    HostOptions host;
    host.title = options.title ? *options.title : Text(defaultTitle);
    host.position = box.origin();
    host.width = box.width;
    host.height = box.height;
    host.popup = true;
    host.owner = owner;
    host.captionFlags = options.captionFlags;
    host.closeEffect = options.closeEffect;
    if (options.skin) {
        host.backgroundImage = options.skin->image;
        host.backgroundColour = options.skin->colour;
        host.layerAlpha = options.skin->layerAlpha;
        host.imageMode = options.skin->imageMode;
        host.frameStyle = options.skin->frameStyle;
        host.margins = options.skin->margins;
    } else if (owner != nullptr) {
        host.backgroundImage = owner->backgroundBytes();
        host.backgroundColour = owner->backgroundColour();
        host.layerAlpha = owner->layerAlpha();
        host.imageMode = owner->imageMode();
        // A skin stretched over the owner would not fit the box: it gets rounded corners instead.
        host.frameStyle = owner->frameStyle() == 1 ? 7 : owner->frameStyle();
        host.margins = owner->margins();
    } else {
        host.backgroundColour = fallbackColour;
        host.layerAlpha = fallbackLayerAlpha;
    }
    return host;
}

void paintDecoration(gfx::Painter& painter, IntSize size, std::optional<int> iconCell)
{
    const gfx::Image& decoration = messageDecoration();
    const float piece = layout::decorationPieceSize;
    const float border = layout::decorationBorder;
    const FloatRect centre {border, border, piece - 2 * border, piece - 2 * border};
    const float w = float(size.width);
    const float h = float(size.height);
    const gfx::Image panel = cutOutImage(decoration, {float(layout::decorationPanelX), 0, piece, piece});
    const gfx::Image bar = cutOutImage(decoration, {float(layout::decorationButtonBarX), 0, piece, piece});
    if (!panel.isNull())
        gfx::drawNineGrid(painter, panel, {12, 32, w - 24, h - 76}, centre);
    if (!bar.isNull())
        gfx::drawNineGrid(painter, bar, {6, h - 40, w - 12, 34}, centre);
    if (iconCell) {
        const float cell = layout::messageIconSize;
        const IntRect at = messageIconRect;
        gfx::drawImage(painter, messageIconSheet(), {float(at.x), float(at.y), float(at.width), float(at.height)},
                       FloatRect {float(*iconCell), 0, cell, cell});
    }
}

}  // namespace

MessageBoxResult messageBox(UiFramework& framework, const UiHost* owner, const Text& text,
                            const MessageBoxOptions& options)
{
    const std::vector<MessageBoxButton> buttons = messageBoxButtons(options.buttons, options.customCaptions);
    const std::optional<int> iconCell = messageIconCell(options.icon);

    const UiHost* liveOwner = owner != nullptr && owner->isAlive() ? owner : nullptr;
    const bool onOwner = options.centreOnOwner && liveOwner != nullptr;
    const IntRect reference = onOwner ? owner->screenBounds() : framework.workArea();
    const MessageBoxGeometry geometry
        = layoutMessageBox(measureText(text), iconCell.has_value(), reference, int(buttons.size()));

    UiHost box(framework, boxHostOptions(liveOwner, options, geometry.box));
    if (!box.isAlive())
        return MessageBoxResult::Cancel;
    box.onPaintBackground
        = [iconCell](gfx::Painter& painter, IntSize size) { paintDecoration(painter, size, iconCell); };
    // The background was rendered before the painter above was set.
    box.setBackground(std::nullopt, std::nullopt, BackgroundTransition::RenderOnly, true);

    MessageBoxResult result = MessageBoxResult::Cancel;
    std::vector<UiMessageBoxButton*> made;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const IntRect r = geometry.buttons[i];
        auto& button = box.add<UiMessageBoxButton>(r.to<float>(), buttons[i].caption, buttons[i].code, int(i) + 1);
        button.bind(EventType::Click, [&result, &box, code = buttons[i].code] {
            result = code;
            box.requestClose();
        });
        made.push_back(&button);
    }
    box.add<UiLabel>(geometry.textArea, text);

    const int focus = std::clamp(options.defaultButton, 1, int(made.size())) - 1;
    made[std::size_t(focus)]->setFocus(false);

    if (options.onCreated)
        options.onCreated(box, geometry.box.width, geometry.box.height);

    // Both kept for the whole loop: the tone plays in the background.
    std::vector<std::byte> tone;
    std::unique_ptr<platform::SoundPlayer> speaker;
    if (iconCell && options.beep) {
        tone = beepSound(options.icon);
        speaker = std::make_unique<platform::SoundPlayer>();
        speaker->play(tone);
    }

    box.show(options.showEffect);
    box.activate();
    box.setAlwaysOnTop(true);
    box.runModal();
    return result;
}

}  // namespace quorvo::ui
