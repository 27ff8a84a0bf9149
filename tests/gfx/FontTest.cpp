#include "gfx/Font.h"

#include "gfx/Surface.h"
#include "runtime/Encoding.h"

#include <gtest/gtest.h>

namespace quorvo::gfx {
namespace {

const Text songName = encoding::fromUtf8("宋体");

TEST(DefaultFont, IsSongAtTwelvePixelsRegular)
{
    const Font& font = defaultFont();
    ASSERT_FALSE(font.isNull());
    EXPECT_EQ(font.familyName(), songName);
    EXPECT_FLOAT_EQ(font.size(), 12.0f);
    EXPECT_EQ(font.style(), FontStyle::Regular);
}

TEST(DefaultFont, SongResolvesOntoOneInstalledCjkFace)
{
    ASSERT_TRUE(familyExists(songName)) << "a CJK font must be installed (tools/deps)";
    const std::string faces = defaultFont().resolvedFamilies();
    EXPECT_EQ(faces.find(','), std::string::npos) << "one face for Latin and CJK, got " << faces;
    EXPECT_NE(faces, "宋体") << "mapped onto an installed face";
    EXPECT_TRUE(familyExists(faces)) << faces;
}

TEST(DefaultFont, SimSunIsTheSameFaceAsSong)
{
    const Font simsun = createFont("SimSun", 12.0f, FontStyle::Regular);
    EXPECT_EQ(simsun.familyName(), "SimSun");
    EXPECT_EQ(simsun.resolvedFamilies(), defaultFont().resolvedFamilies());
}

TEST(CreateFont, UnknownFamilyFallsBackToTheDefaultFamilyAtTheRequestedSizeAndStyle)
{
    const Font font = createFont("Quorvo No Such Family", 20.0f, FontStyle::Bold | FontStyle::Italic);
    ASSERT_FALSE(font.isNull());
    EXPECT_EQ(font.familyName(), songName);
    EXPECT_FLOAT_EQ(font.size(), 20.0f);
    EXPECT_EQ(font.style(), FontStyle::Bold | FontStyle::Italic);
}

TEST(CreateFont, InstalledFamilyKeepsItsNameAndBorrowsCjkFromTheSongFace)
{
    const Font font = createFont("DejaVu Sans", 14.0f, FontStyle::Underline);
    ASSERT_FALSE(font.isNull());
    EXPECT_EQ(font.familyName(), "DejaVu Sans");
    EXPECT_EQ(font.resolvedFamilies(), "DejaVu Sans," + defaultFont().resolvedFamilies());
}

TEST(CreateFont, FamilyNamesCompareWithoutCase)
{
    EXPECT_TRUE(familyExists("dejavu sans"));
    EXPECT_TRUE(familyExists("simsun"));
    EXPECT_FALSE(familyExists(""));
}

TEST(CreateFont, NonPositiveSizeGivesNoFont)
{
    EXPECT_TRUE(createFont("DejaVu Sans", 0.0f, FontStyle::Regular).isNull());
    EXPECT_TRUE(createFont("DejaVu Sans", -3.0f, FontStyle::Regular).isNull());
}

TEST(SystemFontName, IsAnInstalledFaceOrSong)
{
    const Text name = systemFontName();
    EXPECT_FALSE(name.empty());
    EXPECT_TRUE(name == songName || familyExists(name)) << encoding::toUtf8(name.view());
    EXPECT_NE(name, "Tahoma");
}

TEST(FontHeight, IsTheLineSpacingInPixels)
{
    Surface surface = Surface::create(10, 10);
    Painter painter(surface);
    const float twelve = fontHeight(painter, defaultFont());
    EXPECT_GT(twelve, 12.0f);
    EXPECT_LT(twelve, 20.0f);
    const float twentyFour = fontHeight(painter, createFont(songName, 24.0f, FontStyle::Regular));
    EXPECT_NEAR(twentyFour, 2.0f * twelve, 2.0f);
    EXPECT_EQ(fontHeight(painter, Font()), 0.0f);
}

}  // namespace
}  // namespace quorvo::gfx
