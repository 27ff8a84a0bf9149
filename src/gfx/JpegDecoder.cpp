#include "gfx/ImageDecoding.h"

#include <cairo.h>

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace quorvo::gfx::detail {

namespace {

// Everything libjpeg touches lives in one trivially destructible block, and
// every setjmp sits in a frame without C++ objects, so a longjmp out of the
// library never skips a destructor.
struct JpegState {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    std::jmp_buf escape;
    bool truncated;
    bool cmyk;
};

JpegState* stateOf(j_common_ptr info)
{
    return reinterpret_cast<JpegState*>(info->client_data);
}

[[noreturn]] void onError(j_common_ptr info)
{
    std::longjmp(stateOf(info)->escape, 1);
}

void onMessage(j_common_ptr info, int level)
{
    // Data that ends early is filled with grey by libjpeg; we call it broken.
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) {
        stateOf(info)->truncated = true;
    }
}

bool readHeader(JpegState& state, std::string_view data)
{
    if (setjmp(state.escape) != 0) {
        return false;
    }
    jpeg_mem_src(&state.info, reinterpret_cast<const unsigned char*>(data.data()),
                 static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&state.info, TRUE) != JPEG_HEADER_OK) {
        return false;
    }
    // libjpeg cannot turn CMYK into BGRA: take the four inks, convert after.
    state.cmyk = state.info.jpeg_color_space == JCS_CMYK || state.info.jpeg_color_space == JCS_YCCK;
    state.info.out_color_space = state.cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    return true;
}

bool readPixels(JpegState& state, unsigned char* pixels, int stride)
{
    if (setjmp(state.escape) != 0) {
        return false;
    }
    jpeg_start_decompress(&state.info);
    while (state.info.output_scanline < state.info.output_height && !state.truncated) {
        JSAMPROW row = pixels + static_cast<std::ptrdiff_t>(state.info.output_scanline) * stride;
        if (jpeg_read_scanlines(&state.info, &row, 1) != 1) {
            return false;
        }
    }
    if (state.truncated) {
        return false;
    }
    jpeg_finish_decompress(&state.info);
    return !state.truncated;
}

class JpegDecompressor {
public:
    explicit JpegDecompressor(JpegState& state)
        : m_state(state)
    {
        m_state.info.err = jpeg_std_error(&m_state.errors);
        m_state.errors.error_exit = onError;
        m_state.errors.emit_message = onMessage;
        m_state.info.client_data = &m_state;
    }
    bool create()
    {
        if (setjmp(m_state.escape) != 0) {
            return false;
        }
        jpeg_create_decompress(&m_state.info);
        m_created = true;
        return true;
    }
    JpegDecompressor(const JpegDecompressor&) = delete;
    JpegDecompressor& operator=(const JpegDecompressor&) = delete;
    ~JpegDecompressor()
    {
        if (m_created) {
            jpeg_destroy_decompress(&m_state.info);
        }
    }

private:
    JpegState& m_state;
    bool m_created = false;
};

// Four ink bytes per pixel, in place, to opaque BGRA. Adobe writes its CMYK
// inverted (255 = no ink), which is what the product formula wants.
void cmykToBgra(unsigned char* pixels, int width, int height, int stride, bool inverted)
{
    for (int y = 0; y < height; ++y) {
        unsigned char* pixel = pixels + static_cast<std::ptrdiff_t>(y) * stride;
        for (int x = 0; x < width; ++x, pixel += 4) {
            unsigned ink[4] = {pixel[0], pixel[1], pixel[2], pixel[3]};
            if (!inverted) {
                for (unsigned& value : ink) {
                    value = 255 - value;
                }
            }
            const unsigned k = ink[3];
            pixel[2] = static_cast<unsigned char>((ink[0] * k + 127) / 255);  // red
            pixel[1] = static_cast<unsigned char>((ink[1] * k + 127) / 255);  // green
            pixel[0] = static_cast<unsigned char>((ink[2] * k + 127) / 255);  // blue
            pixel[3] = 255;
        }
    }
}

}  // namespace

std::optional<Image::Frames> decodeJpeg(std::string_view data)
{
    JpegState state {};
    JpegDecompressor decompressor(state);
    if (!decompressor.create() || !readHeader(state, data)) {
        return std::nullopt;
    }
    // Checked on the header's size, before libjpeg or we allocate anything large.
    if (!dimensionsAllowed(state.info.image_width, state.info.image_height)) {
        return std::nullopt;
    }
    Surface surface
        = Surface::create(static_cast<int>(state.info.image_width), static_cast<int>(state.info.image_height));
    if (surface.isNull()) {
        return std::nullopt;
    }
    cairo_surface_flush(surface.native());
    if (!readPixels(state, cairo_image_surface_get_data(surface.native()), surface.stride())) {
        return std::nullopt;
    }
    if (static_cast<int>(state.info.output_width) != surface.width()
        || static_cast<int>(state.info.output_height) != surface.height()) {
        return std::nullopt;
    }
    if (state.cmyk) {
        cmykToBgra(cairo_image_surface_get_data(surface.native()), surface.width(), surface.height(), surface.stride(),
                   state.info.saw_Adobe_marker != 0);
    }
    cairo_surface_mark_dirty(surface.native());
    Image::Frames frames;
    frames.frames.push_back(std::move(surface));
    return frames;
}

}  // namespace quorvo::gfx::detail
