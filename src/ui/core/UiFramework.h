#pragma once

// UiFramework: the framework's start-up and its loops. One per process; it
// owns the platform event loop (the user-interface thread is the thread that
// creates it), the dispatcher that carries work onto that thread, and what
// every host shares: the skin the program dresses the windows in and the
// caption-button factory.
//
//     std::string error;
//     auto framework = UiFramework::create(&error);   // null on failure
//     framework->setSkin({.windowIcon = icon, .captionButtons = strip});
//     UiHost host(*framework, {.title = "Quorvo", .width = 410, .height = 650});
//     ...
//     host.show();
//     return framework->run();                        // until quit()

#include "ui/core/UiDispatcher.h"

#include "gfx/Image.h"
#include "runtime/Geometry.h"
#include "runtime/Text.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quorvo::platform {
class EventLoop;
}

namespace quorvo::ui {

class UiControl;
class UiHost;

// Caption buttons by the window flag that asks for them (UiHost.h, caption::).
enum class CaptionButtonKind {
    Close = 4,
    Maximise = 8,
    Minimise = 16,
    Menu = 32,
    Extra64 = 64,
    Extra128 = 128,
    Extra256 = 256,
};

// The program's pictures for the parts every window has. The framework ships
// none: a part whose picture is null is left undrawn.
struct UiSkin {
    // The caption's small icon (16 x 16, at (11, 11)).
    gfx::Image windowIcon {};
    // The caption buttons' strip: a row per button (close, maximise, restore,
    // minimise, menu), a column per state (normal, hover, pressed, disabled).
    gfx::Image captionButtons {};
};

class UiFramework {
public:
    // Starts the window system. Null (and `error` says why) on failure, or
    // when a framework already exists.
    static std::unique_ptr<UiFramework> create(std::string* error = nullptr);
    ~UiFramework();
    UiFramework(const UiFramework&) = delete;
    UiFramework& operator=(const UiFramework&) = delete;

    [[nodiscard]] platform::EventLoop& loop() const { return *m_loop; }
    [[nodiscard]] const UiDispatcher& dispatcher() const { return m_dispatcher; }

    // The main loop: runs until quit(); returns its exit code.
    int run();
    // A modal loop: runs while `host`'s window exists. Keyboard, typed text
    // and mouse input for other windows is dropped; timers, posted work and
    // every other event keep flowing. False when it ended by quit().
    bool runModalLoop(const UiHost& host);
    // Dispatches what is waiting now, without blocking.
    void processPending();
    // Ends run() and every modal loop (any thread).
    void quit(int exitCode);

    // Where CreateHostWindow puts a window of that size when no position is
    // given: ((work width - work left - width) / 2, (work height - work top - height) / 2).
    [[nodiscard]] IntPoint centredPosition(int width, int height) const;
    // The desktop minus panels, in screen coordinates.
    [[nodiscard]] IntRect workArea() const;

    // The seam for caption buttons: the controls library installs a factory
    // that creates one caption button of a kind as a top-level control of the
    // host at the given rectangle and returns it. Without one, hosts bind
    // without caption buttons.
    using CaptionButtonFactory = std::function<UiControl*(UiHost& host, CaptionButtonKind kind, FloatRect rect)>;
    void setCaptionButtonFactory(CaptionButtonFactory factory) { m_captionButtonFactory = std::move(factory); }
    [[nodiscard]] const CaptionButtonFactory& captionButtonFactory() const { return m_captionButtonFactory; }

    // Set before hosts are made: a host takes its caption icon when it is created.
    void setSkin(UiSkin skin) { m_skin = std::move(skin); }
    [[nodiscard]] const UiSkin& skin() const { return m_skin; }

    // How links open their targets (a UTF-8 address); the program wires the
    // desktop's opener here, the framework itself never starts a process.
    // Without one, a link's target does not open.
    using LinkOpener = std::function<bool(std::string_view utf8Target)>;
    void setLinkOpener(LinkOpener opener) { m_linkOpener = std::move(opener); }
    [[nodiscard]] const LinkOpener& linkOpener() const { return m_linkOpener; }

private:
    explicit UiFramework(std::unique_ptr<platform::EventLoop> loop);

    std::unique_ptr<platform::EventLoop> m_loop;
    UiDispatcher m_dispatcher;
    CaptionButtonFactory m_captionButtonFactory;
    UiSkin m_skin;
    LinkOpener m_linkOpener;
};

}  // namespace quorvo::ui
