// gfx-gallery [OUT.png] [--window]: draws every painter of the graphics layer
// into one labelled picture, for reviewers.

#include "Gallery.h"

#include <cstdio>
#include <string>
#include <string_view>

int main(int argc, char** argv)
{
    std::string output = "gfx-gallery.png";
    bool window = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--window") {
            window = true;
        } else if (argument == "--help" || argument == "-h") {
            std::printf("usage: gfx-gallery [OUT.png] [--window]\n");
            return 0;
        } else {
            output = argument;
        }
    }
    const quorvo::gfx::Surface picture = quorvo::gallery::drawGallery();
    if (!picture.writePng(output)) {
        std::fprintf(stderr, "gfx-gallery: cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("gfx-gallery: wrote %s (%d x %d)\n", output.c_str(), picture.width(), picture.height());
    if (window) {
        std::fprintf(stderr, "gfx-gallery: --window needs the window layer, which this build lacks\n");
        return 2;
    }
    return 0;
}
