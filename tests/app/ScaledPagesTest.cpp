// The program at the desktop scale 2 under Xvfb: its window covers 820 x 1300
// device pixels, and each page, drawn at that scale (sharp text, smoothly
// enlarged pictures), matches its committed golden frame.
//
// The golden frames are made by the program itself; after a deliberate change
// of a page's look, rewrite them with
//     QUORVO_UPDATE_GOLDEN=1 build/tests/app/app_gui_tests --gtest_filter='*ScaledPages*'
// and look at tests/app/golden/*@2x.png before committing them.

#include "ControlSweep.h"
#include "QuorvoOnX.h"

#include "gfx/Image.h"

#include <cstdlib>
#include <iterator>

namespace quorvo::app::test {
namespace {

const std::string goldenFolder = QUORVO_GOLDEN_DIR;
// Glyph edges may come out a little differently between font builds.
constexpr int channelTolerance = 40;
// A new check box with its caption is about 2,000 pixels at this scale.
constexpr double outlierShare = 0.0002;

gfx::Surface pictureOf(const ScreenArea& area)
{
    gfx::Surface picture = gfx::Surface::create(area.width, area.height);
    for (int y = 0; y < area.height; ++y) {
        for (int x = 0; x < area.width; ++x)
            picture.setPixel(x, y, area.at(x, y));
    }
    return picture;
}

::testing::AssertionResult matchesGolden(const ScreenArea& area, const std::string& name)
{
    const gfx::Surface actual = pictureOf(area);
    const std::string path = goldenFolder + "/" + name;
    if (std::getenv("QUORVO_UPDATE_GOLDEN") != nullptr && !actual.writePng(path))
        return ::testing::AssertionFailure() << "cannot write " << path;
    const gfx::Image golden = gfx::loadImage(quorvo::test::readWholeFile(path));
    if (golden.isNull())
        return ::testing::AssertionFailure() << "no golden frame " << path;
    const gfx::Surface& expected = golden.activeFrame();
    if (expected.pixelWidth() != actual.pixelWidth() || expected.pixelHeight() != actual.pixelHeight())
        return ::testing::AssertionFailure() << name << ": " << actual.pixelWidth() << "x" << actual.pixelHeight()
                                             << ", golden " << expected.pixelWidth() << "x" << expected.pixelHeight();
    int outliers = 0;
    for (int y = 0; y < actual.pixelHeight(); ++y) {
        for (int x = 0; x < actual.pixelWidth(); ++x) {
            const gfx::Argb a = actual.pixel(x, y);
            const gfx::Argb e = expected.pixel(x, y);
            const int worst
                = std::max({std::abs(gfx::redOf(a) - gfx::redOf(e)), std::abs(gfx::greenOf(a) - gfx::greenOf(e)),
                            std::abs(gfx::blueOf(a) - gfx::blueOf(e))});
            outliers += worst > channelTolerance ? 1 : 0;
        }
    }
    if (double(outliers) / (actual.pixelWidth() * actual.pixelHeight()) > outlierShare) {
        savePicture(area, "scaled-" + name);
        return ::testing::AssertionFailure()
            << name << ": " << outliers << " pixels differ (the frame is in app-screenshots/x11-scaled-" << name << ")";
    }
    return ::testing::AssertionSuccess();
}

class ScaledPages : public QuorvoOnX {
protected:
    [[nodiscard]] int desktopScale() const override { return 2; }
    // Shows the page of a tab and waits until the pages' area shows something else.
    bool showPage(std::string_view tab)
    {
        const ScreenArea before = capture(5, 86, 400, 500);
        click(swept(tab).x, swept(tab).y);
        return quorvo::test::waitFor(
            [&] {
                const ScreenArea now = capture(5, 86, 400, 500);
                return !now.empty() && now.pixels != before.pixels;
            },
            limit);
    }
};

TEST_P(ScaledPages, EachPageMatchesItsGoldenFrameAtScale2)
{
    // A fixed save folder: the settings page shows it.
    const std::string folder = "/tmp/quorvo-golden-frames/";
    std::filesystem::create_directories(folder);
    start("[Main]\npath=" + folder + "\nsType=0\nlrc=1\nwav=1\nbypass=0\ndelete=0\nspeed=0\n");
    const auto place = m_desktop->place(m_window);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->width, 820);
    EXPECT_EQ(place->height, 1300);

    ASSERT_TRUE(settled(0, 0, 410, 650));
    EXPECT_TRUE(matchesGolden(capture(0, 0, 410, 650), "search-page@2x.png"));

    ASSERT_TRUE(showPage("tab download")) << "the download tab showed no other page";
    ASSERT_TRUE(settled(0, 0, 410, 650));
    EXPECT_TRUE(matchesGolden(capture(0, 0, 410, 650), "download-page@2x.png"));

    ASSERT_TRUE(showPage("tab settings")) << "the settings tab showed no other page";
    ASSERT_TRUE(settled(0, 0, 410, 650));
    EXPECT_TRUE(matchesGolden(capture(0, 0, 410, 650), "settings-page@2x.png"));
}

INSTANTIATE_TEST_SUITE_P(Desktops, ScaledPages, ::testing::Values(XDesktop::Manager::None), managerName);

}  // namespace
}  // namespace quorvo::app::test
