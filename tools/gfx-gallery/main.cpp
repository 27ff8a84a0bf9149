// gfx-gallery [OUT.png] [--window [--close-after MS]]: draws every painter of
// the graphics layer into one labelled 410 x 650 picture for reviewers, and
// optionally shows it in a window until the window is closed.

#include "Gallery.h"
#include "GalleryWindow.h"
#include "gfx/Font.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

// Fontconfig parses its configuration once per process and never frees all of
// it; LeakSanitizer would report that at every exit.
extern "C" const char* __lsan_default_suppressions()  // NOLINT(bugprone-reserved-identifier): sanitizer hook
{
    return "leak:libfontconfig.so\n";
}

namespace {

int usage()
{
    std::fprintf(stderr, "usage: gfx-gallery [OUT.png] [--window [--close-after MS]]\n");
    return 2;
}

int run(const std::string& output, bool window, std::optional<std::chrono::milliseconds> closeAfter)
{
    const quorvo::gfx::Surface picture = quorvo::gallery::drawGallery();
    if (!picture.writePng(output)) {
        std::fprintf(stderr, "gfx-gallery: cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("gfx-gallery: wrote %s (%d x %d)\n", output.c_str(), picture.width(), picture.height());
    std::fflush(stdout);
    if (!window) {
        return 0;
    }
    std::string error;
    const int code = quorvo::gallery::showInWindow(picture, closeAfter, error);
    if (!error.empty()) {
        std::fprintf(stderr, "gfx-gallery: no window: %s\n", error.c_str());
    }
    return code;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string output = "gfx-gallery.png";
    bool window = false;
    std::optional<std::chrono::milliseconds> closeAfter;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--window") {
            window = true;
        } else if (argument == "--close-after" && i + 1 < argc) {
            const std::string_view value = argv[++i];
            long milliseconds = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), milliseconds);
            if (error != std::errc() || end != value.data() + value.size() || milliseconds < 0) {
                return usage();
            }
            closeAfter = std::chrono::milliseconds(milliseconds);
        } else if (argument == "--help" || argument == "-h") {
            usage();
            return 0;
        } else if (!argument.empty() && argument.front() == '-') {
            return usage();
        } else {
            output = argument;
        }
    }
    const int code = run(output, window, closeAfter);
    quorvo::gfx::releaseTextEngine();
    return code;
}
