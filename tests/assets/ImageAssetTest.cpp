// Every picture decodes, with a standard decoder, to the size and frame layout
// the controls cut it by.

#include "assets/Assets.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <jpeglib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

using quorvo::assets::asStringView;
using quorvo::assets::find;

constexpr std::string_view pngSignature {"\x89PNG\r\n\x1a\n", 8};

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    [[nodiscard]] uint8_t alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
    // The bytes of a rectangle, row by row.
    [[nodiscard]] std::string region(int x, int y, int w, int h) const
    {
        std::string out;
        for (int row = y; row < y + h; ++row)
            out.append(reinterpret_cast<const char*>(&rgba[(static_cast<size_t>(row) * width + x) * 4]),
                       static_cast<size_t>(w) * 4);
        return out;
    }
    [[nodiscard]] bool regionIsTransparent(int x, int y, int w, int h) const
    {
        for (int row = y; row < y + h; ++row)
            for (int column = x; column < x + w; ++column)
                if (alpha(column, row) != 0)
                    return false;
        return true;
    }
};

std::optional<Pixels> decodePng(std::string_view bytes)
{
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return std::nullopt;
    image.format = PNG_FORMAT_RGBA;
    Pixels pixels;
    pixels.width = static_cast<int>(image.width);
    pixels.height = static_cast<int>(image.height);
    pixels.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return pixels;
}

// Loads an embedded PNG the way the program does: restoring the signature
// where the file is stored without it.
Pixels loadPng(const std::string& name)
{
    const auto bytes = find(name);
    EXPECT_FALSE(bytes.empty()) << name;
    std::string data(asStringView(bytes));
    if (quorvo::assets::lacksPngSignature(name))
        data.insert(0, pngSignature);
    auto pixels = decodePng(data);
    EXPECT_TRUE(pixels.has_value()) << name << " does not decode";
    return pixels.value_or(Pixels {});
}

struct ExpectedSize {
    const char* name;
    int width;
    int height;
};

constexpr ExpectedSize pngSizes[] = {
    {"tab_search.png", 26, 26},
    {"tab_download.png", 26, 26},
    {"tab_settings.png", 26, 26},
    {"tab_strip.png.nosig", 180, 45},
    {"button_add.png", 80, 20},
    {"button_start.png", 80, 20},
    {"button_pause.png", 80, 20},
    {"button_delete.png", 80, 20},
    {"button_open_folder.png", 80, 20},
    {"button_play.png", 80, 20},
    {"button_search.png", 80, 20},
    {"button_copy_to.png", 112, 20},
    {"menu_author.png", 18, 18},
    {"check_box.png.nosig", 68, 17},
    {"radio.png.nosig", 68, 17},
    {"caption_buttons.png.nosig", 156, 95},
    {"msgbox_icons.png.nosig", 200, 40},
    {"msgbox_decoration.png.nosig", 48, 24},
    {"combo_frame.png.nosig", 40, 26},
    {"combo_arrow.png.nosig", 30, 12},
    {"icon_16.png", 16, 16},
    {"icon_24.png", 24, 24},
    {"icon_32.png", 32, 32},
    {"icon_48.png", 48, 48},
    {"icon_64.png", 64, 64},
    {"icon_128.png", 128, 128},
};

TEST(ImageAssets, EveryPngDecodesToTheSizeTheLayoutAssumes)
{
    for (const auto& expected : pngSizes) {
        const Pixels pixels = loadPng(expected.name);
        EXPECT_EQ(pixels.width, expected.width) << expected.name;
        EXPECT_EQ(pixels.height, expected.height) << expected.name;
    }
}

TEST(ImageAssets, EveryEmbeddedImageIsCoveredBySizeChecks)
{
    size_t images = 0;
    for (const auto& asset : quorvo::assets::all())
        if (!asset.name.ends_with(".wav"))
            ++images;
    EXPECT_EQ(images, std::size(pngSizes) + 1) << "the background plus the PNGs listed here";
}

TEST(ImageAssets, StrippedStripsDecodeOnlyWithTheSignatureRestored)
{
    int stripped = 0;
    for (const auto& asset : quorvo::assets::all()) {
        if (!quorvo::assets::lacksPngSignature(asset.name))
            continue;
        ++stripped;
        const std::string_view bytes = asStringView(asset.bytes);
        EXPECT_NE(bytes.substr(0, 8), pngSignature) << asset.name;
        EXPECT_EQ(bytes.substr(4, 4), "IHDR") << asset.name << " must start with its header chunk";
        EXPECT_FALSE(decodePng(bytes).has_value()) << asset.name << " decoded without its signature";
        std::string restored(pngSignature);
        restored.append(bytes);
        EXPECT_TRUE(decodePng(restored).has_value()) << asset.name;
    }
    EXPECT_EQ(stripped, 8);
}

TEST(ImageAssets, OrdinaryPngsCarryTheirSignature)
{
    for (const auto& asset : quorvo::assets::all()) {
        if (!asset.name.ends_with(".png"))
            continue;
        EXPECT_EQ(asStringView(asset.bytes).substr(0, 8), pngSignature) << asset.name;
        EXPECT_TRUE(decodePng(asStringView(asset.bytes)).has_value()) << asset.name;
    }
}

TEST(ImageAssets, BackgroundIsAnOpaque410By650Jpeg)
{
    const std::string_view bytes = asStringView(find("background.jpg"));
    ASSERT_GT(bytes.size(), 1000u);
    jpeg_decompress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    ASSERT_EQ(jpeg_read_header(&info, TRUE), JPEG_HEADER_OK);
    EXPECT_EQ(info.image_width, 410u);
    EXPECT_EQ(info.image_height, 650u);
    EXPECT_EQ(info.num_components, 3);
    EXPECT_FALSE(info.progressive_mode) << "baseline decodes everywhere";
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    std::vector<unsigned char> row(static_cast<size_t>(info.output_width) * 3);
    // The top, under the white caption and tab texts, must be dark enough for
    // them: mean luminance well below white.
    double topLuminance = 0;
    while (info.output_scanline < 80) {
        JSAMPROW rowPointer = row.data();
        jpeg_read_scanlines(&info, &rowPointer, 1);
        for (size_t x = 0; x < info.output_width; ++x)
            topLuminance += 0.299 * row[x * 3] + 0.587 * row[x * 3 + 1] + 0.114 * row[x * 3 + 2];
    }
    topLuminance /= 80.0 * info.output_width;
    jpeg_abort_decompress(&info);
    jpeg_destroy_decompress(&info);
    EXPECT_LT(topLuminance, 150.0);
}

TEST(ImageAssets, ButtonStatesAreFourDistinctFrames)
{
    for (const char* name : {"button_add.png", "button_start.png", "button_pause.png", "button_delete.png",
                             "button_open_folder.png", "button_play.png", "button_search.png", "button_copy_to.png"}) {
        const Pixels pixels = loadPng(name);
        const int frame = pixels.width / 4;
        for (int a = 0; a < 4; ++a) {
            EXPECT_FALSE(pixels.regionIsTransparent(a * frame, 0, frame, pixels.height)) << name << " frame " << a;
            for (int b = a + 1; b < 4; ++b)
                EXPECT_NE(pixels.region(a * frame, 0, frame, 20), pixels.region(b * frame, 0, frame, 20))
                    << name << " frames " << a << " and " << b << " look the same";
        }
    }
}

TEST(ImageAssets, ButtonGlyphsDifferFromEachOther)
{
    const char* names[] = {"button_add.png",         "button_start.png", "button_pause.png", "button_delete.png",
                           "button_open_folder.png", "button_play.png",  "button_search.png"};
    for (size_t a = 0; a < std::size(names); ++a)
        for (size_t b = a + 1; b < std::size(names); ++b)
            EXPECT_NE(loadPng(names[a]).region(0, 0, 20, 20), loadPng(names[b]).region(0, 0, 20, 20))
                << names[a] << " and " << names[b];
}

TEST(ImageAssets, TabStripLeavesItsFirstFrameEmptyAndMarksHoverAndSelection)
{
    const Pixels strip = loadPng("tab_strip.png.nosig");
    EXPECT_TRUE(strip.regionIsTransparent(0, 0, 60, 45)) << "x 0 is never drawn";
    EXPECT_FALSE(strip.regionIsTransparent(60, 0, 60, 45));
    EXPECT_FALSE(strip.regionIsTransparent(120, 0, 60, 45));
    EXPECT_NE(strip.region(60, 0, 60, 45), strip.region(120, 0, 60, 45));
}

TEST(ImageAssets, IconsStayInsideTheirSquaresUnclipped)
{
    // A glyph touching the edge has been cut off by its canvas.
    for (const char* name : {"tab_search.png", "tab_download.png", "tab_settings.png", "menu_author.png"}) {
        const Pixels pixels = loadPng(name);
        const int w = pixels.width;
        const int h = pixels.height;
        EXPECT_TRUE(pixels.regionIsTransparent(0, 0, w, 1)) << name << " top";
        EXPECT_TRUE(pixels.regionIsTransparent(0, h - 1, w, 1)) << name << " bottom";
        EXPECT_TRUE(pixels.regionIsTransparent(0, 0, 1, h)) << name << " left";
        EXPECT_TRUE(pixels.regionIsTransparent(w - 1, 0, 1, h)) << name << " right";
        EXPECT_FALSE(pixels.regionIsTransparent(1, 1, w - 2, h - 2)) << name << " is empty";
    }
}

TEST(ImageAssets, CheckAndRadioFramesShowFourDifferentStates)
{
    for (const char* name : {"check_box.png.nosig", "radio.png.nosig"}) {
        const Pixels pixels = loadPng(name);
        for (int a = 0; a < 4; ++a) {
            EXPECT_TRUE(pixels.regionIsTransparent(a * 17, 0, 17, 1)) << name << " frame " << a << " is clipped";
            for (int b = a + 1; b < 4; ++b)
                EXPECT_NE(pixels.region(a * 17, 0, 17, 17), pixels.region(b * 17, 0, 17, 17)) << name << " " << a << b;
        }
    }
}

TEST(ImageAssets, CaptionButtonsHaveAFrameForEveryButtonAndState)
{
    const Pixels sheet = loadPng("caption_buttons.png.nosig");
    for (int row = 0; row < 5; ++row) {
        const int width = row == 0 ? 39 : 28;
        for (int state = 0; state < 4; ++state) {
            EXPECT_FALSE(sheet.regionIsTransparent(state * width, row * 19, width, 19)) << row << "/" << state;
            if (state > 0) {
                EXPECT_NE(sheet.region(0, row * 19, width, 19), sheet.region(state * width, row * 19, width, 19))
                    << "row " << row << " state " << state << " looks like normal";
            }
        }
    }
}

TEST(ImageAssets, MessageBoxIconCellsAreDistinct)
{
    const Pixels sheet = loadPng("msgbox_icons.png.nosig");
    for (int a = 0; a < 5; ++a) {
        EXPECT_FALSE(sheet.regionIsTransparent(a * 40 + 10, 10, 20, 20)) << "cell " << a;
        for (int b = a + 1; b < 5; ++b)
            EXPECT_NE(sheet.region(a * 40, 0, 40, 40), sheet.region(b * 40, 0, 40, 40)) << a << " " << b;
    }
}

TEST(ImageAssets, ComboFramesKeepTheirCornersInsideTheNineGridBorder)
{
    // The nine-grid centre is (5, 5, 10, 16): the rounded corners must lie in
    // the 5-pixel borders, so the middle row and column are uniform.
    const Pixels frame = loadPng("combo_frame.png.nosig");
    for (int f = 0; f < 2; ++f) {
        const std::string middleRow = frame.region(f * 20 + 5, 12, 1, 1);
        for (int x = 5; x < 15; ++x)
            EXPECT_EQ(frame.region(f * 20 + x, 12, 1, 1), middleRow) << "frame " << f << " x " << x;
    }
    const Pixels arrow = loadPng("combo_arrow.png.nosig");
    EXPECT_NE(arrow.region(0, 0, 15, 12), arrow.region(15, 0, 15, 12));
}

}  // namespace
