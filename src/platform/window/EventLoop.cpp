// The loop itself: queues, posting and sending across threads, timers, quit.

#include "platform/window/EventLoopImpl.h"
#include "platform/window/X11Errors.h"

#include "platform/window/Compositor.h"
#include "platform/window/DisplayScale.h"

#include <algorithm>
#include <cassert>

namespace quorvo::platform {

namespace {

// SDL's video subsystem is process-wide, so only one loop may own it at a time.
std::atomic<bool> g_loopExists {false};

}  // namespace

EventLoop::Impl::Impl()
    : translator([this](Uint32 sdlWindowId) { return lookupSdl(sdlWindowId); })
{ }

EventLoop::Impl::~Impl()
{
    quitCalled = true;
    quitFlag = true;
    failPendingSends(std::nullopt);
    if (capture) {
        SDL_CaptureMouse(SDL_FALSE);
    }
    // The icon windows live on the display connection that video shutdown closes.
    wantedTrayIcons.clear();
    trayIcons.clear();
    windows.clear();
    for (auto& cursor : cursors) {
        cursor.reset();
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::unique_ptr<EventLoop> EventLoop::create(std::string* error)
{
    bool expected = false;
    if (!g_loopExists.compare_exchange_strong(expected, true)) {
        if (error != nullptr) {
            *error = "an event loop already exists";
        }
        return nullptr;
    }
    // The window surface is presented in software: SDL's default backs it
    // with a GL texture at several times the memory and ten times the cost.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Without a window manager, automatic capture follows a popup and keeps
    // the pointer from the window underneath; capture is explicit here.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
    // A click that activates a window is also a click, as on the classic desktop.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // SDL's default double-click radius (32 px) suits touch screens; a
    // desktop pointer double-clicks within a few pixels.
    SDL_SetHint(SDL_HINT_MOUSE_DOUBLE_CLICK_RADIUS, "4");
    // The program decides when to quit, not SDL (last window, SIGINT).
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Compositions longer than SDL_TEXTEDITING's 32 bytes arrive whole
    // (SDL_TEXTEDITING_EXT). SDL_HINT_IME_INTERNAL_EDITING stays unset: with it
    // set, SDL asks IBus not to send the composition at all.
    SDL_SetHint(SDL_HINT_IME_SUPPORT_EXTENDED_TEXT, "1");
    // Ours are ordinary desktop windows: never ask a compositor to step aside.
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    // With a compositor, windows get a 32-bit visual so that alpha can show.
    const CompositorProbe compositor = probeCompositor();
    SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID,
                compositor.present ? std::to_string(compositor.argbVisual).c_str() : "");
    // Before SDL's video system starts: SDL's own handler passes errors on to
    // the one it found and puts that one back when the video system quits, so
    // ours stays in charge also while the last windows go (a worker's wake-up
    // aimed at a window being destroyed).
    surviveX11Errors();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (error != nullptr) {
            *error = SDL_GetError();
        }
        g_loopExists = false;
        return nullptr;
    }
    // SDL starts text input with the video system; here it runs only while an
    // edit box has the focus (UiHost turns it on and off), so that the input
    // method is not composing for a window that takes no text.
    SDL_StopTextInput();
    auto impl = std::make_unique<Impl>();
    const char* driver = SDL_GetCurrentVideoDriver();
    impl->compositor = compositor.present && driver != nullptr && std::string_view(driver) == "x11";
    impl->scale = readDisplayScale();
    impl->translator.setScale(impl->scale);
    impl->wakeEventType = SDL_RegisterEvents(1);
    if (impl->wakeEventType == static_cast<Uint32>(-1)) {
        if (error != nullptr) {
            *error = "no SDL user event left";
        }
        impl.reset();
        g_loopExists = false;
        return nullptr;
    }
    return std::unique_ptr<EventLoop>(new EventLoop(std::move(impl)));
}

EventLoop::EventLoop(std::unique_ptr<Impl> impl)
    : m_impl(std::move(impl))
{ }

EventLoop::~EventLoop()
{
    m_impl.reset();
    g_loopExists = false;
}

bool EventLoop::isUiThread() const
{
    return std::this_thread::get_id() == m_impl->uiThread;
}

// ---------------------------------------------------------------- windows

WindowRecord* EventLoop::Impl::find(WindowId window)
{
    const auto it = windows.find(window.value);
    return it == windows.end() ? nullptr : it->second.get();
}

const WindowRecord* EventLoop::Impl::find(WindowId window) const
{
    const auto it = windows.find(window.value);
    return it == windows.end() ? nullptr : it->second.get();
}

WindowId EventLoop::Impl::lookupSdl(Uint32 sdlWindowId) const
{
    const auto it = bySdlId.find(sdlWindowId);
    return it == bySdlId.end() ? WindowId {} : WindowId {it->second};
}

bool EventLoop::isWindow(WindowId window) const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->liveWindows.contains(window.value);
}

void EventLoop::Impl::deliver(WindowId window, const WindowEvent& event)
{
    WindowRecord* record = find(window);
    if (record == nullptr) {
        return;
    }
    // Keep the handler alive for the call: it may destroy its own window.
    const std::shared_ptr<const WindowHandler> handler = record->handler;
    if (handler && *handler) {
        (*handler)(event);
    } else if (std::holds_alternative<CloseRequested>(event)) {
        destroyWindow(window);
    }
}

void EventLoop::setWindowHandler(WindowId window, WindowHandler handler)
{
    if (WindowRecord* record = m_impl->find(window)) {
        record->handler = std::make_shared<const WindowHandler>(std::move(handler));
    }
}

bool EventLoop::close(WindowId window)
{
    return m_impl->destroyWindow(window);
}

bool EventLoop::Impl::destroyWindow(WindowId window)
{
    WindowRecord* record = find(window);
    if (record == nullptr || record->destroying) {
        return false;
    }
    record->destroying = true;
    wantedTrayIcons.erase(window.value);
    trayIcons.erase(window.value);
    deliver(window, Destroyed {});

    std::vector<WindowId> owned;
    for (const auto& [id, other] : windows) {
        if (other->owner == window && !other->destroying) {
            owned.push_back(other->id);
        }
    }
    for (const WindowId child : owned) {
        destroyWindow(child);
    }

    {
        std::lock_guard lock(mutex);
        liveWindows.erase(window.value);
        std::erase_if(timers, [&](const auto& entry) { return entry.first.first == window.value; });
    }
    failPendingSends(window);
    if (capture == window) {
        SDL_CaptureMouse(SDL_FALSE);
        capture = {};
    }
    if (drag && drag->window == window) {
        drag.reset();
    }
    record = find(window);  // the handler may have re-entered; look again
    if (record != nullptr) {
        const bool hadFocus = SDL_GetKeyboardFocus() == record->sdl.get();
        const WindowId owner = record->owner;
        bySdlId.erase(SDL_GetWindowID(record->sdl.get()));
        windows.erase(window.value);
        // Without a window manager nobody hands the focus back from a popup.
        if (hadFocus) {
            if (WindowRecord* ownerRecord = find(owner)) {
                SDL_RaiseWindow(ownerRecord->sdl.get());
                SDL_SetWindowInputFocus(ownerRecord->sdl.get());
            }
        }
    }
    return true;
}

bool EventLoop::destroyWindow(WindowId window)
{
    return m_impl->destroyWindow(window);
}

// ---------------------------------------------------------------- queue

void EventLoop::Impl::wake()
{
    if (!wakePending.exchange(true)) {
        SDL_Event event {};
        event.type = wakeEventType;
        if (SDL_PushEvent(&event) != 1) {
            // SDL's queue is full: the loop still looks at our queue on its
            // next turn, and that wait is bounded.
            wakeLost = true;
            wakePending = false;
        }
    }
}

bool EventLoop::Impl::enqueue(QueueItem item)
{
    {
        std::lock_guard lock(mutex);
        if (item.window && !liveWindows.contains(item.window.value)) {
            return false;
        }
        const bool isSend = item.kind == ItemKind::SentTask;
        if (isSend && quitCalled) {
            return false;
        }
        // The quit item is never refused: a full queue must not keep the program alive.
        if (posted.size() >= queueLimit && item.kind != ItemKind::Quit) {
            return false;
        }
        posted.push_back(std::move(item));
    }
    wake();
    return true;
}

void EventLoop::Impl::failPendingSends(std::optional<WindowId> window)
{
    const auto matches = [&](const QueueItem& item) {
        if (!item.send) {
            return false;
        }
        return !window || (item.kind == ItemKind::SentTask && item.window == *window);
    };
    std::vector<std::shared_ptr<SendState>> failed;
    {
        std::lock_guard lock(mutex);
        for (const QueueItem& item : posted) {
            if (matches(item)) {
                failed.push_back(item.send);
            }
        }
        std::erase_if(posted, matches);
    }
    if (std::this_thread::get_id() == uiThread) {
        for (const QueueItem& item : ready) {
            if (matches(item)) {
                failed.push_back(item.send);
            }
        }
        std::erase_if(ready, matches);
    }
    for (const auto& state : failed) {
        state->finish(false);
    }
}

bool EventLoop::post(std::function<void()> task)
{
    return post(WindowId {}, std::move(task));
}

bool EventLoop::post(WindowId window, std::function<void()> task)
{
    if (!task) {
        return false;
    }
    QueueItem item;
    item.kind = ItemKind::Task;
    item.window = window;
    item.task = std::move(task);
    return m_impl->enqueue(std::move(item));
}

bool EventLoop::send(std::function<void()> task)
{
    return send(WindowId {}, std::move(task));
}

bool EventLoop::send(WindowId window, std::function<void()> task)
{
    if (!task) {
        return false;
    }
    if (isUiThread()) {
        if (window && m_impl->find(window) == nullptr) {
            return false;
        }
        task();
        return true;
    }
    auto state = std::make_shared<SendState>();
    QueueItem item;
    item.kind = ItemKind::SentTask;
    item.window = window;
    item.task = std::move(task);
    item.send = state;
    if (!m_impl->enqueue(std::move(item))) {
        return false;
    }
    std::unique_lock lock(state->mutex);
    state->answered.wait(lock, [&] { return state->done; });
    return state->ran;
}

void EventLoop::quit(int exitCode)
{
    // Queued like a post, so that what this thread posted before is still
    // delivered; whatever is posted after cannot hold it back.
    m_impl->quitCalled = true;
    QueueItem item;
    item.kind = ItemKind::Quit;
    item.exitCode = exitCode;
    m_impl->enqueue(std::move(item));
}

bool EventLoop::quitRequested() const
{
    return m_impl->quitCalled;
}

// ---------------------------------------------------------------- timers

bool EventLoop::setTimer(WindowId window, TimerId id, std::chrono::milliseconds interval, TimerCallback callback)
{
    {
        std::lock_guard lock(m_impl->mutex);
        if (!m_impl->liveWindows.contains(window.value)) {
            return false;
        }
        TimerRecord& timer = m_impl->timers[{window.value, id}];
        timer.interval = std::max(interval, std::chrono::milliseconds(1));
        timer.due = Impl::Clock::now() + timer.interval;
        timer.callback = std::move(callback);
        timer.generation = m_impl->nextTimerGeneration++;
        timer.pendingFire = false;
    }
    if (!isUiThread()) {
        m_impl->wake();  // the loop may be waiting with a longer timeout
    }
    return true;
}

bool EventLoop::killTimer(WindowId window, TimerId id)
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->timers.erase({window.value, id}) > 0;
}

// ---------------------------------------------------------------- the loop

void EventLoop::Impl::refill()
{
    wakePending = false;
    {
        std::lock_guard lock(mutex);
        const std::size_t count = std::min(posted.size(), batchSize);
        std::move(posted.begin(), posted.begin() + static_cast<std::ptrdiff_t>(count), std::back_inserter(ready));
        posted.erase(posted.begin(), posted.begin() + static_cast<std::ptrdiff_t>(count));
    }

    SDL_PumpEvents();
    eventBuffer.clear();
    std::array<SDL_Event, 128> chunk {};
    for (;;) {
        const int count
            = SDL_PeepEvents(chunk.data(), static_cast<int>(chunk.size()), SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
        if (count <= 0) {
            break;
        }
        for (int i = 0; i < count; ++i) {
            const SDL_Event& event = chunk[static_cast<std::size_t>(i)];
            if (event.type == wakeEventType || event.type == SDL_QUIT) {
                continue;
            }
            if (event.type == SDL_SYSWMEVENT) {
                handleSystemEvent(event);
                continue;
            }
            if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED) {
                // The window surface still holds the last picture: show it again.
                if (const WindowRecord* record = find(lookupSdl(event.window.windowID)); record && record->presented) {
                    SDL_UpdateWindowSurface(record->sdl.get());
                }
                continue;
            }
            eventBuffer.push_back(event);
        }
        if (count < static_cast<int>(chunk.size())) {
            break;
        }
    }
    translated.clear();
    translator.translate(eventBuffer, translated);
    for (AddressedEvent& addressed : translated) {
        QueueItem item;
        item.kind = ItemKind::Input;
        item.window = addressed.window;
        item.event = std::move(addressed.event);
        ready.push_back(std::move(item));
    }

    {
        std::lock_guard lock(mutex);
        const auto now = Clock::now();
        for (auto& [key, timer] : timers) {
            if (timer.pendingFire || timer.due > now) {
                continue;
            }
            // One firing at a time per timer; a late loop does not catch up.
            timer.pendingFire = true;
            timer.due = now + timer.interval;
            QueueItem item;
            item.kind = ItemKind::Timer;
            item.window = WindowId {key.first};
            item.timer = key.second;
            item.timerGeneration = timer.generation;
            ready.push_back(std::move(item));
        }
    }
    updateDrag();
}

void EventLoop::Impl::waitForEvents()
{
    using std::chrono::milliseconds;
    // Nothing due and nothing moving: sleep until an event or a wake-up comes, so
    // an idle window costs no CPU at all.
    std::optional<milliseconds> timeout;
    if (wakeLost.exchange(false)) {
        timeout = milliseconds(250);
    }
    if (drag) {
        timeout = milliseconds(10);
    }
    {
        std::lock_guard lock(mutex);
        if (!posted.empty()) {
            return;
        }
        const auto now = Clock::now();
        for (const auto& [key, timer] : timers) {
            if (!timer.pendingFire) {
                const auto left = std::max(std::chrono::ceil<milliseconds>(timer.due - now), milliseconds(0));
                timeout = timeout ? std::min(*timeout, left) : left;
            }
        }
    }
    if (!timeout) {
        SDL_WaitEvent(nullptr);
    } else if (timeout->count() > 0) {
        SDL_WaitEventTimeout(nullptr, static_cast<int>(timeout->count()));
    }
}

void EventLoop::Impl::reportDeviceSize(WindowRecord& record, WindowState state)
{
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(record.sdl.get(), &width, &height);
    reportSize(record, state, width / scale, height / scale);
}

IntRect EventLoop::Impl::deviceBounds(const WindowRecord& record) const
{
    IntRect result;
    SDL_GetWindowPosition(record.sdl.get(), &result.x, &result.y);
    SDL_GetWindowSize(record.sdl.get(), &result.width, &result.height);
    return result;
}

int EventLoop::scale() const
{
    return m_impl->scale;
}

void EventLoop::Impl::reportSize(WindowRecord& record, WindowState state, int width, int height)
{
    if (state == WindowState::Minimised) {
        if (record.reportedState == WindowState::Minimised) {
            return;
        }
        record.reportedState = WindowState::Minimised;
        width = 0;
        height = 0;
    } else {
        if (record.reportedState == state && record.reportedWidth == width && record.reportedHeight == height) {
            return;  // the echo of a size already reported
        }
        record.reportedState = state;
        record.reportedWidth = width;
        record.reportedHeight = height;
    }
    deliver(record.id, Resized {width, height, state});
}

void EventLoop::Impl::dispatch(QueueItem& item)
{
    switch (item.kind) {
    case ItemKind::Input:
        if (WindowRecord* record = find(item.window)) {
            if (const auto* size = std::get_if<Resized>(&item.event)) {
                reportSize(*record, size->state, size->width, size->height);
            } else if (std::holds_alternative<MouseLeft>(item.event) && capture == item.window) {
                // A capturing window keeps getting the mouse; it hears of the
                // leave when it lets go (a drag outside must not end the press).
                record->leavePending = true;
            } else {
                deliver(item.window, item.event);
            }
        }
        break;
    case ItemKind::Task:
        if (!item.window || find(item.window) != nullptr) {
            item.task();
        }
        break;
    case ItemKind::SentTask:
        if (item.window && find(item.window) == nullptr) {
            item.send->finish(false);
        } else {
            item.task();
            item.send->finish(true);
        }
        break;
    case ItemKind::Quit:
        if (!quitFlag) {
            exitCode = item.exitCode;
            quitFlag = true;
            // Nothing will answer a send from now on.
            failPendingSends(std::nullopt);
        }
        break;
    case ItemKind::Timer: {
        TimerCallback callback;
        {
            std::lock_guard lock(mutex);
            const auto it = timers.find({item.window.value, item.timer});
            if (it == timers.end() || it->second.generation != item.timerGeneration) {
                return;  // killed or re-armed since it fell due
            }
            it->second.pendingFire = false;
            callback = it->second.callback;
        }
        if (callback) {
            callback(item.window, item.timer);
        } else {
            deliver(item.window, TimerFired {item.timer});
        }
        break;
    }
    }
}

EventLoop::Impl::Step EventLoop::Impl::step(bool mayWait, LoopFilter filter, WindowId modalWindow)
{
    if (quitFlag) {
        return Step::Quit;
    }
    if (ready.empty()) {
        refill();
        if (ready.empty()) {
            if (!mayWait) {
                return Step::Idle;
            }
            waitForEvents();
            refill();
            if (ready.empty()) {
                return Step::Idle;
            }
        }
    }
    QueueItem item = std::move(ready.front());
    ready.pop_front();
    const bool modal = filter == LoopFilter::DropOtherWindowsInput && item.kind == ItemKind::Input;
    if (modal && item.window != modalWindow && isUserInput(item.event)) {
        return Step::Dispatched;
    }
    // A modal box keeps the keyboard: a window manager hands the focus to any
    // window the user clicks, but every other window of ours ignores input
    // while the box is open, so the focus goes straight back to the box.
    const auto* activation = modal ? std::get_if<ActivationChanged>(&item.event) : nullptr;
    const bool otherActivated = activation != nullptr && activation->active && item.window != modalWindow
        && !isOwnedBy(item.window, modalWindow);
    dispatch(item);
    if (otherActivated) {
        if (WindowRecord* modal = find(modalWindow); modal != nullptr && !modal->destroying) {
            SDL_RaiseWindow(modal->sdl.get());
            SDL_SetWindowInputFocus(modal->sdl.get());
        }
    }
    return quitFlag ? Step::Quit : Step::Dispatched;
}

bool EventLoop::Impl::isOwnedBy(WindowId window, WindowId owner) const
{
    for (const WindowRecord* record = find(window); record != nullptr; record = find(record->owner)) {
        if (record->owner == owner) {
            return true;
        }
        if (!record->owner) {
            break;
        }
    }
    return false;
}

int EventLoop::run()
{
    assert(isUiThread() && "the loop runs on the thread that created it");
    while (m_impl->step(true, LoopFilter::None, {}) != Impl::Step::Quit) { }
    m_impl->failPendingSends(std::nullopt);
    return m_impl->exitCode;
}

bool EventLoop::runWhileAlive(WindowId window, LoopFilter filter)
{
    assert(isUiThread() && "the loop runs on the thread that created it");
    while (m_impl->find(window) != nullptr) {
        if (m_impl->step(true, filter, window) == Impl::Step::Quit) {
            m_impl->failPendingSends(std::nullopt);
            return false;
        }
    }
    return true;
}

void EventLoop::processPending()
{
    assert(isUiThread() && "the loop runs on the thread that created it");
    if (m_impl->ready.empty()) {
        m_impl->refill();
    }
    // Only what is waiting now: a flood of posts must not keep us here.
    std::size_t budget = m_impl->ready.size();
    while (budget-- > 0 && !m_impl->ready.empty()) {
        if (m_impl->step(false, LoopFilter::None, {}) != Impl::Step::Dispatched) {
            break;
        }
    }
}

}  // namespace quorvo::platform
