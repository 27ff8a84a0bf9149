#pragma once

// Pictures decoded from memory (PNG, JPEG, GIF with its frames and delays),
// drawn whole, in part, or stretched as a nine-grid around fixed corners.

#include "gfx/Painter.h"
#include "gfx/Surface.h"
#include "runtime/Geometry.h"

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace quorvo::gfx {

// The standard 8-byte PNG signature; some embedded pictures are stored without it.
inline constexpr std::string_view pngSignature {"\x89PNG\r\n\x1a\n", 8};

enum class ImageKind {
    // A plain 32-bit ARGB bitmap of the first frame; the encoded data is not kept.
    Detached,
    // Every frame of an animated picture with its delays.
    Animated,
};

class Image {
public:
    struct Frames {
        std::vector<Surface> frames;
        std::vector<int> delays;  // hundredths of a second, one per frame
        bool hasDelays = false;
    };

    Image() = default;
    explicit Image(std::shared_ptr<const Frames> frames)
        : m_frames(std::move(frames))
    { }

    [[nodiscard]] bool isNull() const { return m_frames == nullptr; }
    explicit operator bool() const { return !isNull(); }

    [[nodiscard]] int width() const;
    [[nodiscard]] int height() const;
    [[nodiscard]] int frameCount() const;
    [[nodiscard]] int activeFrameIndex() const { return m_activeFrame; }
    bool selectFrame(int index);
    // The frame drawn by drawImage; a null surface for a null image.
    [[nodiscard]] const Surface& activeFrame() const;
    // Hundredths of a second per frame; only for a picture that carries frame delays.
    [[nodiscard]] std::optional<std::vector<int>> delays() const;

    // Releases the pixels; safe to repeat.
    void reset();

private:
    std::shared_ptr<const Frames> m_frames;
    int m_activeFrame = 0;
};

// Alpha scale applied while drawing (the colour matrix's alpha factor).
struct ImageAttributes {
    double alphaScale = 1.0;
};

// Null for empty data, data that is not a PNG, JPEG or GIF, truncated or
// corrupt data, and pictures whose header claims a size beyond the layer's
// limits (refused before any pixel memory is allocated). With addSignature the
// PNG signature is put in front of the data first.
Image loadImage(std::string_view data, bool addSignature = false, ImageKind kind = ImageKind::Detached);

// Draws the image's source rectangle (default: all of it) scaled into dest.
void drawImage(Painter& painter, const Image& image, const FloatRect& dest,
               std::optional<FloatRect> source = std::nullopt,
               std::optional<ImageAttributes> attributes = std::nullopt);

// The source and destination slices of a nine-grid, in drawing order (top-left,
// top, top-right, left, centre, right, bottom-left, bottom, bottom-right), all
// truncated to whole pixels. Slices may be empty or negative; they are skipped
// when drawn.
struct NineGridSlice {
    FloatRect source;
    FloatRect dest;
};
std::vector<NineGridSlice> nineGridSlices(int imageWidth, int imageHeight, const FloatRect& dest,
                                          const FloatRect& centre);

// Stretches the image around its centre rectangle (source pixels) so that the
// corners keep their size. An alpha of 0..254 scales every slice's alpha by
// alpha / 255; 255 or none draws unchanged.
void drawNineGrid(Painter& painter, const Image& image, const FloatRect& dest, const FloatRect& centre,
                  std::optional<int> alpha = std::nullopt);

}  // namespace quorvo::gfx
