#include "SampleImages.h"

#include "gfx/Surface.h"

#include <gif_lib.h>

#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace quorvo::samples {

std::string encodePng(int width, int height, const PixelFunction& pixel)
{
    gfx::Surface surface = gfx::Surface::create(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            surface.setPixel(x, y, pixel(x, y));
        }
    }
    return surface.encodePng();
}

std::string encodeJpeg(int width, int height, const PixelFunction& pixel, int quality, bool cmyk)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    const int components = cmyk ? 4 : 3;
    info.input_components = components;
    info.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    if (cmyk) {
        // Writes the Adobe marker, so readers know the inks are inverted.
        jpeg_set_colorspace(&info, JCS_YCCK);
    }
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * static_cast<std::size_t>(components));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const gfx::Argb colour = pixel(x, y);
            unsigned char* out = row.data() + static_cast<std::size_t>(x) * static_cast<std::size_t>(components);
            if (cmyk) {
                // No black ink (inverted K = 255); the colour inks carry everything.
                out[0] = static_cast<unsigned char>(gfx::redOf(colour));
                out[1] = static_cast<unsigned char>(gfx::greenOf(colour));
                out[2] = static_cast<unsigned char>(gfx::blueOf(colour));
                out[3] = 255;
            } else {
                out[0] = static_cast<unsigned char>(gfx::redOf(colour));
                out[1] = static_cast<unsigned char>(gfx::greenOf(colour));
                out[2] = static_cast<unsigned char>(gfx::blueOf(colour));
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

namespace {

int writeToString(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return length;
}

}  // namespace

std::string encodeGif(int width, int height, const std::vector<std::uint32_t>& palette,
                      const std::vector<GifFrame>& frames)
{
    std::string bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, writeToString, &error);
    if (gif == nullptr) {
        return {};
    }
    EGifSetGifVersion(gif, true);
    int bits = 1;
    while ((1 << bits) < static_cast<int>(palette.size())) {
        ++bits;
    }
    std::vector<GifColorType> colours(static_cast<std::size_t>(1 << bits), GifColorType {0, 0, 0});
    for (std::size_t i = 0; i < palette.size(); ++i) {
        colours[i] = {static_cast<GifByteType>(palette[i] >> 16), static_cast<GifByteType>(palette[i] >> 8),
                      static_cast<GifByteType>(palette[i])};
    }
    ColorMapObject* map = GifMakeMapObject(1 << bits, colours.data());
    EGifPutScreenDesc(gif, width, height, bits, 0, map);
    for (const GifFrame& frame : frames) {
        GraphicsControlBlock block {};
        block.DisposalMode = frame.disposal;
        block.DelayTime = frame.delay;
        block.TransparentColor = frame.transparentIndex;
        GifByteType extension[4];
        const size_t length = EGifGCBToExtension(&block, extension);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension);
        EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced, nullptr);
        std::vector<int> rows;
        if (frame.interlaced) {
            constexpr int starts[4] = {0, 4, 2, 1};
            constexpr int steps[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass) {
                for (int y = starts[pass]; y < frame.height; y += steps[pass]) {
                    rows.push_back(y);
                }
            }
        } else {
            for (int y = 0; y < frame.height; ++y) {
                rows.push_back(y);
            }
        }
        std::vector<GifPixelType> line(static_cast<std::size_t>(frame.width));
        for (int y : rows) {
            std::memcpy(line.data(),
                        frame.indexes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.width),
                        line.size());
            EGifPutLine(gif, line.data(), frame.width);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return bytes;
}

gfx::Argb nineBlockColour(int column, int row)
{
    static constexpr gfx::Argb cellColours[3][3] = {
        {0xFFFF0000, 0xFF00FF00, 0xFF0000FF},
        {0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF},
        {0xFF800000, 0xFF008000, 0xFF000080},
    };
    return cellColours[row][column];
}

std::string nineBlockPng()
{
    return encodePng(30, 30, [](int x, int y) { return nineBlockColour(x / 10, y / 10); });
}

}  // namespace quorvo::samples
