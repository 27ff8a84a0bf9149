// quorvo: the desktop client.

#include "app/AppLayout.h"
#include "app/CommandLine.h"
#include "app/Startup.h"
#include "gfx/Font.h"
#include "platform/window/EventLoop.h"

#include <cstdio>
#include <span>
#include <string>

namespace {

int run(std::span<const char* const> args)
{
    using namespace quorvo;
    const app::CommandLine line = app::parseCommandLine(args);
    if (!line.error.empty()) {
        std::fprintf(stderr, "quorvo: %s\nTry 'quorvo --help'.\n", line.error.c_str());
        return 2;
    }
    if (line.help) {
        std::fputs(app::helpText().c_str(), stdout);
        return 0;
    }
    if (line.version) {
        std::puts("quorvo 1.0.0.0");
        return 0;
    }

    const app::AppLayout layout = app::detectLayout();
    app::prepareConfiguration(layout.runDirectory, layout.defaultSaveDirectory);

    std::string error;
    const std::unique_ptr<platform::EventLoop> loop = platform::EventLoop::create(&error);
    if (!loop) {
        std::fprintf(stderr,
                     "quorvo: cannot open a display (%s).\n"
                     "Run it on a desktop session (DISPLAY or WAYLAND_DISPLAY set), or use quorvo-cli.\n",
                     error.c_str());
        return 1;
    }
    // The window and its message loop come next; until then start-up is the whole run.
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const int status = run(std::span<const char* const>(argv + 1, argv + argc));
    quorvo::gfx::releaseTextEngine();
    return status;
}
