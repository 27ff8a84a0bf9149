#include "app/Startup.h"
#include "platform/ConfigStore.h"
#include "platform/Files.h"

#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using quorvo::Text;
using quorvo::platform::ConfigStore;
using quorvo::test::readWholeFile;
using quorvo::test::TempDir;
using quorvo::test::writeWholeFile;
namespace platform = quorvo::platform;
namespace fs = std::filesystem;

namespace {

std::string defaultsFor(const std::string& runDir)
{
    return "[Main]\npath=" + runDir + "/Download/\nsType=0\nlrc=1\nwav=0\nbypass=1\ndelete=1\nspeed=0\n";
}

// Runs `command` through the shell and returns its exit status.
int run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Start-up runs before the window opens; without a display the program then
// says so and ends with status 1, which is how these tests stop it.
constexpr int noDisplayStatus = 1;
int runWithoutDisplay(const std::string& command)
{
    return run("env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 " + command + " 2>/dev/null");
}

std::string shellQuote(const std::string& s)
{
    std::string quoted = "'";
    for (char c : s)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

TEST(Startup, FirstRunWritesTheSevenDefaultsInOrderAndCreatesDownload)
{
    TempDir dir;
    quorvo::app::prepareConfiguration(platform::fromNativePath(dir.path().string()));
    EXPECT_EQ(readWholeFile(dir.path() / "config.ini"), defaultsFor(dir.path().string()));
    EXPECT_TRUE(fs::is_directory(dir.path() / "Download"));
    // A second run changes nothing.
    quorvo::app::prepareConfiguration(platform::fromNativePath(dir.path().string()));
    EXPECT_EQ(readWholeFile(dir.path() / "config.ini"), defaultsFor(dir.path().string()));
}

TEST(Startup, DeletedSaveDirectoryIsRepairedWithoutTouchingOtherKeys)
{
    TempDir dir;
    const Text runDir = platform::fromNativePath(dir.path().string());
    writeWholeFile(dir.path() / "config.ini",
                   "[Main]\r\n; mine\r\npath=" + dir.path().string() + "/gone/\r\nsType=2\r\nspeed=77\r\n");
    quorvo::app::prepareConfiguration(runDir);
    EXPECT_EQ(readWholeFile(dir.path() / "config.ini"),
              "[Main]\r\n; mine\r\npath=" + dir.path().string() + "/Download/\r\nsType=2\r\nspeed=77\r\n");
    EXPECT_TRUE(fs::is_directory(dir.path() / "Download"));
}

TEST(Startup, MissingPathKeyIsRepaired)
{
    TempDir dir;
    writeWholeFile(dir.path() / "config.ini", "[Main]\nsType=1\n");
    quorvo::app::prepareConfiguration(platform::fromNativePath(dir.path().string()));
    EXPECT_EQ(readWholeFile(dir.path() / "config.ini"),
              "[Main]\nsType=1\npath=" + dir.path().string() + "/Download/\n");
}

TEST(Startup, PathPointingAtAFileIsRepaired)
{
    TempDir dir;
    writeWholeFile(dir.path() / "notadir", "x");
    writeWholeFile(dir.path() / "config.ini", "[Main]\npath=" + dir.path().string() + "/notadir\n");
    quorvo::app::prepareConfiguration(platform::fromNativePath(dir.path().string()));
    EXPECT_EQ(platform::ConfigStore(platform::fromNativePath(dir.file("config.ini"))).read("path"),
              platform::fromNativePath(dir.path().string() + "/Download/"));
}

TEST(Startup, StoredPathWithoutTrailingSeparatorIsLeftAsStored)
{
    TempDir dir;
    fs::create_directory(dir.path() / "music");
    const std::string contents = "[Main]\npath=" + dir.path().string() + "/music\n";
    writeWholeFile(dir.path() / "config.ini", contents);
    quorvo::app::prepareConfiguration(platform::fromNativePath(dir.path().string()));
    EXPECT_EQ(readWholeFile(dir.path() / "config.ini"), contents);
    EXPECT_FALSE(fs::exists(dir.path() / "Download"));
}

TEST(Startup, ChineseSaveDirectoryIsKept)
{
    TempDir dir;
    const std::string music = dir.path().string() + "/\xE9\x9F\xB3\xE4\xB9\x90";  // 音乐
    fs::create_directory(music);
    const std::string contents = "[Main]\npath=" + music + "/\n";
    writeWholeFile(dir.path() / "config.ini", contents);
    quorvo::app::prepareConfiguration(platform::fromNativePath(dir.path().string()));
    EXPECT_EQ(readWholeFile(dir.path() / "config.ini"), contents);
}

TEST(QuorvoExecutable, RunsStartupInAnEmptyCopyOfItsDirectory)
{
    TempDir dir;
    fs::copy_file(QUORVO_EXECUTABLE, dir.path() / "quorvo");
    ASSERT_EQ(runWithoutDisplay(shellQuote((dir.path() / "quorvo").string())), noDisplayStatus);
    EXPECT_EQ(readWholeFile(dir.path() / "config.ini"), defaultsFor(dir.path().string()));
    EXPECT_TRUE(fs::is_directory(dir.path() / "Download"));

    // Point path at a directory that is then deleted: the next run repairs it only.
    fs::create_directory(dir.path() / "elsewhere");
    writeWholeFile(dir.path() / "config.ini",
                   "[Main]\npath=" + dir.path().string()
                       + "/elsewhere/\nsType=1\nlrc=0\nwav=2\nbypass=0\ndelete=0\nspeed=42\n");
    fs::remove(dir.path() / "elsewhere");
    fs::remove(dir.path() / "Download");
    ASSERT_EQ(runWithoutDisplay(shellQuote((dir.path() / "quorvo").string())), noDisplayStatus);
    EXPECT_EQ(readWholeFile(dir.path() / "config.ini"),
              "[Main]\npath=" + dir.path().string()
                  + "/Download/\nsType=1\nlrc=0\nwav=2\nbypass=0\ndelete=0\nspeed=42\n");
    EXPECT_TRUE(fs::is_directory(dir.path() / "Download"));
}

TEST(QuorvoExecutable, UnwritableDirectoryFallsBackToTheDataHome)
{
    TempDir dir;
    fs::create_directory(dir.path() / "bin");
    fs::create_directory(dir.path() / "data");
    fs::copy_file(QUORVO_EXECUTABLE, dir.path() / "bin" / "quorvo");
    std::string prefix;
    if (::geteuid() == 0) {
        // Root writes anywhere: run as nobody, who may write only the data home.
        if (run("command -v setpriv >/dev/null") != 0)
            GTEST_SKIP() << "setpriv is needed to drop root privileges";
        fs::permissions(dir.path(), fs::perms::all);
        fs::permissions(dir.path() / "data", fs::perms::all);
        prefix = "setpriv --reuid=nobody --regid=nogroup --clear-groups ";
    } else {
        fs::permissions(dir.path() / "bin", fs::perms::owner_read | fs::perms::owner_exec);
    }
    const std::string command = "env XDG_DATA_HOME=" + shellQuote((dir.path() / "data").string()) + " " + prefix
        + shellQuote((dir.path() / "bin" / "quorvo").string());
    ASSERT_EQ(runWithoutDisplay(command), noDisplayStatus);
    EXPECT_FALSE(fs::exists(dir.path() / "bin" / "config.ini"));
    const fs::path runDir = dir.path() / "data" / "quorvo";
    EXPECT_EQ(readWholeFile(runDir / "config.ini"), defaultsFor(runDir.string()));
    EXPECT_TRUE(fs::is_directory(runDir / "Download"));
}

TEST(QuorvoExecutable, KeepsRunningWhenNothingCanBeWritten)
{
    if (::geteuid() == 0 && run("command -v setpriv >/dev/null") != 0)
        GTEST_SKIP() << "setpriv is needed to drop root privileges";
    TempDir dir;
    fs::create_directory(dir.path() / "bin");
    fs::copy_file(QUORVO_EXECUTABLE, dir.path() / "bin" / "quorvo");
    fs::permissions(dir.path(), fs::perms::all);
    // Neither the executable's directory nor the data home is writable.
    fs::permissions(dir.path() / "bin",
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read
                        | fs::perms::others_exec);
    const std::string prefix = ::geteuid() == 0 ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "";
    if (::geteuid() != 0)
        fs::permissions(dir.path() / "bin", fs::perms::owner_read | fs::perms::owner_exec);
    const std::string command
        = "env XDG_DATA_HOME=/proc/nonexistent " + prefix + shellQuote((dir.path() / "bin" / "quorvo").string());
    EXPECT_EQ(runWithoutDisplay(command), noDisplayStatus);
}
