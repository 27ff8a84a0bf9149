#include "ui/core/UiHost.h"

#include "ui/core/UiEffects.h"
#include "ui/core/UiImage.h"
#include "ui/core/UiRenderer.h"
#include "ui/core/UiRepaintQueue.h"
#include "ui/core/UiTooltip.h"

#include "gfx/Font.h"
#include "gfx/Painter.h"
#include "gfx/StringFormat.h"
#include "gfx/TextPainter.h"
#include "platform/window/EventLoop.h"

#include <algorithm>
#include <cassert>
#include <cctype>

namespace quorvo::ui {

namespace {

template <class... Ts> struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

// The window title in the caption: white at alpha 250, default font.
class CaptionTitle final : public UiControl {
public:
    explicit CaptionTitle(FloatRect rect, const Text& title)
        : UiControl(rect, ControlKind::Label, false)
    {
        setText(title);
    }

    float textWidth() const
    {
        gfx::Surface scratch = gfx::Surface::create(1, 1);
        gfx::Painter painter(scratch);
        const FloatRect box = gfx::measureString(painter, text(), gfx::defaultFont(), format(), {0, 0, 4096, 64});
        return box.width;
    }

protected:
    void paintEvent(PaintEvent& event) override
    {
        gfx::drawText(event.painter(), {0, 0, width(), height()}, text(), gfx::defaultFont(),
                      gfx::argb(250, 255, 255, 255), format());
    }

private:
    static gfx::StringFormat format()
    {
        gfx::StringFormat result(gfx::StringFormatFlags::NoWrap);
        result.trimming(gfx::StringTrimming::EllipsisCharacter);
        return result;
    }
};

platform::SystemCursor systemCursor(Cursor cursor)
{
    switch (cursor) {
    case Cursor::IBeam:
        return platform::SystemCursor::IBeam;
    case Cursor::Wait:
        return platform::SystemCursor::Wait;
    case Cursor::Hand:
        return platform::SystemCursor::Hand;
    case Cursor::SizeWE:
        return platform::SystemCursor::SizeWE;
    case Cursor::SizeNS:
        return platform::SystemCursor::SizeNS;
    case Cursor::SizeNWSE:
        return platform::SystemCursor::SizeNWSE;
    case Cursor::SizeNESW:
        return platform::SystemCursor::SizeNESW;
    case Cursor::SizeAll:
        return platform::SystemCursor::SizeAll;
    case Cursor::No:
        return platform::SystemCursor::No;
    default:
        return platform::SystemCursor::Arrow;
    }
}

constexpr std::intptr_t fadeTimer = -1;
constexpr std::intptr_t effectTimer = -2;

}  // namespace

UiHost::UiHost(UiFramework& framework, HostOptions options)
    : m_framework(framework)
    , m_self(std::make_shared<UiHost*>(this))
{
    const int width = std::max(1, options.width);
    const int height = std::max(1, options.height);
    platform::WindowOptions window;
    window.kind = options.popup ? platform::WindowKind::Popup : platform::WindowKind::TopLevel;
    window.title = options.title;
    const IntPoint position = options.position.value_or(framework.centredPosition(width, height));
    window.position = {position.x, position.y};
    window.width = width;
    window.height = height;
    if (options.owner != nullptr) {
        window.owner = options.owner->window();
    }
    const std::uint32_t rgb = options.backgroundColour;
    window.backdrop = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
    window.translucent = options.layerAlpha >= 0;
    m_window = loop().createWindow(window);
    m_size = {width, height};

    unsigned flags = options.captionFlags.value_or(caption::FromStyle);
    if (!options.captionFlags || (flags & caption::FromStyle) != 0) {
        flags |= caption::Icon | caption::Title | caption::Close | caption::Maximise | caption::Minimise;
    }
    m_captionFlags = flags | caption::SoftFrame;
    m_layerAlpha = options.layerAlpha < 0 ? -1 : std::min(options.layerAlpha, 255);
    m_imageMode = options.imageMode;
    m_frameStyle = options.frameStyle;
    m_resizable = options.resizable;
    m_dragAnywhere = options.dragAnywhere;
    m_imageFrame = options.imageFrame;
    m_frameColour = options.frameColour;
    m_margins = options.margins;
    m_closeEffect = options.closeEffect;
    m_renderer = std::make_unique<UiRenderer>(m_size, deviceScale());
    m_queue = std::make_unique<UiRepaintQueue>();
    if (!m_window) {
        m_destroyed = true;
        return;
    }
    loop().setWindowHandler(m_window, [this](const platform::WindowEvent& event) { handleEvent(event); });
    m_tooltip = std::make_unique<UiTooltip>(loop(), m_window);

    busyBegin();
    createCaption();
    busyEnd();
    setBackground(std::move(options.backgroundImage), options.backgroundColour, BackgroundTransition::RenderOnly);
    m_deferredRepaints.clear();
    m_queue->clear();
}

UiHost::~UiHost()
{
    // The program is destroying the host itself: its callbacks (which may
    // capture objects already gone) are not called any more.
    onPress = {};
    onRelease = {};
    onClick = {};
    onDoubleClick = {};
    onRightPress = {};
    onRightRelease = {};
    onMouseEnter = {};
    onMouseLeave = {};
    onFocusGained = {};
    onFocusLost = {};
    onSize = {};
    onMessage = {};
    onPaintBackground = {};
    if (!m_destroyed && loop().isWindow(m_window)) {
        loop().destroyWindow(m_window);
    }
    if (!m_destroyed) {
        onDestroy();
    }
    m_self.reset();
}

bool UiHost::isAlive() const
{
    return !m_destroyed && loop().isWindow(m_window);
}

// ---- tree ----

void UiHost::adopt(std::unique_ptr<UiControl> control)
{
    UiControl& c = *control;
    m_controls.push_back(std::move(control));
    c.linked(*this, nullptr);
}

std::vector<std::unique_ptr<UiControl>>& UiHost::siblingsOf(UiControl& control)
{
    return control.m_parent != nullptr ? control.m_parent->m_children : m_controls;
}

UiControl* UiHost::findControl(ControlKind kind, const UiControl* after) const
{
    bool searching = after == nullptr;
    for (const auto& control : m_controls) {
        if (!searching) {
            searching = control.get() == after;
            continue;
        }
        if (control->kind() == kind) {
            return control.get();
        }
    }
    return nullptr;
}

UiControl* UiHost::hitTest(FloatPoint point) const
{
    UiControl* hit = nullptr;
    std::span<const std::unique_ptr<UiControl>> level = m_controls;
    for (;;) {
        UiControl* found = nullptr;
        for (auto it = level.rbegin(); it != level.rend(); ++it) {
            UiControl& control = **it;
            if (control.isVisible() && control.isEnabled() && control.containsPoint(point)) {
                found = &control;
                break;
            }
        }
        if (found == nullptr) {
            return hit;
        }
        hit = found;
        level = found->children();
    }
}

void UiHost::forget(UiControl& control)
{
    // A hidden control keeps no press and no hover.
    if (m_pressed == &control || (m_pressed != nullptr && control.isAncestorOf(*m_pressed))) {
        if (m_pressActive) {
            loop().releaseCapture();
        }
        m_pressActive = false;
    }
    if (m_hover == &control || (m_hover != nullptr && control.isAncestorOf(*m_hover))) {
        m_hover = nullptr;
        updateCursor();
    }
    if (m_tooltipControl == &control) {
        updateTooltip(nullptr);
    }
}

void UiHost::controlDestroyed(UiControl& control)
{
    if (m_pressed == &control) {
        if (m_pressActive) {
            loop().releaseCapture();
        }
        m_pressed = nullptr;
        m_pressActive = false;
    }
    if (m_focus == &control) {
        m_focus = nullptr;
        updateTextInput();
    }
    if (m_hover == &control) {
        m_hover = nullptr;
    }
    if (m_keyboardFocus == &control) {
        m_keyboardFocus = nullptr;
    }
    if (m_tooltipControl == &control) {
        m_tooltipControl = nullptr;
        m_tooltipText = {};
    }
    std::erase_if(m_mnemonics, [&](const auto& entry) { return entry.first == &control; });
    std::erase(m_captionButtons, &control);
    if (m_iconControl == &control) {
        m_iconControl = nullptr;
    }
    if (m_titleControl == &control) {
        m_titleControl = nullptr;
    }
}

void UiHost::scheduleFree(std::unique_ptr<UiControl> control)
{
    m_doomed.push_back(std::move(control));
    if (m_freeScheduled) {
        return;
    }
    m_freeScheduled = true;
    dispatcher().post([weak = std::weak_ptr<UiHost*>(m_self)] {
        if (const auto host = weak.lock()) {
            (*host)->m_freeScheduled = false;
            auto doomed = std::move((*host)->m_doomed);
            (*host)->m_doomed.clear();
        }
    });
}

// ---- the window's events ----

void UiHost::handleEvent(const platform::WindowEvent& event)
{
    DecodedEvent decoded = decodeEvent(event);
    if (const auto* request = std::get_if<WindowRequest>(&decoded)) {
        handleRequest(*request);
        return;
    }
    handleInput(decoded);
}

int UiHost::sendWindowRequest(const WindowRequest& request)
{
    return handleRequest(request);
}

bool UiHost::postWindowRequest(const WindowRequest& request) const
{
    if (!m_window) {
        return false;
    }
    // Dropped with the window, like any event it has not heard yet.
    return loop().post(m_window, [weak = std::weak_ptr<UiHost*>(m_self), request] {
        if (const auto host = weak.lock()) {
            (*host)->sendWindowRequest(request);
        }
    });
}

bool UiHost::requestClose() const
{
    WindowRequest request;
    request.kind = WindowRequestKind::Close;
    return postWindowRequest(request);
}

void UiHost::minimise()
{
    WindowRequest request;
    request.kind = WindowRequestKind::Minimise;
    postWindowRequest(request);
}

void UiHost::toggleMaximise()
{
    WindowRequest request;
    request.kind = loop().isMaximised(m_window) ? WindowRequestKind::Restore : WindowRequestKind::Maximise;
    postWindowRequest(request);
}

int UiHost::handleRequest(const WindowRequest& request)
{
    if (onMessage) {
        const int answer = onMessage(request);
        if (answer != notHandled) {
            return answer;
        }
    }
    switch (request.kind) {
    case WindowRequestKind::Close:
        if (m_destroyed) {
            return 0;
        }
        if (startCloseEffect()) {
            return 0;
        }
        loop().hide(m_window);
        loop().close(m_window);
        return 0;
    case WindowRequestKind::Destroy:
        onDestroy();
        return 0;
    case WindowRequestKind::Size:
        sizeChanged(request);
        break;
    case WindowRequestKind::Activate:
        onActivate(true);
        break;
    case WindowRequestKind::Deactivate:
        onActivate(false);
        break;
    case WindowRequestKind::PointerLeft:
        onPointerLeft();
        break;
    case WindowRequestKind::Command:
        if (m_focus != nullptr) {
            CommandEvent event(request.command);
            m_focus->dispatch(event);
        }
        break;
    case WindowRequestKind::Minimise:
        loop().minimise(m_window);
        break;
    case WindowRequestKind::Maximise:
        loop().maximise(m_window);
        break;
    case WindowRequestKind::Restore:
        loop().restore(m_window);
        break;
    default:
        break;
    }
    return 0;
}

void UiHost::handleInput(DecodedEvent& decoded)
{
    if (m_destroyed) {
        return;
    }
    std::visit(Overloaded {
                   [](WindowRequest&) {},
                   [this](MouseEvent& event) { onMouse(event); },
                   [this](WheelEvent& event) { onWheel(event); },
                   [this](KeyEvent& event) {
                       if (event.type() == EventType::KeyDown) {
                           onKeyDown(event);
                       } else if (m_focus != nullptr) {
                           m_focus->dispatch(event);
                       }
                   },
                   [this](CharEvent& event) {
                       if (event.type() == EventType::SysChar) {
                           onSysChar(event);
                       } else if (m_focus != nullptr) {
                           m_focus->dispatch(event);
                       }
                   },
                   [this](TextEvent& event) {
                       if (m_focus != nullptr) {
                           m_focus->dispatch(event);
                       }
                   },
                   [this](CompositionEvent& event) {
                       if (m_focus != nullptr) {
                           m_focus->dispatch(event);
                       }
                   },
               },
               decoded);
}

// ---- mouse ----

void UiHost::sendLeave(UiControl& control, UiControl* next)
{
    HoverEvent leave(EventType::MouseLeave, next);
    control.dispatch(leave);
    if (onMouseLeave) {
        onMouseLeave(control, control.kind());
    }
}

void UiHost::runMouseEnter(UiControl* control, UiControl* previous)
{
    if (control == nullptr) {
        updateTooltip(nullptr);
        return;
    }
    HoverEvent enter(EventType::MouseEnter, previous);
    control->dispatch(enter);
    if (onMouseEnter) {
        onMouseEnter(*control, control->kind());
    }
    updateTooltip(control);
}

void UiHost::click(UiControl& control, bool byMouse, IntPoint position)
{
    const auto alive = control.selfReference();
    ClickEvent event(byMouse, position);
    control.dispatch(event);
    if (onClick && !alive.expired()) {
        onClick(control, control.kind());
    }
}

void UiHost::endPress()
{
    m_pressActive = false;
}

// Text input (and the input method) runs while this window's focus control
// takes typed text, and is off otherwise: a commit made for no edit box would
// be lost, and an input method left on keeps composing for nothing.
void UiHost::updateTextInput()
{
    // Only the window with the keyboard decides (none known: this one).
    const platform::WindowId focused = loop().focusedWindow();
    if (m_destroyed || (focused && focused != m_window)) {
        return;
    }
    loop().setTextInputActive(m_focus != nullptr && m_focus->acceptsTextInput());
}

void UiHost::moveFocusByPress(UiControl& control)
{
    UiControl* old = m_focus;
    m_focus = &control;
    m_keyboardFocus = nullptr;
    if (old != nullptr) {
        FocusEvent out(EventType::FocusOut, &control);
        old->dispatch(out);
        if (onFocusLost) {
            onFocusLost(*old, old->kind());
        }
    }
    // Before FocusIn, so that the box's caret rectangle reaches a running input method.
    updateTextInput();
    FocusEvent in(EventType::FocusIn, old);
    control.dispatch(in);
    if (onFocusGained) {
        onFocusGained(control, control.kind());
    }
}

void UiHost::onMouse(MouseEvent& event)
{
    if (isBusy() || onResizeBorder(event)) {
        return;
    }
    if (m_tooltip) {
        if (event.type() == EventType::MouseMove) {
            m_tooltip->pointerMoved(event.position());
        } else {
            m_tooltip->pointerPressed();
        }
    }
    const FloatPoint point {static_cast<float>(event.x()), static_cast<float>(event.y())};
    if (m_pressActive && m_pressed != nullptr) {
        UiControl& pressed = *m_pressed;
        pressed.dispatch(event);
        if (event.type() != EventType::MouseUp) {
            return;
        }
        if (onRelease) {
            onRelease(nullptr, ControlKind::None);
        }
        loop().releaseCapture();
        m_pressActive = false;
        UiControl* hit = hitTest(point);
        if (hit == &pressed) {
            click(pressed, true, event.position());
        } else {
            if (pressed.isVisible() && !pressed.isDestroyed()) {
                sendLeave(pressed, hit);
            }
            runMouseEnter(hit, &pressed);
        }
        endPress();
        m_hover = hitTest(point);
        updateCursor();
        return;
    }
    UiControl* hit = hitTest(point);
    UiControl* previous = m_hover;
    if (hit != previous && previous != nullptr && previous->isVisible()) {
        sendLeave(*previous, hit);
    }
    switch (event.type()) {
    case EventType::MouseDown: {
        if (loop().focusedWindow() != m_window) {
            loop().setFocus(m_window);
        }
        const bool doubleClick = event.isDoubleClick();
        bool taken = false;
        if (hit != nullptr && hit->takesPress()) {
            taken = true;
            if (onPress) {
                onPress(*hit, hit->kind());
            }
            m_pressed = hit;
            m_pressActive = true;
            if (hit->isFocusable() && hit->acceptsFocus() && hit != m_focus) {
                moveFocusByPress(*hit);
            }
            if (doubleClick && onDoubleClick) {
                onDoubleClick(*hit, hit->kind());
            }
            loop().setCapture(m_window);
        } else if (doubleClick) {
            const bool maximisable = (m_captionFlags & caption::Maximise) != 0;
            if (hit != nullptr && hit == m_titleControl && maximisable && (m_captionFlags & caption::Title) != 0) {
                toggleMaximise();
            } else if (hit == nullptr && event.y() < 30 && maximisable) {
                toggleMaximise();
            }
        }
        if (!taken && m_dragAnywhere && !(doubleClick && hit == nullptr)) {
            loop().beginDrag(m_window);
        }
        break;
    }
    case EventType::RightMouseDown:
        if (onRightPress) {
            onRightPress(hit, hit != nullptr ? hit->kind() : ControlKind::None);
        }
        break;
    case EventType::RightMouseUp:
        if (onRightRelease) {
            onRightRelease(hit, hit != nullptr ? hit->kind() : ControlKind::None);
        }
        break;
    case EventType::MouseMove:
        if (hit != previous) {
            runMouseEnter(hit, previous);
        }
        break;
    default:
        break;
    }
    if (hit != nullptr && !hit->isDestroyed()) {
        hit->dispatch(event);
    }
    m_hover = (hit != nullptr && hit->isDestroyed()) ? nullptr : hit;
    updateCursor();
}

// The wheel scrolls what is under the pointer, as on the Linux desktops,
// not the focus control: the result list scrolls while the search box keeps
// the keyboard. A control that ignores the wheel hands it to its parent.
void UiHost::onWheel(WheelEvent& event)
{
    if (isBusy()) {
        return;
    }
    const IntRect bounds = loop().bounds(m_window);
    const FloatPoint point {static_cast<float>(event.screenPosition().x - bounds.x),
                            static_cast<float>(event.screenPosition().y - bounds.y)};
    for (UiControl* target = hitTest(point); target != nullptr; target = target->parent()) {
        event.accept();
        const auto alive = target->selfReference();
        if (target->dispatch(event) || alive.expired()) {
            return;
        }
    }
}

bool UiHost::onResizeBorder(const MouseEvent& event)
{
    if (!m_resizable || m_pressActive || loop().isMaximised(m_window)
        || (event.type() != EventType::MouseMove && event.type() != EventType::MouseDown)) {
        return false;
    }
    const int x = event.x();
    const int y = event.y();
    const int w = m_size.width;
    const int h = m_size.height;
    int zone = 0;
    Cursor cursor = Cursor::Arrow;
    if (y > 7 && y <= h - 10) {
        if (x <= 7) {
            zone = 1;
            cursor = Cursor::SizeWE;
        } else if (x > w - 10) {
            zone = 2;
            cursor = Cursor::SizeWE;
        }
    } else if (y <= 7) {
        if (x <= 9) {
            zone = 4;
            cursor = Cursor::SizeNWSE;
        } else if (x <= w - 10) {
            zone = 3;
            cursor = Cursor::SizeNS;
        } else {
            zone = 5;
            cursor = Cursor::SizeNESW;
        }
    } else {
        if (x < 10) {
            zone = 7;
            cursor = Cursor::SizeNESW;
        } else if (x <= w - 10) {
            zone = 6;
            cursor = Cursor::SizeNS;
        } else {
            zone = 8;
            cursor = Cursor::SizeNWSE;
        }
    }
    if (zone == 0) {
        return false;
    }
    loop().setCursor(systemCursor(cursor));
    m_shownCursor = cursor;
    if (m_hover != nullptr) {
        UiControl& hovered = *m_hover;
        m_hover = nullptr;
        HoverEvent leave(EventType::MouseLeave, nullptr);
        hovered.dispatch(leave);
    }
    if (event.type() == EventType::MouseDown) {
        loop().beginResize(m_window, static_cast<platform::ResizeZone>(zone));
    }
    return true;
}

void UiHost::onPointerLeft()
{
    loop().releaseCapture();
    if (m_tooltip) {
        m_tooltip->pointerLeft();
    }
    if (m_hover != nullptr) {
        UiControl& hovered = *m_hover;
        m_hover = nullptr;
        sendLeave(hovered, nullptr);
        updateTooltip(nullptr);
    }
}

void UiHost::onActivate(bool active)
{
    if (active) {
        updateTextInput();
        if (m_pressed != nullptr) {
            FocusEvent in(EventType::FocusIn, nullptr);
            m_pressed->dispatch(in);
        }
        return;
    }
    if (m_hover != nullptr) {
        HoverEvent leave(EventType::MouseLeave, nullptr);
        m_hover->dispatch(leave);
    }
    if (m_pressActive && m_pressed != nullptr) {
        FocusEvent out(EventType::FocusOut, nullptr);
        m_pressed->dispatch(out);
        loop().releaseCapture();
        m_pressActive = false;
    }
}

void UiHost::setDefaultCursor(Cursor cursor)
{
    m_defaultCursor = cursor == Cursor::Default ? Cursor::Arrow : cursor;
    updateCursor();
}

void UiHost::updateCursor()
{
    const Cursor wanted
        = (m_hover != nullptr && m_hover->cursor() != Cursor::Default) ? m_hover->cursor() : m_defaultCursor;
    if (m_shownCursor == wanted) {
        return;
    }
    m_shownCursor = wanted;
    loop().setCursor(systemCursor(wanted));
}

// ---- keyboard ----

void UiHost::onKeyDown(KeyEvent& event)
{
    if (m_focus != nullptr) {
        m_focus->dispatch(event);
        if (event.isAccepted()) {
            return;
        }
    }
    switch (event.key()) {
    case Key::Tab:
        cycleFocus(event.modifiers().shift);
        break;
    case Key::Return:
    case Key::Space:
        if (m_focus != nullptr && m_focus->isVisible() && m_focus->isEnabled()) {
            click(*m_focus, false, {});
        }
        break;
    default:
        break;
    }
}

namespace {

// A Tab stop: a control the keyboard can work. Containers (panels), pictures,
// labels and caption buttons are passed over; so is everything in a hidden or
// disabled container.
bool isTabStop(const UiControl& control)
{
    if (!control.isFocusable() || !control.acceptsFocus() || !control.isTabStop()) {
        return false;
    }
    for (const UiControl* c = &control; c != nullptr; c = c->parent()) {
        if (!c->isVisible() || !c->isEnabled()) {
            return false;
        }
    }
    return true;
}

void collectInTabOrder(std::span<const std::unique_ptr<UiControl>> level, std::vector<UiControl*>& out)
{
    for (const auto& control : level) {
        if (!control->isVisible() || !control->isEnabled()) {
            continue;
        }
        out.push_back(control.get());
        collectInTabOrder(control->children(), out);
    }
}

}  // namespace

// Tab walks every Tab stop of the tree in drawing order (parents before their
// children), wrapping around; Shift+Tab walks back. The controls of the pages
// live in panels, so a walk over the top level alone would never reach them.
void UiHost::cycleFocus(bool backwards)
{
    std::vector<UiControl*> order;
    collectInTabOrder(m_controls, order);
    const auto count = static_cast<std::ptrdiff_t>(order.size());
    if (count == 0) {
        return;
    }
    // With no focus the walk starts before the first control (after the last, backwards).
    std::ptrdiff_t at = backwards ? count : -1;
    if (const auto it = std::find(order.begin(), order.end(), m_focus); m_focus != nullptr && it != order.end()) {
        at = it - order.begin();
    }
    for (std::ptrdiff_t step = 1; step <= count; ++step) {
        const std::ptrdiff_t index = ((at + (backwards ? -step : step)) % count + count) % count;
        UiControl* candidate = order[static_cast<std::size_t>(index)];
        if (candidate == m_focus) {
            return;
        }
        // Backwards, a composite control whose focus passes to its child (the
        // editable combo box to its edit) would hand the focus straight back.
        if (!isTabStop(*candidate) || (backwards && m_focus != nullptr && candidate->isAncestorOf(*m_focus))) {
            continue;
        }
        setFocus(candidate, true);
        return;
    }
}

bool UiHost::onSysChar(CharEvent& event)
{
    if (m_focus != nullptr) {
        m_focus->dispatch(event);
    }
    const int typed = std::tolower(event.character() & 0xFF);
    for (const auto& [control, character] : m_mnemonics) {
        if (std::tolower(character & 0xFF) == typed && control->isVisible() && control->isEnabled()) {
            click(*control, false, {});
            return true;
        }
    }
    return false;
}

bool UiHost::setFocus(UiControl* control, bool byKeyboard)
{
    if (control == nullptr) {
        if (m_focus == nullptr) {
            return true;
        }
        UiControl* old = m_focus;
        m_focus = nullptr;
        m_keyboardFocus = nullptr;
        FocusEvent out(EventType::FocusOut, nullptr);
        old->dispatch(out);
        updateTextInput();
        return true;
    }
    if (!control->isEnabled() || !control->isVisible() || !control->isFocusable() || !control->acceptsFocus()) {
        return false;
    }
    if (control == m_focus) {
        return true;
    }
    UiControl* old = m_focus;
    m_focus = control;
    m_keyboardFocus = nullptr;
    if (old != nullptr) {
        FocusEvent out(EventType::FocusOut, control, byKeyboard);
        old->dispatch(out);
    }
    if (byKeyboard) {
        m_keyboardFocus = control;
    }
    updateTextInput();
    FocusEvent in(EventType::FocusIn, old, byKeyboard);
    control->dispatch(in);
    return true;
}

void UiHost::setMnemonic(UiControl& control, int character)
{
    std::erase_if(m_mnemonics, [&](const auto& entry) { return entry.first == &control; });
    if (character != 0) {
        m_mnemonics.emplace_back(&control, character);
    }
}

void UiHost::updateTooltip(UiControl* control, std::optional<Text> text)
{
    Text shown = control != nullptr ? text.value_or(control->text()) : Text {};
    if (shown.empty()) {
        control = nullptr;
    }
    m_tooltipControl = control;
    m_tooltipText = std::move(shown);
    if (m_tooltip) {
        if (control != nullptr) {
            m_tooltip->setTool(control->rect(), m_tooltipText);
        } else {
            m_tooltip->clear();
        }
    }
}

platform::WindowId UiHost::tooltipWindow() const
{
    return m_tooltip ? m_tooltip->window() : platform::WindowId {};
}

bool UiHost::isTooltipShown() const
{
    return m_tooltip && m_tooltip->isShown();
}

void UiHost::popUpTooltip()
{
    if (m_tooltip) {
        m_tooltip->popUp();
    }
}

// ---- size and destruction ----

void UiHost::sizeChanged(const WindowRequest& request)
{
    if (request.minimised || request.size.empty()) {
        return;
    }
    if (request.size == m_size) {
        return;
    }
    m_size = request.size;
    if (onSize) {
        onSize(m_size);
    }
    recreateBuffers();
    setBackground(std::nullopt, std::nullopt, BackgroundTransition::Present);
}

void UiHost::recreateBuffers()
{
    m_renderer->resize(m_size);
}

void UiHost::onDestroy()
{
    if (m_destroyed) {
        return;
    }
    busyBegin();
    m_queue->clear();
    m_deferredRepaints.clear();
    if (m_pressActive) {
        loop().releaseCapture();
    }
    while (!m_controls.empty()) {
        m_controls.back()->destroy();
    }
    for (const auto& [key, id] : m_timers) {
        loop().killTimer(m_window, id);
    }
    m_timers.clear();
    for (const auto& [key, id] : m_hostTimers) {
        loop().killTimer(m_window, id);
    }
    m_hostTimers.clear();
    loop().killTimer(m_window, fadeTimer);
    loop().killTimer(m_window, effectTimer);
    m_effect.reset();
    m_focus = m_hover = m_pressed = m_keyboardFocus = nullptr;
    m_pressActive = false;
    m_mnemonics.clear();
    m_captionButtons.clear();
    m_tooltip.reset();
    m_destroyed = true;
    m_busy = 0;
}

// ---- caption ----

void UiHost::createCaption()
{
    if ((m_captionFlags & caption::Icon) != 0) {
        auto& image = add<UiImage>(FloatRect {11, 11, 16, 16}, m_framework.skin().windowIcon);
        image.setFocusable(false);
        m_iconControl = &image;
    }
    if ((m_captionFlags & caption::Title) != 0) {
        auto& title = add<CaptionTitle>(FloatRect {0, 9, 1, 18}, loop().title(m_window));
        title.setWidth(std::max(1.0f, title.textWidth() + 2));
        m_titleControl = &title;
    }
    const auto& factory = m_framework.captionButtonFactory();
    if (!factory) {
        return;
    }
    float x = static_cast<float>(m_size.width) - 12;
    for (const unsigned kind : {4u, 8u, 16u, 32u, 64u, 128u, 256u}) {
        if ((m_captionFlags & kind) == 0) {
            continue;
        }
        const float width = kind == 4 ? 39.0f : 28.0f;
        x -= width;
        if (UiControl* button = factory(*this, static_cast<CaptionButtonKind>(kind), FloatRect {x, 7, width, 19})) {
            m_captionButtons.push_back(button);
        }
    }
}

void UiHost::layoutCaption()
{
    float x = static_cast<float>(m_size.width) - 5;
    if ((m_captionFlags & caption::Close) != 0) {
        x -= 12;
    }
    for (UiControl* button : m_captionButtons) {
        x -= button->width();
        button->move(x, 7.0f);
    }
    if (m_titleControl != nullptr) {
        auto* title = static_cast<CaptionTitle*>(m_titleControl);
        const float left = m_iconControl != nullptr ? 28.0f : 11.0f;
        const float right = m_captionButtons.empty() ? static_cast<float>(m_size.width) - 5 : x;
        const float width = std::max(1.0f, std::min(title->textWidth() + 2, right - left));
        title->move(left, 10.0f, width, 20.0f);
    }
}

// ---- painting ----

const gfx::Surface& UiHost::backBuffer() const
{
    return m_renderer->backBuffer();
}

const gfx::Surface& UiHost::background() const
{
    return m_renderer->background();
}

void UiHost::busyBegin()
{
    ++m_busy;
}

void UiHost::busyEnd()
{
    if (m_busy == 0 || --m_busy > 0) {
        return;
    }
    // What was asked for while busy is painted now, so that no final state stays unseen.
    for (const FloatRect& rect : m_deferredRepaints) {
        m_queue->add(rect);
    }
    m_deferredRepaints.clear();
    if (!m_queue->empty() && !m_processScheduled) {
        m_processScheduled = true;
        dispatcher().post([weak = std::weak_ptr<UiHost*>(m_self)] {
            if (const auto host = weak.lock()) {
                (*host)->processRepaints();
            }
        });
    }
}

void UiHost::requestRepaint(const FloatRect& rect, RepaintKind kind)
{
    if (m_destroyed || rect.empty()) {
        return;
    }
    if (isBusy()) {
        m_deferredRepaints.push_back(rect);
        return;
    }
    if (kind == RepaintKind::Immediate) {
        compose(rect, true);
        return;
    }
    m_queue->add(rect, kind == RepaintKind::QueuedFirst);
    if (m_processScheduled) {
        return;
    }
    m_processScheduled = true;
    dispatcher().post([weak = std::weak_ptr<UiHost*>(m_self)] {
        if (const auto host = weak.lock()) {
            (*host)->processRepaints();
        }
    });
}

void UiHost::processRepaints()
{
    m_processScheduled = false;
    if (m_destroyed || isBusy()) {
        return;
    }
    FloatRect presented;
    while (const auto rect = m_queue->takeFront()) {
        compose(*rect, false);
        presented = presented.united(*rect);
    }
    if (!presented.empty()) {
        present(pixelBounds(presented, m_size));
    }
}

void UiHost::compose(const FloatRect& rect, bool presentNow)
{
    m_renderer->compose(rect, m_controls);
    if (presentNow) {
        present(pixelBounds(rect, m_size));
    }
}

void UiHost::repaintAll()
{
    if (m_destroyed) {
        return;
    }
    m_queue->clear();
    compose(FloatRect {0, 0, static_cast<float>(m_size.width), static_cast<float>(m_size.height)}, true);
}

int UiHost::deviceScale() const
{
    return loop().scale();
}

void UiHost::present(std::optional<IntRect> area)
{
    if (m_destroyed) {
        return;
    }
    const gfx::Surface& back = m_renderer->backBuffer();
    const platform::PixelView view {back.data(), back.pixelWidth(), back.pixelHeight(), back.stride()};
    if (area) {
        if (!area->empty()) {
            loop().present(m_window, view, {area->x, area->y, area->width, area->height});
        }
    } else {
        loop().present(m_window, view);
    }
}

void UiHost::setFrameStyle(int style)
{
    if (style == m_frameStyle) {
        return;
    }
    m_frameStyle = style;
    setBackground(std::nullopt, std::nullopt);
}

void UiHost::setFrameColour(std::optional<gfx::Argb> colour)
{
    m_frameColour = colour;
    setBackground(std::nullopt, std::nullopt);
}

void UiHost::setBackground(std::optional<Bytes> image, std::optional<std::uint32_t> colour,
                           BackgroundTransition transition, bool keepControls)
{
    if (m_destroyed) {
        return;
    }
    if (image) {
        m_backgroundBytes = std::move(*image);
        m_backgroundImage = gfx::loadImage(m_backgroundBytes);
    }
    if (colour) {
        m_backgroundColour = *colour;
    }
    gfx::Surface before;
    if (transition == BackgroundTransition::Fade) {
        before = m_renderer->backBuffer().copy();
    }
    BackgroundStyle style;
    style.image = &m_backgroundImage;
    style.colour = m_backgroundColour;
    style.imageMode = m_imageMode;
    style.frameStyle = m_frameStyle;
    style.imageFrame = m_imageFrame;
    style.layerAlpha = m_layerAlpha;
    style.softFrame = (m_captionFlags & caption::SoftFrame) != 0;
    style.frameColour = m_frameColour;
    style.margins = m_margins;
    style.paint = &onPaintBackground;
    m_renderer->renderBackground(style);
    if (m_layerAlpha < 0) {
        const bool zoomed = loop().isMaximised(m_window);
        const int inset = zoomed ? 5 : 6;
        loop().setShape(m_window,
                        platform::EventLoop::Shape {{inset, inset, m_size.width - 2 * inset, m_size.height - 2 * inset},
                                                    m_frameStyle == 0 ? 0 : 5});
    }
    layoutCaption();
    if (!keepControls) {
        std::vector<UiControl*> stack;
        for (const auto& control : m_controls) {
            stack.push_back(control.get());
        }
        while (!stack.empty()) {
            UiControl* control = stack.back();
            stack.pop_back();
            control->m_needsPaint = true;
            for (const auto& child : control->children()) {
                stack.push_back(child.get());
            }
        }
    }
    m_queue->clear();
    m_renderer->compose(FloatRect {0, 0, static_cast<float>(m_size.width), static_cast<float>(m_size.height)},
                        m_controls);
    switch (transition) {
    case BackgroundTransition::Present:
        present();
        break;
    case BackgroundTransition::RenderOnly:
        break;
    case BackgroundTransition::Fade:
        startFade(std::move(before));
        break;
    }
}

void UiHost::startFade(gfx::Surface from)
{
    if (from.isNull()) {
        present();
        return;
    }
    if (m_fadeFrom.isNull()) {
        busyBegin();
    }
    m_fadeFrom = std::move(from);
    m_fadeAlpha = 0;
    loop().setTimer(m_window, fadeTimer, std::chrono::milliseconds(50),
                    [weak = std::weak_ptr<UiHost*>(m_self)](platform::WindowId, platform::TimerId) {
                        if (const auto host = weak.lock()) {
                            (*host)->fadeTick();
                        }
                    });
}

void UiHost::fadeTick()
{
    m_fadeAlpha = std::min(255, m_fadeAlpha + 51);
    gfx::Surface frame = m_fadeFrom.copy();
    {
        gfx::Painter painter(frame);
        painter.drawSurface(m_renderer->backBuffer(), 0, 0, m_fadeAlpha / 255.0);
    }
    presentFrame(frame, m_fadeAlpha / 51);
    if (m_fadeAlpha < 255) {
        return;
    }
    loop().killTimer(m_window, fadeTimer);
    m_fadeFrom = gfx::Surface();
    present();
    busyEnd();
}

void UiHost::presentFrame(const gfx::Surface& frame, int index)
{
    if (frameSink) {
        frameSink(frame, index);
        return;
    }
    const platform::PixelView view {frame.data(), frame.pixelWidth(), frame.pixelHeight(), frame.stride()};
    loop().present(m_window, view);
}

// ---- showing and closing ----

void UiHost::show(int effect, std::chrono::milliseconds duration)
{
    if (m_destroyed) {
        return;
    }
    if (effect == 0) {
        loop().show(m_window);
        repaintAll();
        return;
    }
    if (m_effect) {
        return;
    }
    RunningEffect run;
    run.effect = effect;
    run.frames = showEffectFrames;
    run.duration = duration;
    // Opaque windows become translucent for the animation, as the frames fade in.
    run.madeTranslucent = m_layerAlpha < 0;
    if (run.madeTranslucent) {
        loop().setTranslucent(m_window, true);
    }
    busyBegin();
    m_queue->clear();
    m_renderer->compose(FloatRect {0, 0, static_cast<float>(m_size.width), static_cast<float>(m_size.height)},
                        m_controls);
    run.picture = m_renderer->backBuffer().copy();
    run.canvas = gfx::Surface::create(m_size.width, m_size.height, deviceScale());
    loop().present(m_window,
                   {run.canvas.data(), run.canvas.pixelWidth(), run.canvas.pixelHeight(), run.canvas.stride()});
    loop().show(m_window);
    m_effect = std::move(run);
    runEffectFrames();
}

void UiHost::hide()
{
    if (!m_destroyed) {
        loop().hide(m_window);
    }
}

// Starts the close effect; true when the window now goes at the effect's end
// (or is going already), false when there is nothing to animate.
bool UiHost::startCloseEffect()
{
    if (m_effect && m_effect->closing) {
        return true;
    }
    // A show effect under way gives way to the close.
    cancelEffect();
    const int effect = m_closeEffect;
    if (effect == 0 || m_destroyed || !loop().isVisible(m_window)) {
        return false;
    }
    if (m_layerAlpha < 0) {
        loop().setTranslucent(m_window, true);
    }
    busyBegin();
    RunningEffect run;
    run.closing = true;
    run.effect = effect;
    run.frames = closeEffectFrameCount(effect);
    run.picture = m_renderer->backBuffer().copy();
    run.canvas = gfx::Surface::create(m_size.width, m_size.height, deviceScale());
    m_effect = std::move(run);
    runEffectFrames();
    return true;
}

// Draws the effect's next frame and waits its pause on the loop's timer, so
// that the loop goes on turning between frames; with effectPause set the
// frames follow back to back.
void UiHost::runEffectFrames()
{
    while (m_effect && !m_destroyed) {
        RunningEffect& run = *m_effect;
        if (run.frame >= run.frames) {
            finishEffect();
            return;
        }
        ++run.frame;
        const EffectFrame step = run.closing ? closeEffectFrame(run.effect, run.frame, m_size)
                                             : showEffectFrame(run.effect, run.frame, m_size, run.duration);
        drawEffectFrame(run.canvas, run.picture, step);
        presentFrame(run.canvas, run.frame);
        if (!effectPause) {
            loop().setTimer(m_window, effectTimer, std::max(step.pause, std::chrono::milliseconds(1)),
                            [weak = std::weak_ptr<UiHost*>(m_self)](platform::WindowId, platform::TimerId) {
                                if (const auto host = weak.lock()) {
                                    (*host)->loop().killTimer((*host)->m_window, effectTimer);
                                    (*host)->runEffectFrames();
                                }
                            });
            return;
        }
        const bool closing = run.closing;
        effectPause(step.pause);
        if (!closing) {
            loop().processPending();
        }
    }
}

void UiHost::finishEffect()
{
    RunningEffect run = std::move(*m_effect);
    m_effect.reset();
    loop().killTimer(m_window, effectTimer);
    if (!run.closing) {
        if (run.madeTranslucent) {
            loop().setTranslucent(m_window, false);
        }
        present();
        busyEnd();
        return;
    }
    run.canvas.clear(0);
    if (!frameSink) {
        loop().present(m_window,
                       {run.canvas.data(), run.canvas.pixelWidth(), run.canvas.pixelHeight(), run.canvas.stride()});
    }
    busyEnd();
    loop().hide(m_window);
    loop().destroyWindow(m_window);
}

void UiHost::cancelEffect()
{
    if (!m_effect) {
        return;
    }
    const bool madeTranslucent = m_effect->madeTranslucent;
    m_effect.reset();
    loop().killTimer(m_window, effectTimer);
    if (madeTranslucent) {
        loop().setTranslucent(m_window, false);
    }
    busyEnd();
}

// ---- timers ----

bool UiHost::startTimer(UiControl& control, int id, std::chrono::milliseconds interval)
{
    if (m_destroyed) {
        return false;
    }
    const TimerKey key {&control, id};
    auto it = m_timers.find(key);
    if (it == m_timers.end()) {
        it = m_timers.emplace(key, m_nextTimer++).first;
        control.m_timers.push_back(id);
    }
    return loop().setTimer(m_window, it->second, interval,
                           [weak = control.selfReference(), id](platform::WindowId, platform::TimerId) {
                               const auto alive = weak.lock();
                               if (!alive) {
                                   return;
                               }
                               UiControl& target = **alive;
                               if (id < 0) {
                                   target.transitionTick();
                               } else {
                                   TimerEvent event(id);
                                   target.dispatch(event);
                               }
                           });
}

bool UiHost::runAfter(std::chrono::milliseconds delay, std::function<void()> task)
{
    if (m_destroyed) {
        return false;
    }
    return loop().setTimer(m_window, m_nextTimer++, delay,
                           [&loop = loop(), task = std::move(task)](platform::WindowId window, platform::TimerId id) {
                               // The loop runs a copy of this callback, so killing the timer here is safe.
                               loop.killTimer(window, id);
                               task();
                           });
}

bool UiHost::killTimer(UiControl& control, int id)
{
    const auto it = m_timers.find(TimerKey {&control, id});
    if (it == m_timers.end()) {
        return false;
    }
    loop().killTimer(m_window, it->second);
    m_timers.erase(it);
    std::erase(control.m_timers, id);
    return true;
}

}  // namespace quorvo::ui

namespace quorvo::ui {

bool UiHost::setTimer(int id, std::chrono::milliseconds interval, std::function<void()> tick)
{
    if (m_destroyed) {
        return false;
    }
    auto it = m_hostTimers.find(id);
    if (it == m_hostTimers.end()) {
        it = m_hostTimers.emplace(id, m_nextTimer++).first;
    }
    return loop().setTimer(
        m_window, it->second, interval,
        [weak = std::weak_ptr<UiHost*>(m_self), tick = std::move(tick)](platform::WindowId, platform::TimerId) {
            if (weak.lock()) {
                // A copy: the tick may re-arm or kill its own timer.
                const auto call = tick;
                call();
            }
        });
}

bool UiHost::killTimer(int id)
{
    const auto it = m_hostTimers.find(id);
    if (it == m_hostTimers.end()) {
        return false;
    }
    loop().killTimer(m_window, it->second);
    m_hostTimers.erase(it);
    return true;
}

// ---- services for controls ----

Text UiHost::clipboardText() const
{
    return loop().clipboardText();
}

bool UiHost::setClipboardText(const Text& text)
{
    return loop().setClipboardText(text);
}

void UiHost::setTextInputRect(const IntRect& caret)
{
    if (!m_destroyed) {
        loop().setTextInputRect(m_window, caret);
    }
}

IntRect UiHost::screenBounds() const
{
    return loop().bounds(m_window);
}

IntRect UiHost::workArea() const
{
    return loop().workArea();
}

IntPoint UiHost::cursorPosition() const
{
    return loop().cursorPosition();
}

bool UiHost::isMinimised() const
{
    return loop().isMinimised(m_window);
}

bool UiHost::isMaximised() const
{
    return loop().isMaximised(m_window);
}

void UiHost::activate()
{
    if (isAlive()) {
        loop().setFocus(m_window);
    }
}

bool UiHost::isActive() const
{
    return !m_destroyed && loop().focusedWindow() == m_window;
}

void UiHost::setAlwaysOnTop(bool onTop)
{
    if (isAlive()) {
        loop().setAlwaysOnTop(m_window, onTop);
    }
}

bool UiHost::runWhileAlive()
{
    return loop().runWhileAlive(m_window);
}

bool UiHost::runModal()
{
    return m_framework.runModalLoop(*this);
}

}  // namespace quorvo::ui
