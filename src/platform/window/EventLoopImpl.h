#pragma once

// Private state of EventLoop (includes SDL; never include above src/platform).

#include "platform/window/EventLoop.h"
#include "platform/window/EventTranslator.h"
#include "platform/window/TrayIcon.h"

#include <SDL.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace quorvo::platform {

struct SdlWindowDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};
struct SdlCursorDeleter {
    void operator()(SDL_Cursor* cursor) const { SDL_FreeCursor(cursor); }
};

struct WindowRecord {
    WindowId id;
    std::unique_ptr<SDL_Window, SdlWindowDeleter> sdl;
    WindowKind kind = WindowKind::TopLevel;
    WindowId owner;
    std::shared_ptr<const WindowHandler> handler;
    std::map<std::string, std::intptr_t, std::less<>> properties;
    std::uint32_t backdrop = 0;
    bool translucent = false;
    // The last picture given to setIcon, for a tray icon without its own.
    PixelBuffer icon;
    int minimumWidth = 1;  // logical
    int minimumHeight = 1;
    // What the handler was last told by Resized (logical), so system echoes of our own
    // resizes are not delivered twice.
    int reportedWidth = 0;
    int reportedHeight = 0;
    WindowState reportedState = WindowState::Restored;
    // Maximised by us (borderless windows without a window manager cannot ask one).
    bool maximised = false;
    IntRect restoreBounds;  // device pixels
    bool presented = false;
    // The pointer left while the window held the capture: told on release.
    bool leavePending = false;
    bool destroying = false;
};

// A cross-thread send waiting for its answer.
struct SendState {
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    bool ran = false;

    void finish(bool taskRan)
    {
        {
            std::lock_guard lock(mutex);
            done = true;
            ran = taskRan;
        }
        answered.notify_all();
    }
};

// Task and SentTask run whatever windows exist; with a window set they run
// only while it exists.
enum class ItemKind { Task, SentTask, Timer, Input, Quit };

struct QueueItem {
    ItemKind kind = ItemKind::Task;
    WindowId window;
    WindowEvent event;  // Input
    std::function<void()> task;
    std::shared_ptr<SendState> send;
    TimerId timer = 0;
    std::uint64_t timerGeneration = 0;
    int exitCode = 0;  // Quit
};

struct TimerRecord {
    std::chrono::milliseconds interval {0};
    std::chrono::steady_clock::time_point due;
    TimerCallback callback;
    std::uint64_t generation = 0;
    bool pendingFire = false;  // a firing of this timer waits in the queue
};

// In device pixels, as the global pointer reads.
struct DragState {
    WindowId window;
    int zone = 0;  // 0 = move, else a ResizeZone
    IntPoint startPointer;
    IntRect startBounds;
};

struct EventLoop::Impl {
    using Clock = std::chrono::steady_clock;
    using TimerKey = std::pair<std::uint32_t, TimerId>;

    // Posted tasks beyond this many wait in vain: post() says false.
    static constexpr std::size_t queueLimit = 1u << 22;
    // Posted tasks taken per turn, so that input is read between batches.
    static constexpr std::size_t batchSize = 4096;

    Impl();
    ~Impl();

    enum class Step { Dispatched, Idle, Quit };
    Step step(bool mayWait, LoopFilter filter, WindowId modalWindow);
    void refill();
    void waitForEvents();
    void dispatch(QueueItem& item);
    void deliver(WindowId window, const WindowEvent& event);
    bool destroyWindow(WindowId window);
    // Tells the handler about a size (logical) it has not been told yet.
    void reportSize(WindowRecord& record, WindowState state, int width, int height);
    // The same, from the system window's size now.
    void reportDeviceSize(WindowRecord& record, WindowState state);

    // Logical <-> device pixels. Logical positions round towards minus
    // infinity, so a pointer left of or above a window stays outside it.
    [[nodiscard]] int toDevice(int logical) const { return logical * scale; }
    [[nodiscard]] IntRect toDevice(const IntRect& r) const
    {
        return {r.x * scale, r.y * scale, r.width * scale, r.height * scale};
    }
    [[nodiscard]] int toLogical(int device) const
    {
        return device >= 0 ? device / scale : -((-device + scale - 1) / scale);
    }
    [[nodiscard]] IntRect toLogical(const IntRect& r) const
    {
        return {toLogical(r.x), toLogical(r.y), r.width / scale, r.height / scale};
    }
    // The system window's rectangle on the screen.
    [[nodiscard]] IntRect deviceBounds(const WindowRecord& record) const;
    bool enqueue(QueueItem item);  // any thread
    void wake();                   // any thread
    void failPendingSends(std::optional<WindowId> window);
    void updateDrag();

    // Whether `owner` owns `window`, directly or through its owners.
    [[nodiscard]] bool isOwnedBy(WindowId window, WindowId owner) const;
    WindowRecord* find(WindowId window);
    const WindowRecord* find(WindowId window) const;
    WindowId lookupSdl(Uint32 sdlWindowId) const;

    std::thread::id uiThread = std::this_thread::get_id();
    int scale = 1;            // device pixels per logical pixel
    bool compositor = false;  // per-pixel alpha reaches the desktop
    Uint32 wakeEventType = 0;

    // Shared between threads, guarded by `mutex`.
    mutable std::mutex mutex;
    std::deque<QueueItem> posted;
    std::unordered_set<std::uint32_t> liveWindows;
    std::map<TimerKey, TimerRecord> timers;
    std::uint64_t nextTimerGeneration = 1;

    std::atomic<bool> wakePending {false};
    std::atomic<bool> wakeLost {false};  // SDL's queue refused a wake-up: the next wait is bounded
    // quit() was called: new sends are refused. The loops end when its
    // queued quit item is reached (quitFlag), after what was posted before it.
    std::atomic<bool> quitCalled {false};
    std::atomic<bool> quitFlag {false};
    std::atomic<int> exitCode {0};

    // User-interface thread only.
    std::deque<QueueItem> ready;
    std::map<std::uint32_t, std::unique_ptr<WindowRecord>> windows;
    std::unordered_map<Uint32, std::uint32_t> bySdlId;
    std::uint32_t nextWindowId = 1;
    EventTranslator translator;
    std::vector<SDL_Event> eventBuffer;
    std::vector<AddressedEvent> translated;
    WindowId capture;
    std::optional<DragState> drag;
    std::array<std::unique_ptr<SDL_Cursor, SdlCursorDeleter>, 10> cursors;
    std::array<bool, 10> cursorTried {};
    std::map<std::uint32_t, std::unique_ptr<TrayIcon>> trayIcons;
    // Icons kept by keepTrayIcon: docked again whenever a tray appears.
    struct WantedTrayIcon {
        std::vector<PixelBuffer> pictures;
        Text tooltip;
    };
    std::map<std::uint32_t, WantedTrayIcon> wantedTrayIcons;
    // Docks `owner`'s wanted icon (anew when one is in); false when no tray takes it.
    bool dockWanted(std::uint32_t owner);
    // X events for the tray icons; false when the event was not theirs.
    bool handleSystemEvent(const SDL_Event& event);
};

}  // namespace quorvo::platform
