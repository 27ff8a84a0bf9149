#include "gfx/Image.h"

#include "gfx/ImageDecoding.h"

#include <cairo.h>

#include <cstring>
#include <string>

namespace quorvo::gfx {

namespace detail {

bool dimensionsAllowed(long long width, long long height)
{
    return width > 0 && height > 0 && width <= maxSurfaceEdge && height <= maxSurfaceEdge
        && width * height <= maxSurfacePixels;
}

void premultiplyInPlace(Surface& surface)
{
    cairo_surface_t* native = surface.native();
    cairo_surface_flush(native);
    unsigned char* data = cairo_image_surface_get_data(native);
    const int stride = cairo_image_surface_get_stride(native);
    for (int y = 0; y < surface.height(); ++y) {
        unsigned char* pixel = data + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < surface.width(); ++x, pixel += 4) {
            const unsigned alpha = pixel[3];
            if (alpha == 255) {
                continue;
            }
            for (int channel = 0; channel < 3; ++channel) {
                pixel[channel] = static_cast<unsigned char>((pixel[channel] * alpha + 127) / 255);
            }
        }
    }
    cairo_surface_mark_dirty(native);
}

}  // namespace detail

namespace {

bool startsWith(std::string_view data, std::string_view prefix)
{
    return data.size() >= prefix.size() && data.substr(0, prefix.size()) == prefix;
}

const Surface& nullSurface()
{
    static const Surface empty;
    return empty;
}

}  // namespace

int Image::width() const
{
    return isNull() ? 0 : m_frames->frames.front().width();
}
int Image::height() const
{
    return isNull() ? 0 : m_frames->frames.front().height();
}
int Image::frameCount() const
{
    return isNull() ? 0 : static_cast<int>(m_frames->frames.size());
}

bool Image::selectFrame(int index)
{
    if (index < 0 || index >= frameCount()) {
        return false;
    }
    m_activeFrame = index;
    return true;
}

const Surface& Image::activeFrame() const
{
    return isNull() ? nullSurface() : m_frames->frames[static_cast<std::size_t>(m_activeFrame)];
}

std::optional<std::vector<int>> Image::delays() const
{
    if (isNull() || !m_frames->hasDelays || m_frames->delays.empty()) {
        return std::nullopt;
    }
    return m_frames->delays;
}

void Image::reset()
{
    m_frames.reset();
    m_activeFrame = 0;
}

Image loadImage(std::string_view data, bool addSignature, ImageKind kind)
{
    if (data.empty()) {
        return {};
    }
    std::string withSignature;
    if (addSignature) {
        withSignature.reserve(pngSignature.size() + data.size());
        withSignature.append(pngSignature).append(data);
        data = withSignature;
    }
    std::optional<Image::Frames> frames;
    if (startsWith(data, pngSignature)) {
        frames = detail::decodePng(data);
    } else if (startsWith(data, "\xFF\xD8\xFF")) {
        frames = detail::decodeJpeg(data);
    } else if (startsWith(data, "GIF87a") || startsWith(data, "GIF89a")) {
        frames = detail::decodeGif(data, kind == ImageKind::Animated);
    }
    if (!frames || frames->frames.empty()) {
        return {};
    }
    if (kind == ImageKind::Detached) {
        // A detached bitmap is one frame and carries no animation properties.
        frames->frames.resize(1);
        frames->delays.clear();
        frames->hasDelays = false;
    }
    return Image(std::make_shared<const Image::Frames>(std::move(*frames)));
}

void drawImage(Painter& painter, const Image& image, const FloatRect& dest, std::optional<FloatRect> source,
               std::optional<ImageAttributes> attributes)
{
    if (image.isNull()) {
        return;
    }
    const FloatRect from = source.value_or(
        FloatRect {0.0f, 0.0f, static_cast<float>(image.width()), static_cast<float>(image.height())});
    painter.drawSurface(image.activeFrame(), dest, from, attributes ? attributes->alphaScale : 1.0);
}

std::vector<NineGridSlice> nineGridSlices(int imageWidth, int imageHeight, const FloatRect& dest,
                                          const FloatRect& centre)
{
    const auto whole = [](float value) { return static_cast<float>(static_cast<int>(value)); };
    const float iw = static_cast<float>(imageWidth);
    const float ih = static_cast<float>(imageHeight);
    const float left = whole(centre.x);
    const float top = whole(centre.y);
    const float right = whole(iw - centre.x - centre.width);
    const float bottom = whole(ih - centre.y - centre.height);
    const float x = whole(dest.x);
    const float y = whole(dest.y);
    const float w = whole(dest.width);
    const float h = whole(dest.height);

    const float sourceColumns[3][2] = {{0.0f, left}, {left, iw - right - left}, {iw - right, right}};
    const float sourceRows[3][2] = {{0.0f, top}, {top, ih - bottom - top}, {ih - bottom, bottom}};
    const float destColumns[3][2] = {{x, left}, {x + left, w - left - right}, {x + w - right, right}};
    const float destRows[3][2] = {{y, top}, {y + top, h - top - bottom}, {y + h - bottom, bottom}};

    std::vector<NineGridSlice> slices;
    slices.reserve(9);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            slices.push_back(
                {{sourceColumns[column][0], sourceRows[row][0], sourceColumns[column][1], sourceRows[row][1]},
                 {destColumns[column][0], destRows[row][0], destColumns[column][1], destRows[row][1]}});
        }
    }
    return slices;
}

void drawNineGrid(Painter& painter, const Image& image, const FloatRect& dest, const FloatRect& centre,
                  std::optional<int> alpha)
{
    if (!painter.isValid() || image.isNull()) {
        return;
    }
    double alphaScale = 1.0;
    if (alpha && *alpha >= 0 && *alpha <= 254) {
        alphaScale = *alpha / 255.0;
    }
    for (const NineGridSlice& slice : nineGridSlices(image.width(), image.height(), dest, centre)) {
        // Painter::drawSurface skips empty or negative slices (a centre larger than the image).
        painter.drawSurface(image.activeFrame(), slice.dest, slice.source, alphaScale);
    }
}

}  // namespace quorvo::gfx
