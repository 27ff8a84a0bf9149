#pragma once

// UiControl: the base of every drawn control. A control is a node in its host
// window's control tree (UiHost.h) with its own premultiplied ARGB surface, a
// rectangle in window coordinates (children too), state flags, a text (also
// its tooltip), a cursor, an alpha, an optional transition, and one program
// handler per event type.
//
// Ownership: the tree owns its controls. Create them with `add`:
//
//     auto& page = host.add<UiPanel>(FloatRect {5, 86, 400, 565});
//     auto& ok = page.add<MyButton>(FloatRect {20, 20, 80, 24}, "确定(&O)");
//     ok.bind(EventType::Click, [&] { accept(); });
//
// `add` constructs the control, links it last in the sibling list (drawn on
// top, hit first), creates its surface, delivers Create and paints it.
// A constructor therefore runs before the control has a host: work that needs
// one (mnemonics, timers) belongs in createEvent().
//
// Writing a control: override paintEvent() to draw the whole surface from the
// control's state (the surface is cleared to transparent first), the input
// handlers you need, and call update() whenever state that paint reads
// changes. Setters follow one shape: compare, assign, update(), then notify.
// Paint code never changes state.
//
// Threads: a control belongs to the user-interface thread. Other threads reach
// it through a UiRef (weakRef()), which carries work onto that thread and
// drops it when the control is gone.

#include "ui/core/Event.h"

#include "gfx/Surface.h"
#include "runtime/Geometry.h"
#include "runtime/Text.h"

#include <chrono>
#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace quorvo::gfx {
class Painter;
}

namespace quorvo::ui {

class UiHost;
class UiDispatcher;
template <typename T> class UiRef;

// Cursors a control can ask for; Default shows the host's cursor.
enum class Cursor { Default, Arrow, IBeam, Wait, Hand, SizeWE, SizeNS, SizeNWSE, SizeNESW, SizeAll, No };

// The classic system cursor ids (32512 arrow, 32513 I-beam, 32649 hand, ...).
[[nodiscard]] Cursor cursorFromSystemId(int id);

// How a transition moves from the previous picture to the new one.
enum class TransitionStyle { CrossFade = 0, PushDown = 1, PushUp = 2, PushRight = 3, PushLeft = 4 };

// Where Restack puts a control in its sibling list.
enum class StackPosition {
    Bottom,  // first in the list: drawn first, hit last
    Top,     // last in the list: drawn last, hit first
};

// One frame of a running transition, for controls that paint their own
// (paintTransitionFrame). Draw into `target` inside `rect`, already clipped.
struct TransitionFrame {
    gfx::Painter& target;
    const gfx::Surface& previous;
    const gfx::Surface& current;
    FloatRect rect;
    FloatRect clip;
    int frame = 0;
    int frames = 0;
    double alpha = 1.0;  // the control's alpha, 0..1
};

// A program handler. Any of these shapes binds:
//   void(UiControl* parent, UiControl& control, const Event& event)   (parent first; null at top level)
//   void(UiControl& control, const Event& event)
//   void(const Event& event)
//   void()
using EventHandler = std::function<void(UiControl* parent, UiControl& control, const Event& event)>;

class UiControl {
public:
    explicit UiControl(FloatRect rect, ControlKind kind = ControlKind::None, bool focusable = true,
                       bool visible = true);
    UiControl(const UiControl&) = delete;
    UiControl& operator=(const UiControl&) = delete;
    virtual ~UiControl();

    // ---- tree ----
    // Constructs a child, links it last among the children, creates and paints it.
    template <typename T, typename... Args>
    requires std::derived_from<T, UiControl> T& add(Args&&... args)
    {
        auto control = std::make_unique<T>(std::forward<Args>(args)...);
        T& result = *control;
        adoptChild(std::move(control));
        return result;
    }
    [[nodiscard]] UiHost* host() const { return m_host; }
    // The host's device scale (1 without a host): what the control's own
    // pictures are drawn at.
    [[nodiscard]] int deviceScale() const;
    [[nodiscard]] UiControl* parent() const { return m_parent; }
    [[nodiscard]] std::span<const std::unique_ptr<UiControl>> children() const { return m_children; }
    // Moves the control under `newParent` (null: top level of its host), last in the list.
    void setParent(UiControl* newParent);
    // Moves the control to the bottom or top of its sibling list.
    void restack(StackPosition position, bool repaint = true);
    // The first child (after `after`, when given) of that kind, or null.
    [[nodiscard]] UiControl* findChild(ControlKind kind, const UiControl* after = nullptr) const;
    [[nodiscard]] bool isAncestorOf(const UiControl& other) const;
    // Unlinks the control and its subtree now (Destroy is delivered to each,
    // deepest first) and frees them once the current event is handled. Safe
    // inside the control's own handlers.
    void destroy();
    [[nodiscard]] bool isDestroyed() const { return m_destroyed; }

    // ---- geometry (window coordinates) ----
    [[nodiscard]] FloatRect rect() const { return m_rect; }
    [[nodiscard]] FloatRect previousRect() const { return m_previousRect; }
    [[nodiscard]] float left() const { return m_rect.x; }
    [[nodiscard]] float top() const { return m_rect.y; }
    [[nodiscard]] float width() const { return m_rect.width; }
    [[nodiscard]] float height() const { return m_rect.height; }
    // Moves and resizes; missing values keep the current ones. Descendants
    // move by the same offset (they are not resized). A new size re-creates
    // the surface, delivers Resized and repaints. Changes within 1e-7 do nothing.
    void move(std::optional<float> x, std::optional<float> y, std::optional<float> width = std::nullopt,
              std::optional<float> height = std::nullopt, bool repaint = true);
    void setRect(const FloatRect& rect) { move(rect.x, rect.y, rect.width, rect.height); }
    void setLeft(float x) { move(x, std::nullopt); }
    void setTop(float y) { move(std::nullopt, y); }
    void setWidth(float width) { move(std::nullopt, std::nullopt, width); }
    void setHeight(float height) { move(std::nullopt, std::nullopt, std::nullopt, height); }
    // Whether the point (window coordinates) lies in the rectangle (half-open, 1e-7 tolerance).
    [[nodiscard]] bool containsPoint(FloatPoint point) const;

    // ---- state ----
    [[nodiscard]] bool isVisible() const { return m_visible; }
    void setVisible(bool visible);
    [[nodiscard]] bool isEnabled() const { return m_enabled; }
    // Disabling drops the focus (FocusOut is delivered) and the hover (MouseLeave).
    void setEnabled(bool enabled);
    [[nodiscard]] bool isFocusable() const { return m_focusable; }
    void setFocusable(bool focusable) { m_focusable = focusable; }
    // Visible, and so are all its ancestors.
    [[nodiscard]] bool isShowing() const;
    [[nodiscard]] ControlKind kind() const { return m_kind; }
    // A derived class may give itself a finer kind after construction.
    void setKind(ControlKind kind) { m_kind = kind; }
    [[nodiscard]] Cursor cursor() const { return m_cursor; }
    void setCursor(Cursor cursor);

    // The text; also the tooltip. With refreshTooltip the host's tooltip follows.
    [[nodiscard]] const Text& text() const { return m_text; }
    void setText(const Text& text, bool refreshTooltip = false);
    [[nodiscard]] const Text& secondaryText() const { return m_secondaryText; }
    void setSecondaryText(const Text& text);
    // Shows `tooltip` (or the text when none) for this control now.
    void refreshTooltip(std::optional<Text> tooltip = std::nullopt);

    // Opacity used when the surface is composed, 0..255. Delivers AlphaChanged.
    [[nodiscard]] int alpha() const { return m_alpha; }
    void setAlpha(int alpha, bool repaint = true);

    // ---- focus ----
    [[nodiscard]] bool hasFocus() const;
    // Asks the host for the focus (refused when disabled, hidden, not focusable
    // or not accepting it).
    bool setFocus(bool byKeyboard = false);

    // ---- painting ----
    // Content changed: the surface is repainted and composed, through the
    // transition when one is set (transitionFrames() > 0 and an interval).
    void update();
    // Recompose the control's rectangle now (the surface is not redrawn unless it is out of date).
    void invalidate();
    // Repaint requests are ignored until resumeRedraw().
    void suspendRedraw() { m_redrawEnabled = false; }
    void resumeRedraw() { m_redrawEnabled = true; }
    [[nodiscard]] bool isRedrawEnabled() const { return m_redrawEnabled; }
    [[nodiscard]] const gfx::Surface& surface() const { return m_surface; }
    // Paints the surface when it is out of date (the host does this before composing).
    void paintIfNeeded();

    // ---- transitions ----
    [[nodiscard]] int transitionFrames() const { return m_transitionFrames; }
    [[nodiscard]] std::chrono::milliseconds transitionInterval() const { return m_transitionInterval; }
    [[nodiscard]] TransitionStyle transitionStyle() const { return m_transitionStyle; }
    void setTransition(int frames, std::optional<std::chrono::milliseconds> interval = std::nullopt);
    void setTransitionInterval(std::chrono::milliseconds interval) { m_transitionInterval = interval; }
    void setTransitionStyle(TransitionStyle style) { m_transitionStyle = style; }
    // Current frame of the running transition (0 when none runs).
    [[nodiscard]] int transitionFrame() const { return m_transitionFrame; }
    [[nodiscard]] bool isTransitionRunning() const { return m_transitionRunning; }
    [[nodiscard]] const gfx::Surface& previousSurface() const { return m_previousSurface; }

    // ---- events ----
    // Binds the program's handler for one event type; binding again replaces it.
    template <typename F> void bind(EventType type, F&& handler)
    {
        bindHandler(type, adaptHandler(std::forward<F>(handler)));
    }
    void unbind(EventType type);
    [[nodiscard]] bool isBound(EventType type) const;
    // Delivers an event: disabled controls drop input first; then the
    // control's own handler; then the bound program handler. Returns whether
    // the event was accepted.
    bool dispatch(Event& event);
    // Raises a control's own notification (no own handling): the bound handler only.
    void notify(const Event& event);

    // Timers keyed by id per control; TimerEvent{id} arrives on the user-interface thread.
    bool startTimer(int id, std::chrono::milliseconds interval);
    bool killTimer(int id);

    // ---- queries the host asks ----
    // Takes left presses although not focusable.
    [[nodiscard]] virtual bool wantsPress() const { return false; }
    // Whether a left press on it belongs to it (and is not a window drag): it
    // is focusable, wants presses, or the program bound a press or click
    // handler to it. Anything that acts on a press must take the press.
    [[nodiscard]] bool takesPress() const;
    // Takes typed text through the input method while it has the focus: the
    // host turns text input on for it and off for every other control.
    [[nodiscard]] virtual bool acceptsTextInput() const { return false; }
    // Composed at half alpha while disabled; false: drawn as when enabled.
    [[nodiscard]] virtual bool drawsDimmedWhenDisabled() const { return true; }
    // A pure container (a page): draws nothing of its own (its surface stays
    // 1 x 1), gets no Resized and is no Tab stop; its children are drawn and walked.
    [[nodiscard]] virtual bool isContainer() const { return false; }
    // Whether a focusable control may hold the focus; false: its presses are
    // taken but the focus stays where it is (caption buttons).
    [[nodiscard]] virtual bool acceptsFocus() const { return true; }
    // Tab stops at it when it is focusable and accepts the focus; pictures
    // and labels are passed over.
    [[nodiscard]] virtual bool isTabStop() const { return !isContainer(); }

    // A handle for other threads.
    template <typename T = UiControl> [[nodiscard]] UiRef<T> weakRef();
    // What a UiRef is made of (user-interface thread).
    [[nodiscard]] const UiDispatcher* dispatcher() const;
    [[nodiscard]] std::weak_ptr<UiControl*> selfReference() const { return m_self; }

protected:
    // Answers the focus question itself; nullopt: whether the host's focus is this control.
    [[nodiscard]] virtual std::optional<bool> hasFocusOverride() const { return std::nullopt; }
    // Paints one frame of a running transition into the back buffer; false: the
    // framework draws it (cross-fade or push).
    virtual bool paintTransitionFrame(const TransitionFrame&) { return false; }
    // Called before every repaint request.
    virtual void aboutToRepaint() { }

    // The one dispatch switch calls these. Key and character handlers ignore()
    // by default, so that the host acts on Tab, Enter, Space and mnemonics.
    virtual void createEvent(Event&) { }
    virtual void destroyEvent(Event&) { }
    virtual void paintEvent(PaintEvent&) { }
    virtual void mouseMoveEvent(MouseEvent&) { }
    virtual void mouseDownEvent(MouseEvent&) { }
    virtual void mouseUpEvent(MouseEvent&) { }
    virtual void rightMouseDownEvent(MouseEvent&) { }
    virtual void rightMouseUpEvent(MouseEvent&) { }
    virtual void wheelEvent(WheelEvent& event) { event.ignore(); }
    // KeyDown and SysKeyDown.
    virtual void keyDownEvent(KeyEvent& event) { event.ignore(); }
    // KeyUp and SysKeyUp.
    virtual void keyUpEvent(KeyEvent& event) { event.ignore(); }
    // Char and SysChar.
    virtual void charEvent(CharEvent& event) { event.ignore(); }
    virtual void textEvent(TextEvent& event) { event.ignore(); }
    virtual void compositionEvent(CompositionEvent& event) { event.ignore(); }
    virtual void commandEvent(CommandEvent& event) { event.ignore(); }
    virtual void timerEvent(TimerEvent&) { }
    virtual void focusInEvent(FocusEvent&) { }
    virtual void focusOutEvent(FocusEvent&) { }
    virtual void mouseEnterEvent(HoverEvent&) { }
    virtual void mouseLeaveEvent(HoverEvent&) { }
    virtual void clickEvent(ClickEvent&) { }
    virtual void resizeEvent(ResizeEvent&) { }
    virtual void shownEvent(Event&) { }
    virtual void hiddenEvent(Event&) { }
    virtual void alphaChangedEvent(ValueEvent&) { }
    virtual void transitionStartedEvent(Event&) { }
    virtual void transitionEndedEvent(Event&) { }
    // Event types the switch does not know (a derived control's own).
    virtual void customEvent(Event&) { }

private:
    friend class UiHost;
    friend class UiRenderer;

    void adoptChild(std::unique_ptr<UiControl> child);
    void linked(UiHost& host, UiControl* parent);
    void bindHandler(EventType type, EventHandler handler);
    void callBoundHandler(EventType type, const Event& event);
    void shiftDescendants(float dx, float dy);
    void recreateSurface();
    void startTransition();
    void transitionTick();
    void stopTransition();
    void destroyTree();
    void requestRepaint(const FloatRect& rect, int kind);

    template <typename F> static EventHandler adaptHandler(F&& handler)
    {
        if constexpr (std::is_invocable_v<F&, UiControl*, UiControl&, const Event&>) {
            return EventHandler(std::forward<F>(handler));
        } else if constexpr (std::is_invocable_v<F&, UiControl&, const Event&>) {
            return [h = std::forward<F>(handler)](UiControl*, UiControl& control, const Event& event) mutable {
                h(control, event);
            };
        } else if constexpr (std::is_invocable_v<F&, const Event&>) {
            return [h = std::forward<F>(handler)](UiControl*, UiControl&, const Event& event) mutable { h(event); };
        } else {
            static_assert(std::is_invocable_v<F&>,
                          "a handler takes (parent, control, event), (control, event), "
                          "(event) or nothing");
            return [h = std::forward<F>(handler)](UiControl*, UiControl&, const Event&) mutable { h(); };
        }
    }

    UiHost* m_host = nullptr;
    UiControl* m_parent = nullptr;
    std::vector<std::unique_ptr<UiControl>> m_children;

    FloatRect m_rect;
    FloatRect m_previousRect;
    ControlKind m_kind = ControlKind::None;
    bool m_visible = true;
    bool m_enabled = true;
    bool m_focusable = true;
    bool m_redrawEnabled = true;
    bool m_destroyed = false;
    bool m_needsPaint = true;
    Cursor m_cursor = Cursor::Default;
    Text m_text;
    Text m_secondaryText;
    int m_alpha = 255;

    gfx::Surface m_surface;
    gfx::Surface m_previousSurface;
    std::chrono::milliseconds m_transitionInterval {0};
    int m_transitionFrames = 0;
    int m_transitionFrame = 0;
    bool m_transitionRunning = false;
    TransitionStyle m_transitionStyle = TransitionStyle::CrossFade;

    std::vector<std::pair<EventType, EventHandler>> m_handlers;
    std::vector<int> m_timers;
    // Other threads hold weak references to this; only the user-interface thread reads through them.
    std::shared_ptr<UiControl*> m_self;
};

}  // namespace quorvo::ui

#include "ui/core/UiRef.h"

namespace quorvo::ui {

template <typename T>
UiRef<T>::UiRef(UiControl& control)
    : m_dispatcher(control.dispatcher())
    , m_target(control.selfReference())
{ }

template <typename T> UiRef<T> UiControl::weakRef()
{
    static_assert(std::is_base_of_v<UiControl, T>);
    return UiRef<T>(*this);
}

}  // namespace quorvo::ui
