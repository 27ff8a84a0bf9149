// The desktop installation: what `cmake --install` puts where, that the menu
// entry validates, and that an installed program keeps its settings in the
// data home and its songs in the music folder.

#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using quorvo::test::readWholeFile;
using quorvo::test::TempDir;

int run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string quote(const std::string& s)
{
    std::string quoted = "'";
    for (char c : s)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class InstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_prefix = std::make_unique<TempDir>();
        s_installed = run("cmake --install " + quote(QUORVO_BUILD_DIR) + " --prefix " + quote(s_prefix->path().string())
                          + " >/dev/null")
            == 0;
    }
    static void TearDownTestSuite() { s_prefix.reset(); }
    static fs::path prefix() { return s_prefix->path(); }

    static inline std::unique_ptr<TempDir> s_prefix;
    static inline bool s_installed = false;
};

TEST_F(InstallTest, PutsBothProgramsTheMenuEntryAndTheIconSizes)
{
    ASSERT_TRUE(s_installed);
    EXPECT_TRUE(fs::is_regular_file(prefix() / "bin/quorvo"));
    EXPECT_TRUE(fs::is_regular_file(prefix() / "bin/quorvo-cli"));
    const fs::path entry = prefix() / "share/applications/quorvo.desktop";
    ASSERT_TRUE(fs::is_regular_file(entry));
    const std::string text = readWholeFile(entry);
    EXPECT_NE(text.find("\nCategories=AudioVideo;Audio;Network;\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=quorvo\n"), std::string::npos);
    EXPECT_NE(text.find("\nIcon=quorvo\n"), std::string::npos);
    for (const char* size : {"16x16", "24x24", "32x32", "48x48", "64x64", "128x128"})
        EXPECT_TRUE(fs::is_regular_file(prefix() / "share/icons/hicolor" / size / "apps/quorvo.png")) << size;
    EXPECT_TRUE(fs::is_regular_file(prefix() / "share/quorvo/README.md"));
}

TEST_F(InstallTest, MenuEntryPassesDesktopFileValidate)
{
    ASSERT_TRUE(s_installed);
    if (run("command -v desktop-file-validate >/dev/null") != 0)
        GTEST_SKIP() << "desktop-file-validate (desktop-file-utils) is not installed";
    EXPECT_EQ(run("desktop-file-validate " + quote((prefix() / "share/applications/quorvo.desktop").string())
                  + " >/dev/null"),
              0);
}

TEST_F(InstallTest, InstalledProgramUsesTheDataHomeAndTheMusicFolder)
{
    ASSERT_TRUE(s_installed);
    TempDir home;
    const fs::path music = home.path() / "Songs";
    fs::create_directories(home.path() / ".config");
    // xdg-user-dir reads this file; without the tool the default is ~/Music.
    quorvo::test::writeWholeFile(home.path() / ".config/user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Songs\"\n");
    const bool haveUserDir = run("command -v xdg-user-dir >/dev/null") == 0;
    const fs::path expectedMusic = haveUserDir ? music : home.path() / "Music";

    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 HOME="
        + quote(home.path().string()) + " XDG_CONFIG_HOME=" + quote((home.path() / ".config").string())
        + " XDG_DATA_HOME=" + quote((home.path() / "data").string()) + " " + quote((prefix() / "bin/quorvo").string())
        + " 2>/dev/null";
    // No display here: start-up runs, then the program says so and ends with 1.
    EXPECT_EQ(run(command), 1);
    EXPECT_FALSE(fs::exists(prefix() / "bin/config.ini"));
    const fs::path config = home.path() / "data/quorvo/config.ini";
    ASSERT_TRUE(fs::is_regular_file(config));
    EXPECT_NE(readWholeFile(config).find("path=" + expectedMusic.string() + "/Quorvo/\n"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(expectedMusic / "Quorvo"));
}

TEST_F(InstallTest, InstalledProgramsKeepTheDownloadListInTheStateHome)
{
    ASSERT_TRUE(s_installed);
    TempDir home;
    const std::string environment = "HOME=" + quote(home.path().string()) + " XDG_DATA_HOME="
        + quote((home.path() / "data").string()) + " XDG_STATE_HOME=" + quote((home.path() / "state").string());
    // An empty list: nothing to fetch, so the service is never asked.
    EXPECT_EQ(run("env " + environment + " " + quote((prefix() / "bin/quorvo-cli").string())
                  + " --service 127.0.0.1:9 resume 2>/dev/null"),
              0);
    EXPECT_TRUE(fs::is_regular_file(home.path() / "state/quorvo/queue.db"));
    EXPECT_FALSE(fs::exists(prefix() / "bin/queue.db"));
    EXPECT_FALSE(fs::exists(home.path() / "data/quorvo/queue.db"));
    // Without XDG_STATE_HOME: ~/.local/state/quorvo.
    EXPECT_EQ(run("env -u XDG_STATE_HOME HOME=" + quote(home.path().string()) + " "
                  + quote((prefix() / "bin/quorvo-cli").string()) + " --service 127.0.0.1:9 resume 2>/dev/null"),
              0);
    EXPECT_TRUE(fs::is_regular_file(home.path() / ".local/state/quorvo/queue.db"));
}

TEST(QuorvoCommandLine, HelpPrintsUsageAndUnknownArgumentsAreRefused)
{
    EXPECT_EQ(run(quote(QUORVO_EXECUTABLE) + " --help >/dev/null"), 0);
    EXPECT_EQ(run(quote(QUORVO_EXECUTABLE) + " --no-such-option 2>/dev/null"), 2);
}

}  // namespace
