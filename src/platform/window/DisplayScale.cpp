#include "platform/window/DisplayScale.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if QUORVO_HAVE_X11
#include <X11/Xlib.h>
#endif

namespace quorvo::platform {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<int> wholeScale(const std::optional<std::string>& value)
{
    if (!value) {
        return std::nullopt;
    }
    const std::string_view text = trimmed(*value);
    int scale = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), scale);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || scale < minDisplayScale) {
        return std::nullopt;
    }
    return std::min(scale, maxDisplayScale);
}

std::optional<std::string> environment(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

}  // namespace

std::optional<double> xftDpiFrom(std::string_view resources)
{
    std::optional<double> dpi;
    while (!resources.empty()) {
        const std::size_t end = resources.find('\n');
        std::string_view line = resources.substr(0, end);
        resources = end == std::string_view::npos ? std::string_view() : resources.substr(end + 1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || trimmed(line.substr(0, colon)) != "Xft.dpi") {
            continue;
        }
        const std::string value(trimmed(line.substr(colon + 1)));
        char* parsedEnd = nullptr;
        const double number = std::strtod(value.c_str(), &parsedEnd);
        // The database keeps the last of repeated entries.
        if (!value.empty() && parsedEnd == value.c_str() + value.size() && std::isfinite(number) && number > 0.0) {
            dpi = number;
        } else {
            dpi.reset();
        }
    }
    return dpi;
}

int displayScaleFrom(const ScaleSources& sources)
{
    if (const auto scale = wholeScale(sources.quorvoScale)) {
        return *scale;
    }
    if (const auto scale = wholeScale(sources.gdkScale)) {
        return *scale;
    }
    if (sources.xResources) {
        if (const auto dpi = xftDpiFrom(*sources.xResources)) {
            const double rounded = std::floor(*dpi / 96.0 + 0.5);
            return static_cast<int>(std::clamp(rounded, double {minDisplayScale}, double {maxDisplayScale}));
        }
    }
    return minDisplayScale;
}

int readDisplayScale()
{
    ScaleSources sources {environment("QUORVO_SCALE"), environment("GDK_SCALE"), std::nullopt};
#if QUORVO_HAVE_X11
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const bool x11 = driver == nullptr || *driver == '\0' || std::strcmp(driver, "x11") == 0;
    if (!wholeScale(sources.quorvoScale) && !wholeScale(sources.gdkScale) && x11) {
        if (Display* display = XOpenDisplay(nullptr)) {
            // The RESOURCE_MANAGER property as it was when the connection opened.
            if (const char* resources = XResourceManagerString(display)) {
                sources.xResources = std::string(resources);
            }
            XCloseDisplay(display);
        }
    }
#endif
    return displayScaleFrom(sources);
}

}  // namespace quorvo::platform
