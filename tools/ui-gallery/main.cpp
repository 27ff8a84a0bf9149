// ui-gallery [FOLDER]: draws every control in every state into PNG files in
// FOLDER (default: ui-gallery beside the program). Runs without a display on
// SDL's dummy driver unless SDL_VIDEODRIVER says otherwise.

#include "ControlsGallery.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    ::setenv("SDL_VIDEODRIVER", "dummy", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    const std::filesystem::path folder
        = argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::path(argv[0]).parent_path() / "ui-gallery";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "ui-gallery: cannot create %s: %s\n", folder.c_str(), error.message().c_str());
        return 1;
    }
    std::string why;
    auto framework = quorvo::ui::UiFramework::create(&why);
    if (!framework) {
        std::fprintf(stderr, "ui-gallery: %s\n", why.c_str());
        return 1;
    }
    int failures = 0;
    for (const auto& picture : quorvo::ui::gallery::renderControlsGallery(*framework)) {
        const std::filesystem::path file = folder / picture.name;
        if (picture.picture.isNull() || !picture.picture.writePng(file.string())) {
            std::fprintf(stderr, "ui-gallery: could not write %s\n", file.c_str());
            ++failures;
        } else {
            std::printf("%s\n", file.c_str());
        }
    }
    return failures == 0 ? 0 : 1;
}
