// gfx-gallery [OUT.png] [--window [--close-after MS]]: draws every painter of
// the graphics layer into one labelled 410 x 650 picture for reviewers, and
// optionally shows it in a window until the window is closed.

#include "Gallery.h"
#include "GalleryOptions.h"
#include "GalleryWindow.h"
#include "gfx/Font.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

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
    const auto options = quorvo::gallery::parseGalleryOptions({argv + 1, static_cast<std::size_t>(argc - 1)});
    if (!options) {
        return usage();
    }
    if (options->help) {
        usage();
        return 0;
    }
    const int code = run(options->output.value_or("gfx-gallery.png"), options->window, options->closeAfter);
    quorvo::gfx::releaseTextEngine();
    return code;
}
