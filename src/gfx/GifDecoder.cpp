#include "gfx/ImageDecoding.h"

#include <cairo.h>
#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace quorvo::gfx::detail {

namespace {

// Frames are kept decoded; refuse animations whose frames together would need
// more than this.
constexpr std::int64_t maxAnimationBytes = std::int64_t {256} << 20;
constexpr int maxFrames = 4096;

struct MemoryReader {
    std::string_view data;
    std::size_t offset = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const std::size_t wanted = length > 0 ? static_cast<std::size_t>(length) : 0;
    const std::size_t count = std::min(wanted, reader->data.size() - reader->offset);
    std::memcpy(buffer, reader->data.data() + reader->offset, count);
    reader->offset += count;
    return static_cast<int>(count);
}

class GifFile {
public:
    explicit GifFile(MemoryReader& reader)
    {
        int error = 0;
        m_gif = DGifOpen(&reader, readFromMemory, &error);
    }
    GifFile(const GifFile&) = delete;
    GifFile& operator=(const GifFile&) = delete;
    ~GifFile()
    {
        if (m_gif != nullptr) {
            int error = 0;
            DGifCloseFile(m_gif, &error);
        }
    }
    [[nodiscard]] GifFileType* get() const { return m_gif; }

private:
    GifFileType* m_gif = nullptr;
};

struct FrameControl {
    int delay = 0;  // hundredths of a second
    int transparent = NO_TRANSPARENT_COLOR;
    int disposal = DISPOSAL_UNSPECIFIED;
};

// Reads one frame's indexes row by row (de-interlacing), into `indexes`.
bool readIndexes(GifFileType* gif, int width, int height, bool interlaced, std::vector<GifPixelType>& indexes)
{
    indexes.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    const auto readRow = [&](int row) {
        return DGifGetLine(gif, indexes.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width), width)
            == GIF_OK;
    };
    if (interlaced) {
        constexpr int starts[4] = {0, 4, 2, 1};
        constexpr int steps[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int row = starts[pass]; row < height; row += steps[pass]) {
                if (!readRow(row)) {
                    return false;
                }
            }
        }
        return true;
    }
    for (int row = 0; row < height; ++row) {
        if (!readRow(row)) {
            return false;
        }
    }
    return true;
}

Surface snapshot(const std::vector<std::uint32_t>& canvas, int width, int height)
{
    Surface surface = Surface::create(width, height);
    if (surface.isNull()) {
        return surface;
    }
    cairo_surface_flush(surface.native());
    unsigned char* data = cairo_image_surface_get_data(surface.native());
    // Palette pixels are either opaque or fully transparent: already premultiplied.
    for (int y = 0; y < height; ++y) {
        std::memcpy(data + static_cast<std::ptrdiff_t>(y) * surface.stride(),
                    canvas.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                    static_cast<std::size_t>(width) * 4);
    }
    cairo_surface_mark_dirty(surface.native());
    return surface;
}

}  // namespace

std::optional<Image::Frames> decodeGif(std::string_view data, bool allFrames)
{
    MemoryReader reader {data};
    GifFile file(reader);
    GifFileType* gif = file.get();
    if (gif == nullptr) {
        return std::nullopt;
    }
    const int width = gif->SWidth;
    const int height = gif->SHeight;
    if (!dimensionsAllowed(width, height)) {
        return std::nullopt;
    }
    const std::int64_t frameBytes = std::int64_t {width} * height * 4;

    std::vector<std::uint32_t> canvas(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    std::vector<std::uint32_t> previous;
    std::vector<GifPixelType> indexes;
    FrameControl control;
    Image::Frames result;
    result.hasDelays = true;

    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) != GIF_OK) {
            // A file that ends after complete frames (no trailer) is still a picture.
            break;
        }
        if (record == TERMINATE_RECORD_TYPE) {
            break;
        }
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* extension = nullptr;
            if (DGifGetExtension(gif, &code, &extension) != GIF_OK) {
                break;
            }
            if (code == GRAPHICS_EXT_FUNC_CODE && extension != nullptr && extension[0] >= 4) {
                GraphicsControlBlock block {};
                if (DGifExtensionToGCB(extension[0], extension + 1, &block) == GIF_OK) {
                    control = {block.DelayTime, block.TransparentColor, block.DisposalMode};
                }
            }
            while (extension != nullptr) {
                if (DGifGetExtensionNext(gif, &extension) != GIF_OK) {
                    return result.frames.empty() ? std::nullopt : std::optional(std::move(result));
                }
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) {
            continue;
        }
        if (DGifGetImageDesc(gif) != GIF_OK) {
            return std::nullopt;
        }
        const GifImageDesc& desc = gif->Image;
        if (!dimensionsAllowed(desc.Width, desc.Height)) {
            return std::nullopt;
        }
        const ColorMapObject* colours = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
        if (colours == nullptr) {
            return std::nullopt;
        }
        if (static_cast<std::int64_t>(result.frames.size() + 1) * frameBytes > maxAnimationBytes
            || static_cast<int>(result.frames.size()) >= maxFrames) {
            return std::nullopt;
        }
        // A frame whose data is cut short makes the whole picture unusable.
        if (!readIndexes(gif, desc.Width, desc.Height, desc.Interlace, indexes)) {
            return std::nullopt;
        }
        if (control.disposal == DISPOSE_PREVIOUS) {
            previous = canvas;
        }
        const int left = desc.Left;
        const int top = desc.Top;
        for (int row = 0; row < desc.Height; ++row) {
            const int y = top + row;
            if (y < 0 || y >= height) {
                continue;
            }
            for (int column = 0; column < desc.Width; ++column) {
                const int x = left + column;
                if (x < 0 || x >= width) {
                    continue;
                }
                const int index = indexes[static_cast<std::size_t>(row) * static_cast<std::size_t>(desc.Width)
                                          + static_cast<std::size_t>(column)];
                if (index == control.transparent || index >= colours->ColorCount) {
                    continue;
                }
                const GifColorType colour = colours->Colors[index];
                canvas[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]
                    = 0xFF000000u | (std::uint32_t {colour.Red} << 16) | (std::uint32_t {colour.Green} << 8)
                    | colour.Blue;
            }
        }
        Surface frame = snapshot(canvas, width, height);
        if (frame.isNull()) {
            return std::nullopt;
        }
        result.frames.push_back(std::move(frame));
        result.delays.push_back(control.delay);
        if (!allFrames) {
            break;
        }
        if (control.disposal == DISPOSE_BACKGROUND) {
            // The background of an animation is transparent.
            for (int y = std::max(top, 0); y < std::min(top + desc.Height, height); ++y) {
                for (int x = std::max(left, 0); x < std::min(left + desc.Width, width); ++x) {
                    canvas[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]
                        = 0;
                }
            }
        } else if (control.disposal == DISPOSE_PREVIOUS && !previous.empty()) {
            canvas = previous;
        }
        control = {};
    }
    if (result.frames.empty()) {
        return std::nullopt;
    }
    return result;
}

}  // namespace quorvo::gfx::detail
