#include "app/MainWindowParts.h"

#include "app/Captions.h"
#include "assets/Assets.h"
#include "gfx/Color.h"
#include "gfx/Painter.h"
#include "gfx/Path.h"
#include "gfx/Shapes.h"
#include "ui/controls/UiCaptionButtons.h"
#include "ui/controls/UiMessageBox.h"

namespace quorvo::app {

TrayIcon::TrayIcon(ui::UiHost& owner, const Text& tip)
{
    // The tray scales the picture to its own icon size (about 22 to 24 pixels on most panels).
    const gfx::Image picture = gfx::loadImage(assets::asStringView(assets::find("icon_24.png")));
    m_icon.add(owner, tip, picture);
}

SpinButton::SpinButton(FloatRect rect, bool up)
    : ui::UiButtonBase(rect, Text())
    , m_up(up)
{
    setFocusable(false);
}

bool SpinButton::paintButton(gfx::Painter& painter, ui::ButtonState state)
{
    const float w = width();
    const float h = height();
    const int alpha = state == ui::ButtonState::Pressed ? 90 : state == ui::ButtonState::Hover ? 60 : 30;
    gfx::fillRect(painter, {0, 0, w, h}, gfx::argb(alpha, 0, 96, 192));
    // A small triangle pointing up or down.
    const float cx = w / 2;
    const float cy = h / 2;
    const float half = std::min(4.0f, h / 2 - 1);
    for (int line = 0; line < static_cast<int>(half); ++line) {
        const float y = m_up ? cy - half / 2 + static_cast<float>(line) : cy + half / 2 - static_cast<float>(line);
        gfx::drawLine(painter, gfx::argb(190, 0, 0, 0), cx - static_cast<float>(line), y,
                      cx + static_cast<float>(line) + 1, y);
    }
    return true;
}

namespace {

// Button set 1: "确认" (code 0) and "取消" (code 1).
ui::MessageBoxOptions question(int icon)
{
    ui::MessageBoxOptions options;
    options.buttons = ui::MessageBoxButtons::OkCancel;
    options.icon = icon;
    return options;
}

}  // namespace

bool isMenuCaptionButton(const ui::UiControl& control)
{
    const auto* button = dynamic_cast<const ui::UiCaptionButtons*>(&control);
    return button && button->buttonKind() == ui::CaptionButtonKind::Menu;
}

ExitAnswer askExitQuestion(ui::UiHost& owner)
{
    ui::MessageBoxOptions options = question(64);
    options.customCaptions = {Text(caption::exitKeep), Text(caption::exitConfirm)};
    options.defaultButton = 2;
    const ui::MessageBoxResult answer = ui::messageBox(owner.framework(), &owner, Text(caption::exitQuestion), options);
    return answer == ui::MessageBoxResult::Ok ? ExitAnswer::Exit : ExitAnswer::Keep;
}

bool askDelete(ui::UiHost& owner)
{
    return ui::messageBox(owner.framework(), &owner, Text(caption::deleteQuestion), question(48))
        == ui::MessageBoxResult::Ok;
}

bool showCopyTo(ui::UiHost& owner)
{
    return ui::messageBox(owner.framework(), &owner, Text(caption::copyToMessage), question(64))
        == ui::MessageBoxResult::Ok;
}

}  // namespace quorvo::app
