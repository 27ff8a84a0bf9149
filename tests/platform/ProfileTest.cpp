#include "platform/Profile.h"
#include "platform/ConfigStore.h"
#include "platform/Files.h"

#include "TempDir.h"
#include "Unprivileged.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

using quorvo::Text;
using quorvo::platform::ConfigStore;
using quorvo::test::readWholeFile;
using quorvo::test::TempDir;
using quorvo::test::writeWholeFile;
namespace platform = quorvo::platform;

namespace {
struct ProfileFile {
    TempDir dir;
    Text path = platform::fromNativePath(dir.file("config.ini"));
    void put(const std::string& contents) const { writeWholeFile(dir.file("config.ini"), contents); }
    [[nodiscard]] std::string raw() const { return readWholeFile(dir.file("config.ini")); }
};
}  // namespace

TEST(Profile, MissingFileSectionOrKeyReadsEmpty)
{
    ProfileFile ini;
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "path"), "");
    ini.put("[Other]\npath=x\n");
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "path"), "");
    ini.put("[Main]\nspeed=1\n");
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "path"), "");
    EXPECT_FALSE(platform::exists(ini.path + ".missing"));
}

TEST(Profile, SectionsAndKeysIgnoreAsciiCaseAndFirstMatchWins)
{
    ProfileFile ini;
    ini.put("; comment\n[main]\n  Speed = 5 \nspeed=6\n[MAIN]\nspeed=7\nlrc=1\n");
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "SPEED"), "5");
    // The later duplicate section is never consulted.
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "lrc"), "");
}

TEST(Profile, ValuesAreTrimmedAndUnquoted)
{
    ProfileFile ini;
    ini.put("[Main]\na=\"quoted value\"\nb='single'\nc=\"unbalanced\nd=   \nnoequals\ne=x=y\n");
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "a"), "quoted value");
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "b"), "single");
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "c"), "\"unbalanced");
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "d"), "");
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "noequals"), "");
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "e"), "x=y");
}

TEST(Profile, WriteCreatesFileSectionAndKey)
{
    ProfileFile ini;
    ASSERT_TRUE(platform::writeProfile(ini.path, "Main", "path", "/music/"));
    EXPECT_EQ(ini.raw(), "[Main]\npath=/music/\n");
    ASSERT_TRUE(platform::writeProfile(ini.path, "Main", "sType", "0"));
    ASSERT_TRUE(platform::writeProfile(ini.path, "Other", "k", "v"));
    EXPECT_EQ(ini.raw(), "[Main]\npath=/music/\nsType=0\n[Other]\nk=v\n");
    ASSERT_TRUE(platform::writeProfile(ini.path, "Main", "lrc", "1"));
    EXPECT_EQ(ini.raw(), "[Main]\npath=/music/\nsType=0\nlrc=1\n[Other]\nk=v\n");
}

TEST(Profile, WriteKeepsEveryOtherLineInPlace)
{
    ProfileFile ini;
    const std::string before = "\xEF\xBB\xBF; settings\r\n[Main]\r\npath=/a/\r\n; keep me\r\n  speed = "
                               "10\r\n\r\nlrc=0\r\n\r\n[Other]\r\nx=1\r\n";
    ini.put(before);
    ASSERT_TRUE(platform::writeProfile(ini.path, "MAIN", "SPEED", "20"));
    EXPECT_EQ(
        ini.raw(),
        "\xEF\xBB\xBF; settings\r\n[Main]\r\npath=/a/\r\n; keep me\r\nspeed=20\r\n\r\nlrc=0\r\n\r\n[Other]\r\nx=1\r\n");
    ASSERT_TRUE(platform::writeProfile(ini.path, "Main", "wav", "2"));
    EXPECT_EQ(ini.raw(),
              "\xEF\xBB\xBF; settings\r\n[Main]\r\npath=/a/\r\n; keep me\r\nspeed=20\r\n\r\nlrc=0\r\nwav=2\r\n\r\n"
              "[Other]\r\nx=1\r\n");
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "path"), "/a/");
}

TEST(Profile, ValuesAreReadWholeHoweverLong)
{
    ProfileFile ini;
    for (std::size_t length : {1023u, 1024u, 1025u, 5000u, 100000u}) {
        const std::string value(length, 'v');
        ASSERT_TRUE(platform::writeProfile(ini.path, "Main", "long", value));
        EXPECT_EQ(platform::readProfile(ini.path, "Main", "long").size(), length);
    }
}

TEST(Profile, ChineseTextIsUtf8OnDiskAndRoundTrips)
{
    ProfileFile ini;
    const Text gbkPath = "/home/\xD2\xF4\xC0\xD6/\xCF\xC2\xD4\xD8/";  // "/home/音乐/下载/"
    ASSERT_TRUE(platform::writeProfile(ini.path, "Main", "path", gbkPath));
    EXPECT_EQ(ini.raw(), "[Main]\npath=/home/\xE9\x9F\xB3\xE4\xB9\x90/\xE4\xB8\x8B\xE8\xBD\xBD/\n");
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "path"), gbkPath);
}

TEST(Profile, DamagedFilesAreReadAndWrittenWithoutLosingOtherKeys)
{
    ProfileFile ini;
    // Invalid UTF-8, a line without "=", a missing final newline.
    ini.put("[Main]\ngarbage \xFF\xFE line\nbad=\xC3\nspeed=3");
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "speed"), "3");
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "bad"), "?");
    ASSERT_TRUE(platform::writeProfile(ini.path, "Main", "lrc", "1"));
    EXPECT_EQ(ini.raw(), "[Main]\ngarbage \xFF\xFE line\nbad=\xC3\nspeed=3\nlrc=1\n");
    ASSERT_TRUE(platform::writeProfile(ini.path, "Main", "speed", "4"));
    EXPECT_EQ(ini.raw(), "[Main]\ngarbage \xFF\xFE line\nbad=\xC3\nspeed=4\nlrc=1\n");
}

TEST(Profile, ValuesWithLineBreaksStayOnOneLine)
{
    ProfileFile ini;
    ASSERT_TRUE(platform::writeProfile(ini.path, "Main", "a", "x\r\n[Evil]\r\nb=1"));
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "a"), "x  [Evil]  b=1");
    EXPECT_EQ(platform::readProfile(ini.path, "Evil", "b"), "");
}

TEST(Profile, TenMegabyteFileStillWorks)
{
    ProfileFile ini;
    std::string big = "[Main]\n";
    while (big.size() < 10 * 1024 * 1024)
        big += "filler" + std::to_string(big.size()) + "=some value that pads the file\n";
    big += "speed=9\n";
    ini.put(big);
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "speed"), "9");
    ASSERT_TRUE(platform::writeProfile(ini.path, "Main", "speed", "10"));
    EXPECT_EQ(platform::readProfile(ini.path, "Main", "speed"), "10");
    EXPECT_EQ(ini.raw().size(), big.size() + 1);
}

TEST(Profile, ConcurrentWritersNeverLoseKeys)
{
    ProfileFile ini;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&ini, t] {
            for (int i = 0; i < 25; ++i)
                platform::writeProfile(ini.path, "Main", "key" + std::to_string(t), std::to_string(i));
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(platform::readProfile(ini.path, "Main", "key" + std::to_string(t)), "24");
}

TEST(ConfigStore, ReadsAndWritesSectionMain)
{
    ProfileFile ini;
    const platform::ConfigStore config(ini.path);
    EXPECT_EQ(config.read("speed"), "");
    EXPECT_EQ(config.readInteger("speed"), 0);
    ASSERT_TRUE(config.writeInteger("speed", 250));
    ASSERT_TRUE(config.writeBoolean("lrc", false));
    EXPECT_EQ(config.read("speed"), "250");
    EXPECT_EQ(config.readInteger("speed"), 250);
    EXPECT_EQ(config.read("lrc"), "0");
    EXPECT_EQ(ini.raw(), "[Main]\nspeed=250\nlrc=0\n");
    ASSERT_TRUE(config.write("speed", "12abc"));
    EXPECT_EQ(config.readInteger("speed"), 12);
}

TEST(ConfigStore, UnwritableFileKeepsOldValue)
{
    ProfileFile ini;
    ini.put("[Main]\nspeed=1\n");
    namespace fs = std::filesystem;
    fs::permissions(ini.dir.path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(ini.dir.file("config.ini"), fs::perms::owner_read | fs::perms::others_read);
    const std::string failure = quorvo::test::runUnprivileged([&]() -> std::string {
        const platform::ConfigStore config(ini.path);
        if (config.write("speed", "2"))
            return "write reported success";
        if (config.read("speed") != "1")
            return "old value lost";
        if (config.write("other", "x"))
            return "write of a new key reported success";
        return {};
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(ini.raw(), "[Main]\nspeed=1\n");
}

TEST(ConfigStore, SaveDirectoryCheckAddsTheSeparator)
{
    TempDir dir;
    const Text path = platform::fromNativePath(dir.path().string());
    EXPECT_TRUE(quorvo::platform::ensureSaveDirectory(path));
    EXPECT_TRUE(quorvo::platform::ensureSaveDirectory(path + "/"));
    EXPECT_FALSE(quorvo::platform::ensureSaveDirectory(path + "/missing"));
    ASSERT_TRUE(platform::writeFile(path + "/file", "x"));
    EXPECT_FALSE(quorvo::platform::ensureSaveDirectory(path + "/file"));
}
