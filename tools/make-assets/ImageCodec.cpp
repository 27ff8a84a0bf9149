#include "ImageCodec.h"

#include <png.h>

#include <cstdio>
#include <jpeglib.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace quorvo::art {

namespace {

void appendToString(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}

void flushNothing(png_structp) { }

struct PngWriteGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriteGuard() { png_destroy_write_struct(&png, &info); }
};

struct StringSource {
    std::string_view data;
    size_t offset = 0;
};

cairo_status_t readFromString(void* closure, unsigned char* data, unsigned int length)
{
    auto* source = static_cast<StringSource*>(closure);
    if (source->data.size() - source->offset < length)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, source->data.data() + source->offset, length);
    source->offset += length;
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::string encodePng(const Canvas& canvas, bool withSignature)
{
    const int w = canvas.width();
    const int h = canvas.height();
    std::vector<uint8_t> pixels = canvas.straightRgba();
    std::vector<png_bytep> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y)
        rows[static_cast<size_t>(y)] = &pixels[static_cast<size_t>(y) * w * 4];

    std::string out;
    PngWriteGuard guard;
    guard.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (guard.png == nullptr)
        throw std::runtime_error("png_create_write_struct failed");
    guard.info = png_create_info_struct(guard.png);
    if (guard.info == nullptr)
        throw std::runtime_error("png_create_info_struct failed");
    if (setjmp(png_jmpbuf(guard.png)))
        throw std::runtime_error("PNG encoding failed");

    png_set_write_fn(guard.png, &out, appendToString, flushNothing);
    png_set_compression_level(guard.png, 9);
    png_set_filter(guard.png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_IHDR(guard.png, guard.info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_set_rows(guard.png, guard.info, rows.data());
    png_write_png(guard.png, guard.info, PNG_TRANSFORM_IDENTITY, nullptr);

    if (out.compare(0, pngSignature.size(), pngSignature) != 0)
        throw std::runtime_error("libpng wrote no signature");
    if (!withSignature)
        out.erase(0, pngSignature.size());
    return out;
}

std::string encodeJpeg(const Canvas& canvas, int quality)
{
    const int w = canvas.width();
    const int h = canvas.height();
    std::vector<uint8_t> rgba = canvas.straightRgba();
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0, n = static_cast<size_t>(w) * h; i < n; ++i) {
        rgb[i * 3] = rgba[i * 4];
        rgb[i * 3 + 1] = rgba[i * 4 + 1];
        rgb[i * 3 + 2] = rgba[i * 4 + 2];
    }

    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(w);
    info.image_height = static_cast<JDIMENSION>(h);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = TRUE;
    info.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = &rgb[static_cast<size_t>(info.next_scanline) * w * 3];
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return out;
}

Canvas decodePng(std::string_view bytes)
{
    std::string complete;
    if (bytes.substr(0, pngSignature.size()) != pngSignature) {
        complete.assign(pngSignature);
        complete.append(bytes);
        bytes = complete;
    }
    StringSource source {bytes};
    return Canvas(cairo_image_surface_create_from_png_stream(readFromString, &source));
}

Canvas decodeJpeg(std::string_view bytes)
{
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const int w = static_cast<int>(info.output_width);
    const int h = static_cast<int>(info.output_height);
    Canvas canvas(w, h);
    cairo_surface_flush(canvas.surface());
    unsigned char* data = cairo_image_surface_get_data(canvas.surface());
    const int stride = cairo_image_surface_get_stride(canvas.surface());
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW rowPointer = row.data();
        jpeg_read_scanlines(&info, &rowPointer, 1);
        auto* out = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < w; ++x)
            out[x] = 0xFF000000u | (uint32_t {row[x * 3]} << 16) | (uint32_t {row[x * 3 + 1]} << 8) | row[x * 3 + 2];
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    cairo_surface_mark_dirty(canvas.surface());
    return canvas;
}

}  // namespace quorvo::art
