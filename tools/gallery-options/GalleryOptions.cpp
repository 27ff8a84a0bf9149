#include "GalleryOptions.h"

#include <charconv>
#include <string_view>

// Fontconfig parses its configuration once per process and never frees all of
// it; LeakSanitizer would report that at every gallery's exit. Defined here,
// next to what every gallery calls, so that each links it in.
extern "C" const char* __lsan_default_suppressions()  // NOLINT(bugprone-reserved-identifier): sanitizer hook
{
    return "leak:libfontconfig.so\n";
}

namespace quorvo::gallery {

std::optional<GalleryOptions> parseGalleryOptions(std::span<char* const> arguments)
{
    GalleryOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--window") {
            options.window = true;
        } else if (argument == "--close-after" && i + 1 < arguments.size()) {
            const std::string_view value = arguments[++i];
            long milliseconds = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), milliseconds);
            if (error != std::errc() || end != value.data() + value.size() || milliseconds < 0) {
                return std::nullopt;
            }
            options.closeAfter = std::chrono::milliseconds(milliseconds);
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument.empty() || argument.front() == '-' || options.output) {
            return std::nullopt;
        } else {
            options.output = std::string(argument);
        }
    }
    return options;
}

}  // namespace quorvo::gallery
