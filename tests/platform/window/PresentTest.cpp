// Presenting premultiplied back buffers on the window surface.

#include "LoopFixture.h"
#include "platform/window/SyntheticInput.h"

namespace quorvo::platform::test {
namespace {

class PresentTest : public LoopTest {
protected:
    void SetUp() override
    {
        LoopTest::SetUp();
        window = makeWindow();  // 120 × 80
        loop->show(window);
    }

    std::uint32_t shown(int x, int y)
    {
        const auto snapshot = loop->surfaceSnapshot(window);
        EXPECT_TRUE(snapshot.has_value());
        return snapshot ? snapshot->at(x, y) : 0;
    }

    WindowId window;
};

TEST_F(PresentTest, OpaquePixelsAreShownExactly)
{
    PixelBuffer image(120, 80);
    image.fill(0xFF336699);
    image.at(7, 9) = 0xFF010203;
    ASSERT_TRUE(loop->present(window, image.view()));
    EXPECT_EQ(shown(0, 0), 0xFF336699u);
    EXPECT_EQ(shown(7, 9), 0xFF010203u);
    EXPECT_EQ(shown(119, 79), 0xFF336699u);
}

TEST_F(PresentTest, TranslucentPixelsAreComposedOverTheBackdrop)
{
    loop->setBackdrop(window, 0xFFFFFF);
    PixelBuffer image(120, 80);
    image.fill(0x80800000);  // red at half alpha, premultiplied
    image.at(1, 1) = 0;      // fully transparent
    ASSERT_TRUE(loop->present(window, image.view()));
    EXPECT_EQ(shown(0, 0), 0xFFFF7F7Fu);
    EXPECT_EQ(shown(1, 1), 0xFFFFFFFFu);
}

TEST_F(PresentTest, PresentingARectangleLeavesTheRestAlone)
{
    PixelBuffer first(120, 80);
    first.fill(0xFF000000);
    loop->present(window, first.view());
    PixelBuffer second(120, 80);
    second.fill(0xFFFFFFFF);
    ASSERT_TRUE(loop->present(window, second.view(), IntRect {10, 20, 30, 5}));
    EXPECT_EQ(shown(10, 20), 0xFFFFFFFFu);
    EXPECT_EQ(shown(39, 24), 0xFFFFFFFFu);
    EXPECT_EQ(shown(40, 24), 0xFF000000u);
    EXPECT_EQ(shown(10, 25), 0xFF000000u);
    EXPECT_EQ(shown(9, 20), 0xFF000000u);
}

TEST_F(PresentTest, ImagesAndRectanglesBeyondTheWindowAreClipped)
{
    PixelBuffer large(500, 500);
    large.fill(0xFF00FF00);
    EXPECT_TRUE(loop->present(window, large.view(), IntRect {-50, -50, 1000, 1000}));
    EXPECT_EQ(shown(119, 79), 0xFF00FF00u);
    PixelBuffer small(10, 10);
    small.fill(0xFF0000FF);
    EXPECT_TRUE(loop->present(window, small.view()));
    EXPECT_EQ(shown(9, 9), 0xFF0000FFu);
    EXPECT_EQ(shown(10, 10), 0xFF00FF00u) << "outside the image nothing changes";
}

TEST_F(PresentTest, StrideWiderThanTheRowIsHonoured)
{
    std::vector<std::uint32_t> memory(static_cast<std::size_t>(16) * 80, 0xFFAA0000);
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 8; ++x) {
            memory[static_cast<std::size_t>(y * 16 + x)] = 0xFF00AA00;
        }
    }
    const PixelView view {reinterpret_cast<const std::uint8_t*>(memory.data()), 8, 80, 16 * 4};
    ASSERT_TRUE(loop->present(window, view));
    EXPECT_EQ(shown(7, 79), 0xFF00AA00u);
    EXPECT_NE(shown(8, 0), 0xFFAA0000u) << "pixels beyond the width are padding";
}

TEST_F(PresentTest, BadImagesAndDeadWindowsAreRefused)
{
    PixelBuffer image(4, 4);
    EXPECT_FALSE(loop->present(window, PixelView {}));
    EXPECT_FALSE(loop->present(window, PixelView {image.data(), 4, 4, 8}));  // stride too small
    loop->destroyWindow(window);
    EXPECT_FALSE(loop->present(window, image.view()));
    EXPECT_FALSE(loop->surfaceSnapshot(window).has_value());
}

TEST_F(PresentTest, ExposedWindowKeepsItsPicture)
{
    PixelBuffer image(120, 80);
    image.fill(0xFF123456);
    loop->present(window, image.view());
    synthetic::windowEvent(*loop, window, synthetic::WindowChange::Exposed);
    loop->processPending();
    EXPECT_EQ(shown(60, 40), 0xFF123456u);
}

}  // namespace
}  // namespace quorvo::platform::test
