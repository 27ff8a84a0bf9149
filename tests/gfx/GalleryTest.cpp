// The reviewer's picture: gfx-gallery must write it without a display and show
// it in a window on SDL's dummy driver.

#include "gfx/Image.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace quorvo::gfx {
namespace {

int run(const std::string& arguments)
{
    std::string command = "SDL_VIDEODRIVER=dummy '";
    command += QUORVO_GFX_GALLERY;
    command += "' ";
    command += arguments;
    command += " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quoted(const std::string& path)
{
    std::string result = "'";
    result += path;
    result += "'";
    return result;
}

TEST(Gallery, WritesA410By650PictureWithoutADisplay)
{
    test::TempDir directory;
    const std::string output = directory.file("gallery.png");
    ASSERT_EQ(run(quoted(output)), 0);
    const Image picture = loadImage(test::readWholeFile(output));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.width(), 410);
    EXPECT_EQ(picture.height(), 650);
    EXPECT_EQ(picture.activeFrame().pixel(5, 4), 0xFF3A5F8Au) << "the first heading bar";
}

TEST(Gallery, WindowModeShowsThePictureUntilItIsClosed)
{
    test::TempDir directory;
    EXPECT_EQ(run(quoted(directory.file("gallery.png")) + " --window --close-after 50"), 0);
}

TEST(Gallery, RefusesUnknownOptions)
{
    EXPECT_EQ(run("--no-such-option"), 2);
}

}  // namespace
}  // namespace quorvo::gfx
