#include "app/MainWindowParts.h"

#include "app/Captions.h"
#include "assets/Assets.h"
#include "gfx/Color.h"
#include "gfx/Painter.h"
#include "gfx/Path.h"
#include "gfx/Shapes.h"
#include "platform/window/EventLoop.h"
#include "platform/window/TrayIcon.h"
#include "ui/controls/UiCaptionButtons.h"
#include "ui/controls/UiLabel.h"
#include "ui/controls/UiMessageBox.h"

namespace quorvo::app {

TrayIcon::TrayIcon(ui::UiHost& owner, const Text& tip)
    : m_owner(owner)
{
    // The tray scales the picture to its own icon size (about 22 to 24 pixels on most panels).
    const gfx::Image picture = gfx::loadImage(assets::asStringView(assets::find("icon_24.png")));
    platform::PixelView pixels;
    if (!picture.isNull()) {
        const gfx::Surface& frame = picture.activeFrame();
        pixels = {frame.data(), frame.width(), frame.height(), frame.stride()};
    }
    m_kept = owner.loop().keepTrayIcon(owner.window(), pixels, platform::TrayIcon::cutTooltip(tip));
}

TrayIcon::~TrayIcon()
{
    remove();
}

bool TrayIcon::isDocked() const
{
    return m_kept && m_owner.isAlive() && m_owner.loop().isTrayIconDocked(m_owner.window());
}

void TrayIcon::remove()
{
    // Gone already when the owner's window was destroyed first.
    if (m_kept && m_owner.isAlive())
        m_owner.loop().removeTrayIcon(m_owner.window());
    m_kept = false;
}

void LabelStatusLine::showStatusMessage(const Text& text, download::MessageColour colour)
{
    const gfx::Argb opaque = gfx::argb(254, colour.red, colour.green, colour.blue);
    m_label.setCaption(text);
    m_label.setGradient(gfx::GradientMode::Horizontal, opaque, opaque);
    m_label.setBorderColour(opaque);
    m_label.setAlpha(255);
    m_label.setVisible(true);
}

void LabelStatusLine::setStatusAlpha(int alpha)
{
    m_label.setAlpha(alpha);
}

void LabelStatusLine::hideStatusLine()
{
    m_label.setVisible(false);
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
