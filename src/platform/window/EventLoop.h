#pragma once

// Windows and the user-interface thread's event loop (SDL2 underneath; no SDL
// type appears here).
//
// Typical use — a window showing a picture until it is closed:
//
//     std::string error;
//     auto loop = quorvo::platform::EventLoop::create(&error);  // null on failure
//     WindowId window = loop->createWindow({.title = "gallery", .width = 410, .height = 650});
//     loop->setWindowHandler(window, [&](const WindowEvent& event) {
//         if (std::holds_alternative<CloseRequested>(event)) loop->close(window);
//         if (std::holds_alternative<Destroyed>(event)) loop->quit(0);
//     });
//     loop->show(window);
//     loop->present(window, pixels);          // PixelView: premultiplied ARGB32
//     int exitCode = loop->run();             // until quit()
//
// With cairo: PixelView{cairo_image_surface_get_data(s), w, h,
// cairo_image_surface_get_stride(s)} after cairo_surface_flush(s). Present again
// after every change you want seen; the platform re-shows the last presented
// picture by itself when the window is exposed.
//
// Threads: the EventLoop is created on, and belongs to, the user-interface
// thread. post(), send(), quit(), isWindow() and the timer calls may be used
// from any thread; everything else only on the user-interface thread. Tasks
// posted or sent from one thread run in the order they were made. A send to a
// window that is gone (or goes while the send waits), made after quit(), or
// still waiting when the loop ends or is destroyed, fails instead of waiting
// forever.
//
// Window handlers are called on the user-interface thread; they may create
// and destroy windows, run nested loops and send to their own window (a
// direct call).
//
// Scale (HiDPI): every coordinate and size here — window geometry, screen
// positions, the work area, pointer positions in events, shapes, the text
// input rectangle — is logical. The platform multiplies by scale() on the way
// to the system and divides on the way back (the desktop's integer scale,
// DisplayScale.h), so a 410 x 650 window covers 820 x 1300 device pixels at
// scale 2. Only pictures are in device pixels: what present() takes and
// surfaceSnapshot() gives has scale() pixels per logical pixel.
//
// Presenting: a translucent window (WindowOptions::translucent) on a desktop
// with a compositing manager shows its premultiplied alpha as is (its window
// uses a 32-bit visual). Everywhere else — no compositor, opaque windows — the
// image is composed over the window's opaque backdrop colour.

#include "platform/window/Pixels.h"
#include "platform/window/WindowEvent.h"

#include "runtime/Text.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorvo::platform {

enum class WindowKind {
    TopLevel,  // borderless, with a taskbar entry
    Popup,     // borderless, top-most, no taskbar entry (menus, drop-downs)
    // A popup that never takes the keyboard and that the pointer passes
    // through: shown on top without a focus change (no raise of its owner).
    Tooltip,
};

struct WindowOptions {
    WindowKind kind = WindowKind::TopLevel;
    Text title;
    // Screen position; none = centred in the work area.
    std::optional<IntPoint> position;
    int width = 380;
    int height = 250;
    // Owned windows are destroyed with their owner.
    WindowId owner;
    // Opaque colour (0xRRGGBB, alpha ignored) that translucent pixels are composed over.
    std::uint32_t backdrop = 0x000000;
    // Per-pixel alpha reaches the desktop where a compositor runs (hasCompositor());
    // elsewhere the picture is composed over the backdrop like any other.
    bool translucent = false;
};

enum class SystemCursor { Arrow, IBeam, Wait, Hand, SizeWE, SizeNS, SizeNWSE, SizeNESW, SizeAll, No };

// Maps the classic system cursor ids (0x7F00 arrow, 0x7F01 I-beam, 0x7F89 hand,
// 0x7F82..0x7F85 the resize cursors, ...) onto SystemCursor.
[[nodiscard]] std::optional<SystemCursor> systemCursorFromId(int id);

// Which events a nested loop lets through.
enum class LoopFilter {
    None,
    // Keyboard, typed text and mouse events for other windows (isUserInput)
    // are dropped: the rest of the program ignores input while a modal box is open.
    // When another of our windows is activated meanwhile (a window manager
    // focuses the window the user clicked), the focus goes back to the box.
    DropOtherWindowsInput,
};

// Resize zones, numbered as the framework's resize borders are.
enum class ResizeZone {
    Left = 1,
    Right = 2,
    Top = 3,
    TopLeft = 4,
    TopRight = 5,
    Bottom = 6,
    BottomLeft = 7,
    BottomRight = 8
};

// Called instead of delivering TimerFired when a timer was set with a callback.
using TimerCallback = std::function<void(WindowId, TimerId)>;

class EventLoop {
public:
    // Starts the window system. Only one EventLoop may exist at a time; the
    // second gets nullptr. On failure `error` (if given) says why.
    static std::unique_ptr<EventLoop> create(std::string* error = nullptr);
    ~EventLoop();
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    // ---- windows (user-interface thread) ----
    // Returns an empty id when the system refuses the window. The window
    // starts hidden.
    WindowId createWindow(const WindowOptions& options);
    // Tells the window's handler Destroyed, destroys its owned windows,
    // drops its timers and answers pending sends to it with failure.
    bool destroyWindow(WindowId window);
    [[nodiscard]] bool isWindow(WindowId window) const;  // any thread

    // A window without a handler answers CloseRequested by closing.
    void setWindowHandler(WindowId window, WindowHandler handler);
    // The usual answer to CloseRequested: the window is destroyed.
    bool close(WindowId window);

    bool show(WindowId window);
    bool hide(WindowId window);
    bool minimise(WindowId window);
    bool maximise(WindowId window);
    bool restore(WindowId window);
    [[nodiscard]] bool isVisible(WindowId window) const;
    [[nodiscard]] bool isMinimised(WindowId window) const;
    [[nodiscard]] bool isMaximised(WindowId window) const;

    // Screen rectangle of the window (borderless: client = window).
    [[nodiscard]] IntRect bounds(WindowId window) const;
    bool move(WindowId window, IntPoint position);
    // Resized reaches the window's handler before this returns when the size changed.
    bool resize(WindowId window, int width, int height);
    bool setMinimumSize(WindowId window, int width, int height);

    bool setTitle(WindowId window, const Text& title);
    [[nodiscard]] Text title(WindowId window) const;
    // Premultiplied ARGB32 pixels; made straight-alpha for the system.
    bool setIcon(WindowId window, const PixelView& icon);
    // The same picture at several sizes; the desktop picks the one it draws
    // (the largest serves where only one is taken).
    bool setIcons(WindowId window, std::span<const PixelView> icons);

    // ---- system tray (user-interface thread) ----
    // Docks an icon for `owner` in the desktop's system tray (XEmbed on X11).
    // Left and right button releases on it reach the owner as
    // TrayIconReleased. An invalid `icon`
    // means the one given to setIcon. False when there is no tray to dock in
    // (not on X11, or no tray running); `whyNot` (if given) says why. When
    // the tray quits later, a hidden owner is shown again: nothing else
    // could bring it back.
    bool addTrayIcon(WindowId owner, const PixelView& icon, const Text& tooltip, std::string* whyNot = nullptr);
    // As addTrayIcon, and kept: where no tray runs yet the icon docks as soon
    // as one starts, and again in the next tray after one quits. False only
    // where trays cannot exist (not on X11); isTrayIconDocked says whether a
    // tray holds it now.
    bool keepTrayIcon(WindowId owner, const PixelView& icon, const Text& tooltip);
    // The same with the icon at several sizes: the tray shows the one that
    // suits the size it gives the icon (in device pixels).
    bool keepTrayIcon(WindowId owner, std::span<const PixelView> pictures, const Text& tooltip);
    // Also done when the owner is destroyed; also ends keepTrayIcon.
    bool removeTrayIcon(WindowId owner);
    // False when the owner has no tray icon.
    bool setTrayIconTooltip(WindowId owner, const Text& tooltip);
    bool setTrayIconPicture(WindowId owner, const PixelView& icon);
    // The tray has taken the icon in.
    [[nodiscard]] bool isTrayIconDocked(WindowId owner) const;
    // Screen rectangle of the docked icon.
    [[nodiscard]] std::optional<IntRect> trayIconBounds(WindowId owner) const;
    bool setBackdrop(WindowId window, std::uint32_t rgb);
    bool setTranslucent(WindowId window, bool translucent);
    // A compositing manager was running when the loop started, so translucent
    // windows show their alpha.
    [[nodiscard]] bool hasCompositor() const;
    // Whole-window opacity (0..1); false where the system cannot do it.
    bool setOpacity(WindowId window, float opacity);
    bool setAlwaysOnTop(WindowId window, bool onTop);
    // Cuts the window to a rounded rectangle (window coordinates; `ellipse` =
    // corner ellipse width and height, 0 = square), as a rounded window region
    // does; std::nullopt gives the whole window back. False where the window
    // system has no shapes (the dummy driver).
    struct Shape {
        IntRect area;
        int ellipse = 0;
    };
    bool setShape(WindowId window, std::optional<Shape> shape);

    // Named per-window values (the role of window properties).
    bool setProperty(WindowId window, std::string_view name, std::intptr_t value);
    [[nodiscard]] std::optional<std::intptr_t> property(WindowId window, std::string_view name) const;
    bool removeProperty(WindowId window, std::string_view name);

    // Device pixels per logical pixel, fixed for the loop's life.
    [[nodiscard]] int scale() const;

    // ---- presenting (user-interface thread) ----
    // Shows `image` (premultiplied ARGB32 in device pixels, scale() per
    // logical pixel; image pixel (0,0) at the window's top-left) on the
    // window, whole or only `area` (window coordinates, logical). Parts
    // outside the image or the window are left alone.
    bool present(WindowId window, const PixelView& image);
    bool present(WindowId window, const PixelView& image, const IntRect& area);
    // What the window surface shows now (opaque ARGB32, device pixels), for
    // tests and screenshots; none when the window has no surface.
    [[nodiscard]] std::optional<PixelBuffer> surfaceSnapshot(WindowId window) const;

    // ---- input state (user-interface thread) ----
    bool setFocus(WindowId window);  // raise and give keyboard focus
    [[nodiscard]] WindowId focusedWindow() const;
    bool setCapture(WindowId window);
    void releaseCapture();
    [[nodiscard]] WindowId captureWindow() const;
    // Whether a key (Shift, Control, Alt or any other) is held, as the key
    // events read so far say.
    [[nodiscard]] bool isKeyDown(Key key) const;
    [[nodiscard]] IntPoint cursorPosition() const;  // screen coordinates
    // Our visible window at a screen point (popups above top-level windows,
    // later above earlier); empty when none is there.
    [[nodiscard]] WindowId windowAt(IntPoint screen) const;
    void setCursor(SystemCursor cursor);  // a cursor the system lacks is ignored
    // Moves the window with the pointer while the left button stays down
    // (no window manager needed). Call on the left press.
    bool beginDrag(WindowId window);
    // Resizes from the given border while the left button stays down.
    bool beginResize(WindowId window, ResizeZone zone);
    [[nodiscard]] bool isDragging() const;

    // ---- system services (user-interface thread) ----
    [[nodiscard]] Text clipboardText() const;  // "\n" becomes "\r\n"
    bool setClipboardText(const Text& text);   // "\r\n" becomes "\n"
    // Where the input method should show its candidates (window coordinates).
    bool setTextInputRect(WindowId window, const IntRect& caret);
    // Text input (committed text, the input method and its compositions) is
    // off until an edit box asks for it; without it, keys still make
    // CharacterTyped for plain characters. Turning it off ends a running composition.
    void setTextInputActive(bool active);
    [[nodiscard]] bool isTextInputActive() const;
    // The desktop minus panels, in screen coordinates.
    [[nodiscard]] IntRect workArea() const;

    // ---- the loop ----
    // Runs until quit(); returns its exit code. Returns at once if quit was
    // already asked for.
    int run();
    // A nested loop: runs while `window` exists. False when it ended by quit().
    bool runWhileAlive(WindowId window, LoopFilter filter = LoopFilter::None);
    // Dispatches what is waiting now, without blocking.
    void processPending();
    // Ends run() and every nested loop with `exitCode` (any thread), once the
    // tasks posted before it have run; later posts cannot hold it back.
    // Sticky: sends made after it fail at once, loops run later return at once.
    void quit(int exitCode);
    [[nodiscard]] bool quitRequested() const;

    // Runs `task` on the user-interface thread (any thread). False when the
    // loop has ended or the queue is full.
    bool post(std::function<void()> task);
    // As post, for a window: the task runs only while the window exists (it
    // is dropped with the window). False when the window does not exist.
    bool post(WindowId window, std::function<void()> task);
    // Runs `task` on the user-interface thread and waits; false if it could
    // not run. From the user-interface thread the task runs at once.
    bool send(std::function<void()> task);
    // As send, for a window: false (without waiting any longer) when the
    // window is gone or goes before the task ran.
    bool send(WindowId window, std::function<void()> task);

    // Timers by (window, id), any thread. Setting an existing timer re-arms it
    // with the new interval; killTimer stops it and drops a TimerFired not yet
    // delivered. Timers of destroyed windows are gone with them.
    bool setTimer(WindowId window, TimerId id, std::chrono::milliseconds interval, TimerCallback callback = {});
    bool killTimer(WindowId window, TimerId id);

    [[nodiscard]] bool isUiThread() const;

    // For synthetic input (SyntheticInput.h): the system's id of the window.
    [[nodiscard]] std::uint32_t systemWindowId(WindowId window) const;

    struct Impl;

private:
    explicit EventLoop(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace quorvo::platform
