#pragma once

// The command line both galleries take: `[OUTPUT] [--window [--close-after MS]] [--help]`.

#include <chrono>
#include <optional>
#include <span>
#include <string>

namespace quorvo::gallery {

struct GalleryOptions {
    std::optional<std::string> output;  // the one argument that is not an option
    bool window = false;
    std::optional<std::chrono::milliseconds> closeAfter;
    bool help = false;
};

// The options after the program name; nullopt for anything else (an unknown
// option, a second output, a close-after that is not a whole number >= 0).
std::optional<GalleryOptions> parseGalleryOptions(std::span<char* const> arguments);

}  // namespace quorvo::gallery
