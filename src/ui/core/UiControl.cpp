#include "ui/core/UiControl.h"

#include "ui/core/UiHost.h"

#include "gfx/Painter.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace quorvo::ui {

namespace {

constexpr float tolerance = 1e-7f;

bool differs(float a, float b)
{
    return std::fabs(a - b) > tolerance;
}

}  // namespace

Cursor cursorFromSystemId(int id)
{
    switch (id) {
    case 32512:
        return Cursor::Arrow;
    case 32513:
        return Cursor::IBeam;
    case 32514:
        return Cursor::Wait;
    case 32642:
        return Cursor::SizeNWSE;
    case 32643:
        return Cursor::SizeNESW;
    case 32644:
        return Cursor::SizeWE;
    case 32645:
        return Cursor::SizeNS;
    case 32646:
        return Cursor::SizeAll;
    case 32648:
        return Cursor::No;
    case 32649:
        return Cursor::Hand;
    default:
        return Cursor::Default;
    }
}

UiControl::UiControl(FloatRect rect, ControlKind kind, bool focusable, bool visible)
    : m_rect(rect)
    , m_previousRect(rect)
    , m_kind(kind)
    , m_visible(visible)
    , m_focusable(focusable)
    , m_self(std::make_shared<UiControl*>(this))
{ }

UiControl::~UiControl() = default;

const UiDispatcher* UiControl::dispatcher() const
{
    return m_host != nullptr ? &m_host->dispatcher() : nullptr;
}

// ---- tree ----

void UiControl::adoptChild(std::unique_ptr<UiControl> child)
{
    assert(m_host != nullptr && "add children to a control that is in a host");
    UiControl& control = *child;
    m_children.push_back(std::move(child));
    control.linked(*m_host, this);
}

void UiControl::linked(UiHost& host, UiControl* parent)
{
    m_host = &host;
    m_parent = parent;
    recreateSurface();
    Event create(EventType::Create);
    dispatch(create);
    m_needsPaint = true;
    if (m_visible) {
        requestRepaint(m_rect, static_cast<int>(RepaintKind::Queued));
    }
}

void UiControl::setParent(UiControl* newParent)
{
    if (m_host == nullptr || newParent == m_parent || newParent == this || (newParent && isAncestorOf(*newParent))) {
        return;
    }
    auto& from = m_host->siblingsOf(*this);
    auto it = std::find_if(from.begin(), from.end(), [this](const auto& c) { return c.get() == this; });
    assert(it != from.end());
    std::unique_ptr<UiControl> self = std::move(*it);
    from.erase(it);
    if (newParent == nullptr) {
        m_host->m_controls.push_back(std::move(self));
    } else {
        newParent->m_children.push_back(std::move(self));
    }
    m_parent = newParent;
    invalidate();
}

void UiControl::restack(StackPosition position, bool repaint)
{
    if (m_host == nullptr) {
        return;
    }
    auto& list = m_host->siblingsOf(*this);
    auto it = std::find_if(list.begin(), list.end(), [this](const auto& c) { return c.get() == this; });
    assert(it != list.end());
    if (position == StackPosition::Bottom) {
        std::rotate(list.begin(), it, it + 1);
    } else {
        std::rotate(it, it + 1, list.end());
    }
    if (repaint) {
        invalidate();
    }
}

UiControl* UiControl::findChild(ControlKind kind, const UiControl* after) const
{
    bool searching = after == nullptr;
    for (const auto& child : m_children) {
        if (!searching) {
            searching = child.get() == after;
            continue;
        }
        if (child->kind() == kind) {
            return child.get();
        }
    }
    return nullptr;
}

bool UiControl::isAncestorOf(const UiControl& other) const
{
    for (const UiControl* p = other.m_parent; p != nullptr; p = p->m_parent) {
        if (p == this) {
            return true;
        }
    }
    return false;
}

void UiControl::destroy()
{
    if (m_destroyed || m_host == nullptr) {
        return;
    }
    UiHost& host = *m_host;
    if (m_visible) {
        m_visible = false;
        invalidate();
    }
    destroyTree();
    auto& list = host.siblingsOf(*this);
    auto it = std::find_if(list.begin(), list.end(), [this](const auto& c) { return c.get() == this; });
    assert(it != list.end());
    std::unique_ptr<UiControl> self = std::move(*it);
    list.erase(it);
    host.scheduleFree(std::move(self));
}

void UiControl::destroyTree()
{
    for (auto& child : m_children) {
        child->destroyTree();
    }
    Event destroyEvent(EventType::Destroy);
    dispatch(destroyEvent);
    stopTransition();
    for (const int id : std::vector<int>(m_timers)) {
        killTimer(id);
    }
    if (m_host != nullptr) {
        m_host->controlDestroyed(*this);
    }
    m_destroyed = true;
    // Work posted from other threads finds the control gone from now on.
    m_self.reset();
}

// ---- geometry ----

bool UiControl::containsPoint(FloatPoint point) const
{
    return point.x >= m_rect.x - tolerance && point.x < m_rect.x + m_rect.width - tolerance
        && point.y >= m_rect.y - tolerance && point.y < m_rect.y + m_rect.height - tolerance;
}

void UiControl::move(std::optional<float> x, std::optional<float> y, std::optional<float> width,
                     std::optional<float> height, bool repaint)
{
    const FloatRect next {x.value_or(m_rect.x), y.value_or(m_rect.y), width.value_or(m_rect.width),
                          height.value_or(m_rect.height)};
    if (!differs(next.x, m_rect.x) && !differs(next.y, m_rect.y) && !differs(next.width, m_rect.width)
        && !differs(next.height, m_rect.height)) {
        return;
    }
    m_previousRect = m_rect;
    m_rect = next;
    shiftDescendants(next.x - m_previousRect.x, next.y - m_previousRect.y);
    const bool resized = differs(next.width, m_previousRect.width) || differs(next.height, m_previousRect.height);
    if (resized && !isContainer()) {
        recreateSurface();
        ResizeEvent resize({next.width, next.height});
        dispatch(resize);
        m_needsPaint = true;
    }
    if (m_host != nullptr && repaint && isShowing()) {
        // The uncovered area and the new one; children moved with the control.
        m_host->requestRepaint(m_previousRect, RepaintKind::Queued);
        m_host->requestRepaint(m_rect, RepaintKind::Queued);
    }
}

void UiControl::shiftDescendants(float dx, float dy)
{
    for (auto& child : m_children) {
        child->m_previousRect = child->m_rect;
        child->m_rect = child->m_rect.translated(dx, dy);
        child->shiftDescendants(dx, dy);
    }
}

int UiControl::deviceScale() const
{
    return m_host != nullptr ? m_host->deviceScale() : 1;
}

void UiControl::recreateSurface()
{
    if (isContainer()) {
        m_surface = gfx::Surface::create(1, 1);
    } else {
        const int w = std::max(1, static_cast<int>(m_rect.width));
        const int h = std::max(1, static_cast<int>(m_rect.height));
        m_surface = gfx::Surface::create(w, h, deviceScale());
    }
    m_needsPaint = true;
}

// ---- state ----

void UiControl::setVisible(bool visible)
{
    if (visible == m_visible) {
        return;
    }
    m_visible = visible;
    Event event(visible ? EventType::Shown : EventType::Hidden);
    dispatch(event);
    if (m_host != nullptr) {
        if (!visible) {
            m_host->forget(*this);
        }
        m_host->requestRepaint(m_rect, RepaintKind::Queued);
    }
}

void UiControl::setEnabled(bool enabled)
{
    if (enabled == m_enabled) {
        return;
    }
    m_enabled = enabled;
    if (!enabled && m_host != nullptr) {
        if (m_host->m_focus == this) {
            m_host->m_focus = nullptr;
            m_host->m_keyboardFocus = nullptr;
            FocusEvent out(EventType::FocusOut, nullptr);
            dispatch(out);
            m_host->updateTextInput();
        }
        if (m_host->m_hover == this) {
            m_host->m_hover = nullptr;
        }
        HoverEvent leave(EventType::MouseLeave, nullptr);
        dispatch(leave);
    }
    m_needsPaint = true;
    invalidate();
}

bool UiControl::isShowing() const
{
    for (const UiControl* c = this; c != nullptr; c = c->m_parent) {
        if (!c->m_visible) {
            return false;
        }
    }
    return true;
}

void UiControl::setCursor(Cursor cursor)
{
    if (cursor == m_cursor) {
        return;
    }
    m_cursor = cursor;
    if (m_host != nullptr && m_host->hover() == this) {
        m_host->updateCursor();
    }
}

void UiControl::setText(const Text& text, bool refresh)
{
    if (text == m_text) {
        return;
    }
    m_text = text;
    update();
    if (refresh) {
        refreshTooltip();
    }
}

void UiControl::setSecondaryText(const Text& text)
{
    if (text == m_secondaryText) {
        return;
    }
    m_secondaryText = text;
    update();
}

void UiControl::refreshTooltip(std::optional<Text> tooltip)
{
    if (m_host != nullptr) {
        m_host->updateTooltip(this, std::move(tooltip));
    }
}

void UiControl::setAlpha(int alpha, bool repaint)
{
    alpha = std::clamp(alpha, 0, 255);
    if (alpha == m_alpha) {
        return;
    }
    m_alpha = alpha;
    if (repaint) {
        invalidate();
    }
    ValueEvent event(EventType::AlphaChanged, alpha);
    dispatch(event);
}

// ---- focus ----

bool UiControl::hasFocus() const
{
    if (const auto answer = hasFocusOverride()) {
        return *answer;
    }
    return m_host != nullptr && m_host->focus() == this;
}

bool UiControl::setFocus(bool byKeyboard)
{
    return m_host != nullptr && m_host->setFocus(this, byKeyboard);
}

// ---- painting ----

void UiControl::requestRepaint(const FloatRect& rect, int kind)
{
    if (m_host != nullptr) {
        m_host->requestRepaint(rect, static_cast<RepaintKind>(kind));
    }
}

void UiControl::update()
{
    aboutToRepaint();
    if (m_host == nullptr) {
        m_needsPaint = true;
        return;
    }
    if (!m_redrawEnabled || !m_visible) {
        m_needsPaint = true;
        return;
    }
    if (m_transitionFrames > 0 && m_transitionInterval.count() > 0) {
        // The picture shown so far is where the transition starts; a running
        // transition keeps its start picture.
        if (!m_transitionRunning) {
            m_previousSurface = m_surface.copy();
        }
        m_needsPaint = true;
        startTransition();
        return;
    }
    m_needsPaint = true;
    requestRepaint(m_rect, static_cast<int>(RepaintKind::Queued));
}

void UiControl::invalidate()
{
    requestRepaint(m_rect, static_cast<int>(RepaintKind::Queued));
}

void UiControl::paintIfNeeded()
{
    if (!m_needsPaint || m_surface.isNull()) {
        return;
    }
    m_needsPaint = false;
    if (isContainer()) {
        return;
    }
    m_surface.clear(0);
    gfx::Painter painter(m_surface);
    PaintEvent event(painter);
    dispatch(event);
    assert(painter.saveDepth() == 0 && "paint code leaves the painter as it found it");
}

// ---- transitions ----

void UiControl::setTransition(int frames, std::optional<std::chrono::milliseconds> interval)
{
    m_transitionFrames = std::max(0, frames);
    if (interval) {
        m_transitionInterval = *interval;
    }
}

void UiControl::startTransition()
{
    m_transitionFrame = 0;
    const bool wasRunning = m_transitionRunning;
    m_transitionRunning = true;
    if (!wasRunning) {
        Event started(EventType::TransitionStarted);
        dispatch(started);
    }
    // Timer id -1 is the transition's own (control timers are 0 and up).
    m_host->startTimer(*this, -1, m_transitionInterval);
    requestRepaint(m_rect, static_cast<int>(RepaintKind::Immediate));
}

void UiControl::transitionTick()
{
    if (!m_transitionRunning) {
        if (m_host != nullptr) {
            m_host->killTimer(*this, -1);
        }
        return;
    }
    ++m_transitionFrame;
    if (m_transitionFrame >= m_transitionFrames) {
        stopTransition();
        requestRepaint(m_rect, static_cast<int>(RepaintKind::Immediate));
        Event ended(EventType::TransitionEnded);
        dispatch(ended);
        return;
    }
    requestRepaint(m_rect, static_cast<int>(RepaintKind::Immediate));
}

void UiControl::stopTransition()
{
    if (m_host != nullptr) {
        m_host->killTimer(*this, -1);
    }
    m_transitionRunning = false;
    m_transitionFrame = 0;
    m_previousSurface = gfx::Surface();
}

// ---- events ----

void UiControl::bindHandler(EventType type, EventHandler handler)
{
    for (auto& [boundType, bound] : m_handlers) {
        if (boundType == type) {
            bound = std::move(handler);
            return;
        }
    }
    m_handlers.emplace_back(type, std::move(handler));
}

void UiControl::unbind(EventType type)
{
    std::erase_if(m_handlers, [type](const auto& entry) { return entry.first == type; });
}

bool UiControl::isBound(EventType type) const
{
    return std::any_of(m_handlers.begin(), m_handlers.end(), [type](const auto& e) { return e.first == type; });
}

bool UiControl::takesPress() const
{
    return wantsPress() || isFocusable() || isBound(EventType::Click) || isBound(EventType::MouseDown)
        || isBound(EventType::MouseUp) || isBound(EventType::DoubleClick);
}

void UiControl::callBoundHandler(EventType type, const Event& event)
{
    for (const auto& [boundType, handler] : m_handlers) {
        if (boundType == type && handler) {
            // A copy: the handler may rebind or destroy this control.
            const EventHandler call = handler;
            call(m_parent, *this, event);
            return;
        }
    }
}

void UiControl::notify(const Event& event)
{
    callBoundHandler(event.type(), event);
}

bool UiControl::dispatch(Event& event)
{
    event.accept();
    if (!m_enabled && event.isInput()) {
        event.ignore();
        return false;
    }
    switch (event.type()) {
    case EventType::Create:
        createEvent(event);
        break;
    case EventType::Destroy:
        destroyEvent(event);
        break;
    case EventType::Paint:
        paintEvent(static_cast<PaintEvent&>(event));
        break;
    case EventType::MouseMove:
        mouseMoveEvent(static_cast<MouseEvent&>(event));
        break;
    case EventType::MouseDown:
        mouseDownEvent(static_cast<MouseEvent&>(event));
        break;
    case EventType::MouseUp:
        mouseUpEvent(static_cast<MouseEvent&>(event));
        break;
    case EventType::RightMouseDown:
        rightMouseDownEvent(static_cast<MouseEvent&>(event));
        break;
    case EventType::RightMouseUp:
        rightMouseUpEvent(static_cast<MouseEvent&>(event));
        break;
    case EventType::MouseWheel:
        wheelEvent(static_cast<WheelEvent&>(event));
        break;
    case EventType::KeyDown:
    case EventType::SysKeyDown:
        keyDownEvent(static_cast<KeyEvent&>(event));
        break;
    case EventType::KeyUp:
    case EventType::SysKeyUp:
        keyUpEvent(static_cast<KeyEvent&>(event));
        break;
    case EventType::Char:
    case EventType::SysChar:
        charEvent(static_cast<CharEvent&>(event));
        break;
    case EventType::Text:
        textEvent(static_cast<TextEvent&>(event));
        break;
    case EventType::Composition:
        compositionEvent(static_cast<CompositionEvent&>(event));
        break;
    case EventType::Command:
        commandEvent(static_cast<CommandEvent&>(event));
        break;
    case EventType::Timer:
        timerEvent(static_cast<TimerEvent&>(event));
        break;
    case EventType::FocusIn:
        focusInEvent(static_cast<FocusEvent&>(event));
        break;
    case EventType::FocusOut:
        focusOutEvent(static_cast<FocusEvent&>(event));
        break;
    case EventType::MouseEnter:
        mouseEnterEvent(static_cast<HoverEvent&>(event));
        break;
    case EventType::MouseLeave:
        mouseLeaveEvent(static_cast<HoverEvent&>(event));
        break;
    case EventType::Click:
        clickEvent(static_cast<ClickEvent&>(event));
        break;
    case EventType::Resized:
        resizeEvent(static_cast<ResizeEvent&>(event));
        break;
    case EventType::Shown:
        shownEvent(event);
        break;
    case EventType::Hidden:
        hiddenEvent(event);
        break;
    case EventType::AlphaChanged:
        alphaChangedEvent(static_cast<ValueEvent&>(event));
        break;
    case EventType::TransitionStarted:
        transitionStartedEvent(event);
        break;
    case EventType::TransitionEnded:
        transitionEndedEvent(event);
        break;
    case EventType::DoubleClick:
        break;
    default:
        customEvent(event);
        break;
    }
    const bool accepted = event.isAccepted();
    if (event.type() == EventType::Paint) {
        return accepted;
    }
    if (event.type() == EventType::MouseDown && static_cast<const MouseEvent&>(event).isDoubleClick()
        && isBound(EventType::DoubleClick)) {
        callBoundHandler(EventType::DoubleClick, event);
    } else {
        callBoundHandler(event.type(), event);
    }
    return accepted;
}

bool UiControl::startTimer(int id, std::chrono::milliseconds interval)
{
    if (m_host == nullptr || id < 0) {
        return false;
    }
    return m_host->startTimer(*this, id, interval);
}

bool UiControl::killTimer(int id)
{
    return m_host != nullptr && m_host->killTimer(*this, id);
}

}  // namespace quorvo::ui
