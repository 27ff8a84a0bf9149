// Every embedded picture loads through the graphics layer the way the
// program loads it: the signature-less strips with the signature restored.

#include "assets/Assets.h"
#include "assets/Layout.h"
#include "gfx/Image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using quorvo::assets::asStringView;
using quorvo::assets::lacksPngSignature;

uint32_t readBigEndian32(std::string_view bytes, size_t at)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 24
        | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 16
        | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 8 | static_cast<uint8_t>(bytes[at + 3]);
}

TEST(AssetsThroughGfx, EveryPictureLoadsAtTheSizeItsHeaderStates)
{
    int pictures = 0;
    for (const auto& asset : quorvo::assets::all()) {
        if (asset.name.ends_with(".wav"))
            continue;
        ++pictures;
        const std::string_view bytes = asStringView(asset.bytes);
        const quorvo::gfx::Image image = quorvo::gfx::loadImage(bytes, lacksPngSignature(asset.name));
        ASSERT_FALSE(image.isNull()) << asset.name;
        if (asset.name.ends_with(".jpg")) {
            EXPECT_EQ(image.width(), 410);
            EXPECT_EQ(image.height(), 650);
            continue;
        }
        // IHDR follows the signature: width and height are its first fields.
        const size_t header = lacksPngSignature(asset.name) ? 8 : 16;
        EXPECT_EQ(image.width(), static_cast<int>(readBigEndian32(bytes, header))) << asset.name;
        EXPECT_EQ(image.height(), static_cast<int>(readBigEndian32(bytes, header + 4))) << asset.name;
    }
    EXPECT_EQ(pictures, 27);
}

TEST(AssetsThroughGfx, StrippedStripsNeedTheSignatureRestored)
{
    for (const auto& asset : quorvo::assets::all()) {
        if (!lacksPngSignature(asset.name))
            continue;
        EXPECT_TRUE(quorvo::gfx::loadImage(asStringView(asset.bytes), false).isNull()) << asset.name;
        EXPECT_FALSE(quorvo::gfx::loadImage(asStringView(asset.bytes), true).isNull()) << asset.name;
    }
}

TEST(AssetsThroughGfx, FrameLayoutsDivideTheStripsExactly)
{
    namespace layout = quorvo::assets::layout;
    const auto load = [](const char* name) {
        return quorvo::gfx::loadImage(asStringView(quorvo::assets::find(name)), lacksPngSignature(name));
    };
    EXPECT_EQ(load("tab_strip.png.nosig").width(), 3 * layout::tabFrameWidth);
    EXPECT_EQ(load("tab_strip.png.nosig").height(), layout::tabFrameHeight);
    EXPECT_EQ(load("check_box.png.nosig").width(), 4 * layout::markFrameSize);
    EXPECT_EQ(load("radio.png.nosig").width(), 4 * layout::markFrameSize);
    EXPECT_EQ(load("caption_buttons.png.nosig").width(), 4 * layout::captionCloseWidth);
    EXPECT_EQ(load("caption_buttons.png.nosig").height(), 5 * layout::captionHeight);
    EXPECT_EQ(load("msgbox_icons.png.nosig").width(), 5 * layout::messageIconSize);
    EXPECT_EQ(load("msgbox_decoration.png.nosig").width(), 2 * layout::decorationPieceSize);
    EXPECT_EQ(load("combo_frame.png.nosig").width(), 2 * layout::comboFrameWidth);
    EXPECT_EQ(load("combo_arrow.png.nosig").width(), 2 * layout::comboArrowWidth);
    EXPECT_EQ(load("button_copy_to.png").width(), layout::buttonFrames * 28);
    for (const int size : layout::programIconSizes) {
        const std::string name = "icon_" + std::to_string(size) + ".png";
        EXPECT_EQ(load(name.c_str()).width(), size) << name;
    }
}

}  // namespace
