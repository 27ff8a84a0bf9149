#include "ui/controls/ControlImages.h"

#include "assets/Layout.h"

#include <gtest/gtest.h>

using namespace quorvo;
namespace layout = quorvo::assets::layout;

TEST(ControlImages, StripsDecodeWithTheFramesTheControlsCutOut)
{
    EXPECT_EQ(ui::checkMarkStrip().width(), 4 * layout::markFrameSize);
    EXPECT_EQ(ui::checkMarkStrip().height(), layout::markFrameSize);
    EXPECT_EQ(ui::radioMarkStrip().width(), 4 * layout::markFrameSize);
    EXPECT_EQ(ui::tabStrip().width(), 3 * layout::tabFrameWidth);
    EXPECT_EQ(ui::tabStrip().height(), layout::tabFrameHeight);
    EXPECT_EQ(ui::messageIconSheet().width(), 5 * layout::messageIconSize);
    EXPECT_EQ(ui::messageIconSheet().height(), layout::messageIconSize);
    EXPECT_EQ(ui::messageDecoration().width(), 2 * layout::decorationPieceSize);
    // Decoded once: every call hands out the same picture.
    EXPECT_EQ(&ui::checkMarkStrip(), &ui::checkMarkStrip());
    EXPECT_TRUE(ui::loadEmbeddedImage("no such picture").isNull());
}
