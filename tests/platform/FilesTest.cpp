#include "platform/Files.h"

#include "TempDir.h"
#include "Unprivileged.h"

#include <filesystem>
#include <gtest/gtest.h>

using quorvo::Text;
using quorvo::test::TempDir;
namespace files = quorvo::files;
namespace fs = std::filesystem;

TEST(Files, ChineseNamesAreUtf8OnDisk)
{
    TempDir dir;
    const Text gbkName = dir.path().string() + "/" + "\xD6\xD0\xCE\xC4.lrc";  // "中文.lrc" in program text
    ASSERT_TRUE(files::writeFile(gbkName, "lyrics"));
    EXPECT_TRUE(fs::exists(dir.path() / "\xE4\xB8\xAD\xE6\x96\x87.lrc"));
    EXPECT_TRUE(files::exists(gbkName));
    EXPECT_EQ(files::fileSize(gbkName), 6);
    EXPECT_EQ(files::readFile(gbkName).value(), "lyrics");
    EXPECT_EQ(files::fromNativePath(dir.file("\xE4\xB8\xAD\xE6\x96\x87.lrc")), gbkName);
}

TEST(Files, DirectoriesAreCreatedOnceAndRecognised)
{
    TempDir dir;
    const Text sub = files::fromNativePath(dir.file("Download"));
    EXPECT_FALSE(files::isDirectory(sub));
    EXPECT_TRUE(files::createDirectory(sub));
    EXPECT_TRUE(files::createDirectory(sub));  // an existing directory is not an error
    EXPECT_TRUE(files::isDirectory(sub));
    EXPECT_TRUE(files::isDirectory(sub + "/"));
    EXPECT_EQ(files::fileSize(sub), -1);
    EXPECT_TRUE(files::createDirectories(sub + "/a/b/c"));
    EXPECT_TRUE(files::isDirectory(sub + "/a/b/c"));
    // A plain file is not a directory, and cannot become one.
    const Text plain = files::fromNativePath(dir.file("plain"));
    ASSERT_TRUE(files::writeFile(plain, "x"));
    EXPECT_FALSE(files::isDirectory(plain));
    EXPECT_FALSE(files::createDirectory(plain));
    EXPECT_FALSE(files::exists(""));
    EXPECT_FALSE(files::isDirectory(""));
}

TEST(Files, WriteAppendReadDelete)
{
    TempDir dir;
    const Text path = files::fromNativePath(dir.file("data.bin"));
    EXPECT_FALSE(files::readFile(path).has_value());
    EXPECT_EQ(files::fileSize(path), -1);
    const std::string withNul("a\0b", 3);
    ASSERT_TRUE(files::writeFile(path, withNul));
    ASSERT_TRUE(files::appendFile(path, "cd"));
    EXPECT_EQ(files::readFile(path).value(), withNul + "cd");
    EXPECT_EQ(files::fileSize(path), 5);
    ASSERT_TRUE(files::writeFile(path, "new"));
    EXPECT_EQ(files::readFile(path).value(), "new");
    ASSERT_TRUE(files::writeFile(path, ""));
    EXPECT_EQ(files::readFile(path).value(), "");
    EXPECT_TRUE(files::deleteFile(path));
    EXPECT_FALSE(files::deleteFile(path));
    EXPECT_FALSE(files::exists(path));
    // No temporary files are left beside it.
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(Files, MoveRefusesAnExistingTargetWhileReplaceReplaces)
{
    TempDir dir;
    const Text a = files::fromNativePath(dir.file("a"));
    const Text b = files::fromNativePath(dir.file("b"));
    ASSERT_TRUE(files::writeFile(a, "first"));
    ASSERT_TRUE(files::writeFile(b, "second"));
    EXPECT_FALSE(files::moveFile(a, b));
    EXPECT_EQ(files::readFile(b).value(), "second");
    EXPECT_TRUE(files::exists(a));
    EXPECT_TRUE(files::replaceFile(a, b));
    EXPECT_EQ(files::readFile(b).value(), "first");
    EXPECT_FALSE(files::exists(a));
    const Text c = files::fromNativePath(dir.file("c"));
    EXPECT_TRUE(files::moveFile(b, c));
    EXPECT_FALSE(files::exists(b));
    EXPECT_EQ(files::readFile(c).value(), "first");
    EXPECT_FALSE(files::moveFile(b, c));
}

TEST(Files, UnwritablePlacesFailWithoutThrowing)
{
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    const Text locked = files::fromNativePath(dir.file("locked"));
    ASSERT_TRUE(files::createDirectory(locked));
    fs::permissions(dir.file("locked"),
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    const std::string failure = quorvo::test::runUnprivileged([&]() -> std::string {
        if (files::isWritableDirectory(locked))
            return "directory should not be writable";
        if (files::writeFile(locked + "/x", "data"))
            return "writeFile succeeded";
        if (files::appendFile(locked + "/x", "data"))
            return "appendFile succeeded";
        if (files::createDirectory(locked + "/sub"))
            return "createDirectory succeeded";
        if (files::exists(locked + "/x"))
            return "a file appeared";
        return {};
    });
    EXPECT_EQ(failure, "");
}
