// The gallery's pictures of a check box, a radio button, a tab button and a
// message box against the committed ones, with a tolerance for the text
// engine's anti-aliasing. QUORVO_UPDATE_GOLDEN=1 rewrites the committed files.

#include "ControlsGallery.h"

#include "gfx/Image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>

using namespace quorvo;

namespace {

const std::string goldenFolder = QUORVO_GOLDEN_DIR;
constexpr int channelTolerance = 40;
// Share of pixels allowed beyond the tolerance (edges of glyphs).
constexpr double outlierShare = 0.003;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

::testing::AssertionResult matches(const gfx::Surface& actual, const std::string& name)
{
    const gfx::Image golden = gfx::loadImage(readFile(goldenFolder + "/" + name));
    if (golden.isNull())
        return ::testing::AssertionFailure() << "no golden picture " << name;
    const gfx::Surface& expected = golden.activeFrame();
    if (expected.width() != actual.width() || expected.height() != actual.height())
        return ::testing::AssertionFailure() << name << ": size " << actual.width() << "x" << actual.height()
                                             << ", golden " << expected.width() << "x" << expected.height();
    int outliers = 0;
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const gfx::Argb a = actual.pixel(x, y);
            const gfx::Argb e = expected.pixel(x, y);
            const int worst
                = std::max({std::abs(gfx::redOf(a) - gfx::redOf(e)), std::abs(gfx::greenOf(a) - gfx::greenOf(e)),
                            std::abs(gfx::blueOf(a) - gfx::blueOf(e)), std::abs(gfx::alphaOf(a) - gfx::alphaOf(e))});
            outliers += worst > channelTolerance ? 1 : 0;
        }
    }
    const double share = double(outliers) / (actual.width() * actual.height());
    if (share > outlierShare)
        return ::testing::AssertionFailure() << name << ": " << outliers << " pixels differ";
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(GoldenImages, GalleryMatchesTheCommittedPictures)
{
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::string error;
    auto framework = ui::UiFramework::create(&error);
    ASSERT_TRUE(framework) << error;
    std::map<std::string, gfx::Surface> pictures;
    for (auto& picture : ui::gallery::renderControlsGallery(*framework))
        pictures.emplace(picture.name, std::move(picture.picture));

    const bool update = std::getenv("QUORVO_UPDATE_GOLDEN") != nullptr;
    for (const char* name : {"check-box.png", "radio-button.png", "tab-button.png", "message-box.png"}) {
        ASSERT_TRUE(pictures.contains(name)) << name;
        const gfx::Surface& picture = pictures.at(name);
        ASSERT_FALSE(picture.isNull()) << name;
        if (update) {
            ASSERT_TRUE(picture.writePng(goldenFolder + "/" + name));
        }
        EXPECT_TRUE(matches(picture, name));
    }
}

TEST(GoldenImages, ComparisonCatchesAWrongPicture)
{
    // The checker itself: a picture that is plainly not the check box fails.
    gfx::Surface blank = gfx::Surface::create(130, 60);
    blank.clear(gfx::argb(255, 0, 0, 255));
    EXPECT_FALSE(matches(blank, "check-box.png"));
}
