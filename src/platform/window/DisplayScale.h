#pragma once

// The desktop's integer scale (HiDPI): how many device pixels one logical
// pixel of the program covers. Everything the program lays out, hit-tests
// and moves is logical; the platform turns it into device pixels.

#include <optional>
#include <string>
#include <string_view>

namespace quorvo::platform {

inline constexpr int minDisplayScale = 1;
inline constexpr int maxDisplayScale = 4;

// Where a scale can come from, strongest first; an absent or unusable value
// gives way to the next.
struct ScaleSources {
    std::optional<std::string> quorvoScale;  // QUORVO_SCALE: the program's own override
    std::optional<std::string> gdkScale;     // GDK_SCALE: what GTK programs of the session use
    std::optional<std::string> xResources;   // the X resource database (RESOURCE_MANAGER)
};

// A whole number >= 1 (a scale of 0, a fraction or a word is no scale),
// clamped to the supported range; Xft.dpi / 96 rounded to the nearest whole
// number (144 dpi gives 2); else 1.
[[nodiscard]] int displayScaleFrom(const ScaleSources& sources);

// The value of the Xft.dpi resource in a resource database string; none when
// it is missing or not a positive number.
[[nodiscard]] std::optional<double> xftDpiFrom(std::string_view resources);

// The environment and, on X11, the display's resource database.
[[nodiscard]] int readDisplayScale();

}  // namespace quorvo::platform
