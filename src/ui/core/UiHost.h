#pragma once

// UiHost: one top-level window drawn entirely by the framework. It owns its
// platform window (created in the constructor, destroyed with the host), the
// back buffer and the cached background, the control tree's top level, the
// hover / press / focus state, the mnemonics, the tooltip and the program's
// host callbacks. See README.md beside this file for a walk-through.
//
// Input routing, in short:
// - Mouse: the control under the pointer is found from the last top-level
//   control backwards, descending into children the same way (later controls
//   lie on top); hidden and disabled controls are skipped. The wheel goes to
//   the control under the pointer (then its parents), not to the focus. A left press on a
//   control that takes it (takesPress(): focusable, wantsPress() or a bound
//   press or click handler) captures the mouse:
//   moves and the release go to that control, and the release produces a
//   Click only over the same control (elsewhere it gets MouseLeave). A press
//   no control takes drags the window (dragAnywhere).
// - Keyboard: keys go to the focus control first; when it ignores them, Tab
//   (Shift+Tab) moves the focus over every focusable control of the tree,
//   children too (pages are panels; panels themselves are no Tab stop), Enter
//   and Space click the focus control. Alt+character clicks the control whose
//   caption registered that mnemonic.
// - Window requests (close, minimise, commands, the tray notification) go to
//   the program's onMessage hook first; notHandled lets the host go on.

#include "ui/core/Event.h"
#include "ui/core/EventDecoder.h"
#include "ui/core/UiControl.h"
#include "ui/core/UiFramework.h"

#include "gfx/Color.h"
#include "gfx/Image.h"
#include "gfx/Surface.h"
#include "platform/window/WindowEvent.h"
#include "runtime/Geometry.h"
#include "runtime/Text.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorvo::gfx {
class Painter;
}

namespace quorvo::ui {

class UiRenderer;
class UiRepaintQueue;
class UiTooltip;

// Window flags of the caption (HostOptions::captionFlags).
namespace caption {
inline constexpr unsigned Icon = 1;         // small icon at (11, 11)
inline constexpr unsigned Title = 2;        // the window title, white
inline constexpr unsigned Close = 4;        // close button, 39 wide
inline constexpr unsigned Maximise = 8;     // maximise button; double click on the caption maximises
inline constexpr unsigned Minimise = 16;    // minimise button
inline constexpr unsigned Menu = 32;        // further buttons of kinds 32, 64, 128, 256, 28 wide
inline constexpr unsigned SoftFrame = 512;  // always set: a translucent window's soft frame
inline constexpr unsigned FromStyle = 1024;
}  // namespace caption

// The request hook's answer that lets the host handle the request.
inline constexpr int notHandled = -1;

// How a repaint request is queued.
enum class RepaintKind {
    Queued = 0,       // appended; painted on the next loop turn
    Immediate = 1,    // painted and presented now
    QueuedFirst = 2,  // put in front of the queue
};

// What SetBackground does after rendering.
enum class BackgroundTransition {
    Present = 0,     // present at once
    Fade = 1,        // fade from the old picture in five 50-ms steps
    RenderOnly = -1  // render without presenting
};

struct HostOptions {
    // ---- the window (CreateHostWindow) ----
    Text title;
    // Screen position; none: centred on the work area (UiFramework::centredPosition).
    std::optional<IntPoint> position;
    int width = 380;
    int height = 250;
    // A popup (menus, drop-downs, message boxes): top-most, no taskbar entry,
    // owned by `owner` when given.
    bool popup = false;
    const UiHost* owner = nullptr;

    // ---- the binding ----
    // Encoded background picture (PNG, JPEG or GIF); empty: none.
    Bytes backgroundImage;
    // Background colour as a Windows RGB value (0x00BBGGRR); drawn opaque.
    std::uint32_t backgroundColour = 0;
    // caption:: flags; none: icon, title and close. SoftFrame is always added.
    std::optional<unsigned> captionFlags;
    // -1: opaque window; 0..255: translucent, the background drawn at this opacity.
    int layerAlpha = -1;
    // 0: image at (0, 0) at its own size; 1: stretched into the area inset 5; 2: centred.
    int imageMode = 0;
    // 0: square corners; 1: skin (the image nine-grid-stretched over the whole
    // window with `margins`, no colour, no clip); anything else: rounded.
    int frameStyle = 7;
    bool resizable = false;
    // A left press that no control takes drags the window.
    bool dragAnywhere = true;
    // With image modes 1 and 2: a rounded frame in the background colour around the image.
    bool imageFrame = true;
    // The soft frame's colour (translucent windows); none: black.
    std::optional<gfx::Argb> frameColour;
    // The nine-grid centre rectangle for skin mode.
    FloatRect margins;
    // Effect run when the window closes (0: none; 1..7, see setCloseEffect).
    int closeEffect = 0;
};

class UiHost {
public:
    UiHost(UiFramework& framework, HostOptions options);
    // Destroys the window unless it is gone already. Every control receives
    // Destroy; the host's callbacks are not called any more.
    ~UiHost();
    UiHost(const UiHost&) = delete;
    UiHost& operator=(const UiHost&) = delete;

    [[nodiscard]] UiFramework& framework() const { return m_framework; }
    // The platform loop, for the framework's core and the program's start-up;
    // controls use the services below instead.
    [[nodiscard]] platform::EventLoop& loop() const { return m_framework.loop(); }
    // Device pixels per logical pixel: the host's surfaces are drawn this much
    // finer than the coordinates the controls use.
    [[nodiscard]] int deviceScale() const;
    [[nodiscard]] const UiDispatcher& dispatcher() const { return m_framework.dispatcher(); }
    [[nodiscard]] platform::WindowId window() const { return m_window; }
    // False once the window is destroyed (closed).
    [[nodiscard]] bool isAlive() const;
    [[nodiscard]] IntSize size() const { return m_size; }
    [[nodiscard]] unsigned captionFlags() const { return m_captionFlags; }

    // ---- the control tree (top level) ----
    template <typename T, typename... Args>
    requires std::derived_from<T, UiControl> T& add(Args&&... args)
    {
        auto control = std::make_unique<T>(std::forward<Args>(args)...);
        T& result = *control;
        adopt(std::move(control));
        return result;
    }
    [[nodiscard]] std::span<const std::unique_ptr<UiControl>> controls() const { return m_controls; }
    // The first top-level control (after `after`, when given) of that kind.
    [[nodiscard]] UiControl* findControl(ControlKind kind, const UiControl* after = nullptr) const;
    // The deepest visible, enabled control at the point, later controls first; null when none.
    [[nodiscard]] UiControl* hitTest(FloatPoint point) const;

    // ---- state ----
    [[nodiscard]] UiControl* focus() const { return m_focus; }
    [[nodiscard]] UiControl* hover() const { return m_hover; }
    [[nodiscard]] UiControl* pressed() const { return m_pressed; }
    [[nodiscard]] bool isPressActive() const { return m_pressActive; }
    // The focus control when the focus was last moved by the keyboard, else null.
    [[nodiscard]] UiControl* keyboardFocusMarker() const { return m_keyboardFocus; }
    // While binding, running a fade or an effect, or processing the repaint
    // queue: mouse input is ignored and repaints wait until it ends.
    [[nodiscard]] bool isBusy() const { return m_busy > 0; }

    // Moves the focus (FocusOut to the old control, FocusIn to the new one).
    // Refused (false) for disabled, hidden, non-focusable controls and caption buttons.
    bool setFocus(UiControl* control, bool byKeyboard = false);
    // Registers the character (case-insensitive) that clicks `control` with Alt; 0 removes it.
    void setMnemonic(UiControl& control, int character);
    // Shows `text` (none: the control's text) as the tooltip over `control`; empty text removes it.
    void updateTooltip(UiControl* control, std::optional<Text> text = std::nullopt);
    [[nodiscard]] const Text& tooltipText() const { return m_tooltipText; }
    [[nodiscard]] UiControl* tooltipControl() const { return m_tooltipControl; }
    // The tooltip's popup window (empty until a tip was first shown) and whether it shows now.
    [[nodiscard]] platform::WindowId tooltipWindow() const;
    [[nodiscard]] bool isTooltipShown() const;
    // Shows the pending tip now instead of after the initial delay.
    void popUpTooltip();
    // Shown where the hovered control has no cursor of its own.
    void setDefaultCursor(Cursor cursor);
    void setDragAnywhere(bool on) { m_dragAnywhere = on; }
    [[nodiscard]] bool dragAnywhere() const { return m_dragAnywhere; }
    [[nodiscard]] int frameStyle() const { return m_frameStyle; }
    void setFrameStyle(int style);
    [[nodiscard]] int layerAlpha() const { return m_layerAlpha; }
    [[nodiscard]] int imageMode() const { return m_imageMode; }
    [[nodiscard]] const FloatRect& margins() const { return m_margins; }
    // The encoded background picture as given (a message box borrows it).
    [[nodiscard]] const Bytes& backgroundBytes() const { return m_backgroundBytes; }
    [[nodiscard]] const gfx::Image& backgroundImage() const { return m_backgroundImage; }
    // Windows RGB (0x00BBGGRR).
    [[nodiscard]] std::uint32_t backgroundColour() const { return m_backgroundColour; }
    [[nodiscard]] std::span<UiControl* const> captionButtons() const { return m_captionButtons; }
    [[nodiscard]] UiControl* iconControl() const { return m_iconControl; }
    [[nodiscard]] UiControl* titleControl() const { return m_titleControl; }

    // ---- the program's callbacks (all optional) ----
    using ControlCallback = std::function<void(UiControl& control, ControlKind kind)>;
    using OptionalControlCallback = std::function<void(UiControl* control, ControlKind kind)>;
    ControlCallback onPress;  // a left press a control took
    // The left button released after a press (the control is null, as the press may have left it).
    OptionalControlCallback onRelease;
    ControlCallback onClick;                 // mouse, Enter, Space or mnemonic
    ControlCallback onDoubleClick;           // second press of a double click on a control
    OptionalControlCallback onRightPress;    // control under the pointer, or null
    OptionalControlCallback onRightRelease;  // control under the pointer, or null
    ControlCallback onMouseEnter;
    ControlCallback onMouseLeave;
    ControlCallback onFocusGained;  // focus moved by a press
    ControlCallback onFocusLost;
    std::function<void(IntSize size)> onSize;
    // Called first for every window request; any answer but notHandled is
    // final (e.g. 0 on Close keeps the window open and runs no close effect).
    std::function<int(const WindowRequest& request)> onMessage;
    // Draws on the cached background, after the picture and before the
    // controls, each time the background is rendered. Stays opaque on a
    // translucent window.
    std::function<void(gfx::Painter& painter, IntSize size)> onPaintBackground;

    // ---- window requests ----
    // Posts a request to this window (any thread): it reaches onMessage, then the host.
    bool postWindowRequest(const WindowRequest& request) const;
    // Handles a request now (user-interface thread); returns its answer.
    int sendWindowRequest(const WindowRequest& request);
    // Asks the window to close (the hook may refuse); posted.
    bool requestClose() const;
    void minimise();
    void toggleMaximise();

    // ---- painting ----
    void requestRepaint(const FloatRect& rect, RepaintKind kind = RepaintKind::Queued);
    // Recomposes the whole window now and presents it.
    void repaintAll();
    // Presents the back buffer (a part of it, or all).
    void present(std::optional<IntRect> area = std::nullopt);
    // Re-renders the background. New image bytes / colour replace the old ones when given.
    void setBackground(std::optional<Bytes> image, std::optional<std::uint32_t> colour,
                       BackgroundTransition transition = BackgroundTransition::Present, bool keepControls = false);
    void setFrameColour(std::optional<gfx::Argb> colour);
    // Places the caption buttons and the title (done by every setBackground).
    void layoutCaption();
    // The composed window image (premultiplied ARGB32).
    [[nodiscard]] const gfx::Surface& backBuffer() const;
    [[nodiscard]] const gfx::Surface& background() const;

    // ---- showing and closing ----
    // Shows the window, animated (effect 1 fade, 3/4 slide in horizontally,
    // 7 zoom in, any other non-zero: slide in vertically; 0: at once). The
    // frames follow on the loop's timers: the host is busy until the last.
    void show(int effect = 0, std::chrono::milliseconds duration = std::chrono::milliseconds(200));
    void hide();
    // The effect run on close (0 none, 1 fade, 2 zoom out, 3/4 slide right/left,
    // 5/6 slide down/up, 7 shrink to the centre). The window stays until its
    // last frame, then is hidden and destroyed.
    void setCloseEffect(int effect) { m_closeEffect = effect; }
    [[nodiscard]] int closeEffect() const { return m_closeEffect; }

    // ---- timers ----
    // A control's timer (UiControl::startTimer): TimerEvent{id} reaches the control.
    bool startTimer(UiControl& control, int id, std::chrono::milliseconds interval);
    bool killTimer(UiControl& control, int id);
    // The host's own timer `id`: `tick` runs on the user-interface thread every
    // `interval` until killed or the window is gone. Setting it again re-arms it.
    bool setTimer(int id, std::chrono::milliseconds interval, std::function<void()> tick);
    bool killTimer(int id);

    // ---- services for controls (user-interface thread) ----
    [[nodiscard]] Text clipboardText() const;  // "\n" becomes "\r\n"
    bool setClipboardText(const Text& text);
    // Where the input method shows its candidates: the caret (window coordinates).
    void setTextInputRect(const IntRect& caret);
    // The window's rectangle on the screen.
    [[nodiscard]] IntRect screenBounds() const;
    // The desktop minus panels, and the pointer, in screen coordinates.
    [[nodiscard]] IntRect workArea() const;
    [[nodiscard]] IntPoint cursorPosition() const;
    [[nodiscard]] bool isMinimised() const;
    [[nodiscard]] bool isMaximised() const;
    // Raises the window and gives it the keyboard.
    void activate();
    // The window has the keyboard.
    [[nodiscard]] bool isActive() const;
    void setAlwaysOnTop(bool onTop);
    // A nested loop that runs while this window exists (a popup's). False when it ended by quit().
    bool runWhileAlive();
    // As runWhileAlive, dropping keyboard and mouse input for every other window (a modal box).
    bool runModal();
    // Runs `task` once on the user-interface thread after `delay` (a timer of
    // this window, gone with it); false when the window is gone already.
    bool runAfter(std::chrono::milliseconds delay, std::function<void()> task);

    // For the effects: frame-by-frame pictures, each handed to `frameSink`
    // instead of being presented when set (tests and the gallery record them).
    std::function<void(const gfx::Surface& frame, int index)> frameSink;
    // Set (tests, picture recorders): the frames run back to back, calling it
    // with each frame's pause instead of waiting on a timer.
    std::function<void(std::chrono::milliseconds)> effectPause;

private:
    friend class UiControl;

    void adopt(std::unique_ptr<UiControl> control);
    void handleEvent(const platform::WindowEvent& event);
    int handleRequest(const WindowRequest& request);
    void handleInput(DecodedEvent& decoded);
    void onMouse(MouseEvent& event);
    void onWheel(WheelEvent& event);
    bool onResizeBorder(const MouseEvent& event);
    void onKeyDown(KeyEvent& event);
    bool onSysChar(CharEvent& event);
    void sizeChanged(const WindowRequest& request);
    void onDestroy();
    void onActivate(bool active);
    void onPointerLeft();
    void runMouseEnter(UiControl* control, UiControl* previous);
    void sendLeave(UiControl& control, UiControl* next);
    void click(UiControl& control, bool byMouse, IntPoint position);
    void endPress();
    void updateCursor();
    void moveFocusByPress(UiControl& control);
    void updateTextInput();
    void cycleFocus(bool backwards);
    void forget(UiControl& control);
    void controlDestroyed(UiControl& control);
    void scheduleFree(std::unique_ptr<UiControl> control);
    void createCaption();
    void recreateBuffers();
    void processRepaints();
    void compose(const FloatRect& rect, bool presentNow);
    void busyBegin();
    void busyEnd();
    bool startCloseEffect();
    void runEffectFrames();
    void finishEffect();
    void cancelEffect();
    void startFade(gfx::Surface from);
    void fadeTick();
    void presentFrame(const gfx::Surface& frame, int index);
    std::vector<std::unique_ptr<UiControl>>& siblingsOf(UiControl& control);

    UiFramework& m_framework;
    platform::WindowId m_window;
    std::shared_ptr<UiHost*> m_self;
    std::vector<std::unique_ptr<UiControl>> m_controls;
    std::vector<std::unique_ptr<UiControl>> m_doomed;  // destroyed, freed on the next loop turn
    bool m_freeScheduled = false;

    UiControl* m_focus = nullptr;
    UiControl* m_hover = nullptr;
    UiControl* m_pressed = nullptr;
    UiControl* m_keyboardFocus = nullptr;
    bool m_pressActive = false;
    int m_busy = 0;
    bool m_destroyed = false;

    IntSize m_size;
    unsigned m_captionFlags = 0;
    int m_layerAlpha = -1;
    int m_imageMode = 0;
    int m_frameStyle = 7;
    bool m_resizable = false;
    bool m_dragAnywhere = true;
    bool m_imageFrame = true;
    std::optional<gfx::Argb> m_frameColour;
    FloatRect m_margins;
    int m_closeEffect = 0;
    Bytes m_backgroundBytes;
    gfx::Image m_backgroundImage;
    std::uint32_t m_backgroundColour = 0;
    Cursor m_defaultCursor = Cursor::Arrow;
    std::optional<Cursor> m_shownCursor;

    std::vector<std::pair<UiControl*, int>> m_mnemonics;
    std::vector<UiControl*> m_captionButtons;
    UiControl* m_iconControl = nullptr;
    UiControl* m_titleControl = nullptr;
    Text m_tooltipText;
    UiControl* m_tooltipControl = nullptr;

    std::unique_ptr<UiRenderer> m_renderer;
    std::unique_ptr<UiRepaintQueue> m_queue;
    std::unique_ptr<UiTooltip> m_tooltip;
    bool m_processScheduled = false;
    // A show or close effect under way, frame by frame.
    struct RunningEffect {
        bool closing = false;
        int effect = 0;
        int frame = 0;
        int frames = 0;
        std::chrono::milliseconds duration {0};
        bool madeTranslucent = false;
        gfx::Surface picture;
        gfx::Surface canvas;
    };
    std::optional<RunningEffect> m_effect;
    gfx::Surface m_fadeFrom;
    int m_fadeAlpha = 0;
    // Repaints asked for while busy: painted when busy ends.
    std::vector<FloatRect> m_deferredRepaints;

    struct TimerKey {
        UiControl* control;
        int id;
        friend auto operator<=>(const TimerKey&, const TimerKey&) = default;
    };
    std::map<TimerKey, std::intptr_t> m_timers;
    std::map<int, std::intptr_t> m_hostTimers;
    std::intptr_t m_nextTimer = 1;
};

}  // namespace quorvo::ui
