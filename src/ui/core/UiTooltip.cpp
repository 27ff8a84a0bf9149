#include "ui/core/UiTooltip.h"

#include "gfx/Font.h"
#include "gfx/Painter.h"
#include "gfx/Shapes.h"
#include "gfx/StringFormat.h"
#include "gfx/TextPainter.h"
#include "platform/window/EventLoop.h"

#include <algorithm>
#include <cmath>

namespace quorvo::ui {

namespace {

constexpr platform::TimerId delayTimer = 1;
constexpr int padding = 4;

gfx::StringFormat tipFormat()
{
    gfx::StringFormat format;
    format.hotkeyPrefix(gfx::HotkeyPrefix::None);
    return format;
}

}  // namespace

UiTooltip::UiTooltip(platform::EventLoop& loop, platform::WindowId owner)
    : m_loop(loop)
    , m_owner(owner)
    , m_self(std::make_shared<UiTooltip*>(this))
{ }

UiTooltip::~UiTooltip()
{
    if (m_window) {
        m_loop.destroyWindow(m_window);
    }
}

void UiTooltip::setTool(const FloatRect& area, const Text& text)
{
    if (text.empty()) {
        clear();
        return;
    }
    if (text == m_text && area == m_area) {
        return;
    }
    hideTip();
    m_area = area;
    m_text = text;
    arm();
}

void UiTooltip::clear()
{
    hideTip();
    m_text = {};
    m_area = {};
}

void UiTooltip::pointerMoved(IntPoint position)
{
    m_pointer = position;
    if (m_text.empty()) {
        return;
    }
    const FloatPoint point {static_cast<float>(position.x), static_cast<float>(position.y)};
    if (!m_area.contains(point)) {
        hideTip();
        return;
    }
    if (!m_shown) {
        arm();
    }
}

void UiTooltip::pointerPressed()
{
    hideTip();
}

void UiTooltip::pointerLeft()
{
    hideTip();
}

void UiTooltip::arm()
{
    m_armed = true;
    m_loop.setTimer(m_owner, static_cast<platform::TimerId>(0x7100) + delayTimer, initialDelay,
                    [weak = std::weak_ptr<UiTooltip*>(m_self)](platform::WindowId, platform::TimerId) {
                        if (const auto tip = weak.lock()) {
                            (*tip)->popUp();
                        }
                    });
}

void UiTooltip::popUp()
{
    m_loop.killTimer(m_owner, static_cast<platform::TimerId>(0x7100) + delayTimer);
    m_armed = false;
    if (m_text.empty() || !m_loop.isWindow(m_owner)) {
        return;
    }
    const gfx::Font& font = gfx::defaultFont();
    const gfx::StringFormat format = tipFormat();
    gfx::Surface scratch = gfx::Surface::create(1, 1);
    FloatRect box;
    {
        gfx::Painter measure(scratch);
        box = gfx::measureString(measure, m_text, font, format, {0, 0, maxWidth - 2 * padding, 4096});
    }
    const int width = static_cast<int>(std::ceil(box.width)) + 2 * padding;
    const int height = static_cast<int>(std::ceil(box.height)) + 2 * padding;
    m_picture = gfx::Surface::create(width, height, m_loop.scale());
    {
        gfx::Painter painter(m_picture);
        painter.clear(gfx::argb(255, 255, 255, 225));
        gfx::drawFrame(painter, {0, 0, static_cast<float>(width), static_cast<float>(height)}, gfx::frame::Solid,
                       gfx::argb(255, 118, 118, 118));
        gfx::drawText(painter,
                      {static_cast<float>(padding), static_cast<float>(padding), box.width + 1, box.height + 1}, m_text,
                      font, gfx::argb(255, 0, 0, 0), format);
    }
    const auto owner = m_loop.bounds(m_owner);
    const IntPoint at {owner.x + m_pointer.x, owner.y + m_pointer.y + 20};
    if (!m_window) {
        platform::WindowOptions options;
        options.kind = platform::WindowKind::Tooltip;
        options.owner = m_owner;
        options.width = width;
        options.height = height;
        options.position = {at.x, at.y};
        m_window = m_loop.createWindow(options);
        if (!m_window) {
            return;
        }
    } else {
        m_loop.resize(m_window, width, height);
        m_loop.move(m_window, {at.x, at.y});
    }
    // Shown on top without taking the keyboard: the owner keeps the focus and
    // its place in the stack (giving the focus back would raise the owner
    // over the tip, and a menu would read the focus change as its end).
    m_loop.show(m_window);
    m_loop.present(m_window, {m_picture.data(), m_picture.pixelWidth(), m_picture.pixelHeight(), m_picture.stride()});
    m_shown = true;
}

void UiTooltip::hideTip()
{
    if (m_armed) {
        m_loop.killTimer(m_owner, static_cast<platform::TimerId>(0x7100) + delayTimer);
        m_armed = false;
    }
    if (m_shown && m_window) {
        m_loop.hide(m_window);
    }
    m_shown = false;
}

}  // namespace quorvo::ui
