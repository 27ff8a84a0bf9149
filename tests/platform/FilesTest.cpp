#include "platform/Files.h"

#include "TempDir.h"
#include "Unprivileged.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <sys/mount.h>

using quorvo::Text;
using quorvo::test::TempDir;
namespace platform = quorvo::platform;
namespace fs = std::filesystem;

TEST(Files, ChineseNamesAreUtf8OnDisk)
{
    TempDir dir;
    const Text gbkName = dir.path().string() + "/" + "\xD6\xD0\xCE\xC4.lrc";  // "中文.lrc" in program text
    ASSERT_TRUE(platform::writeFile(gbkName, "lyrics"));
    EXPECT_TRUE(fs::exists(dir.path() / "\xE4\xB8\xAD\xE6\x96\x87.lrc"));
    EXPECT_TRUE(platform::exists(gbkName));
    EXPECT_EQ(platform::fileSize(gbkName), 6);
    EXPECT_EQ(platform::readFile(gbkName).value(), "lyrics");
    EXPECT_EQ(platform::fromNativePath(dir.file("\xE4\xB8\xAD\xE6\x96\x87.lrc")), gbkName);
}

TEST(Files, DirectoriesAreCreatedOnceAndRecognised)
{
    TempDir dir;
    const Text sub = platform::fromNativePath(dir.file("Download"));
    EXPECT_FALSE(platform::isDirectory(sub));
    EXPECT_TRUE(platform::createDirectory(sub));
    EXPECT_TRUE(platform::createDirectory(sub));  // an existing directory is not an error
    EXPECT_TRUE(platform::isDirectory(sub));
    EXPECT_TRUE(platform::isDirectory(sub + "/"));
    EXPECT_EQ(platform::fileSize(sub), -1);
    EXPECT_TRUE(platform::createDirectories(sub + "/a/b/c"));
    EXPECT_TRUE(platform::isDirectory(sub + "/a/b/c"));
    // A plain file is not a directory, and cannot become one.
    const Text plain = platform::fromNativePath(dir.file("plain"));
    ASSERT_TRUE(platform::writeFile(plain, "x"));
    EXPECT_FALSE(platform::isDirectory(plain));
    EXPECT_FALSE(platform::createDirectory(plain));
    EXPECT_FALSE(platform::exists(""));
    EXPECT_FALSE(platform::isDirectory(""));
}

TEST(Files, WriteAppendReadDelete)
{
    TempDir dir;
    const Text path = platform::fromNativePath(dir.file("data.bin"));
    EXPECT_FALSE(platform::readFile(path).has_value());
    EXPECT_EQ(platform::fileSize(path), -1);
    const std::string withNul("a\0b", 3);
    ASSERT_TRUE(platform::writeFile(path, withNul));
    ASSERT_TRUE(platform::appendFile(path, "cd"));
    EXPECT_EQ(platform::readFile(path).value(), withNul + "cd");
    EXPECT_EQ(platform::fileSize(path), 5);
    ASSERT_TRUE(platform::writeFile(path, "new"));
    EXPECT_EQ(platform::readFile(path).value(), "new");
    ASSERT_TRUE(platform::writeFile(path, ""));
    EXPECT_EQ(platform::readFile(path).value(), "");
    EXPECT_TRUE(platform::deleteFile(path));
    EXPECT_FALSE(platform::deleteFile(path));
    EXPECT_FALSE(platform::exists(path));
    // No temporary files are left beside it.
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(Files, MoveRefusesAnExistingTargetWhileReplaceReplaces)
{
    TempDir dir;
    const Text a = platform::fromNativePath(dir.file("a"));
    const Text b = platform::fromNativePath(dir.file("b"));
    ASSERT_TRUE(platform::writeFile(a, "first"));
    ASSERT_TRUE(platform::writeFile(b, "second"));
    EXPECT_FALSE(platform::moveFile(a, b));
    EXPECT_EQ(platform::readFile(b).value(), "second");
    EXPECT_TRUE(platform::exists(a));
    EXPECT_TRUE(platform::replaceFile(a, b));
    EXPECT_EQ(platform::readFile(b).value(), "first");
    EXPECT_FALSE(platform::exists(a));
    const Text c = platform::fromNativePath(dir.file("c"));
    EXPECT_TRUE(platform::moveFile(b, c));
    EXPECT_FALSE(platform::exists(b));
    EXPECT_EQ(platform::readFile(c).value(), "first");
    EXPECT_FALSE(platform::moveFile(b, c));
}

TEST(Files, UnwritablePlacesFailWithoutThrowing)
{
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    const Text locked = platform::fromNativePath(dir.file("locked"));
    ASSERT_TRUE(platform::createDirectory(locked));
    fs::permissions(dir.file("locked"),
                    fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    const std::string failure = quorvo::test::runUnprivileged([&]() -> std::string {
        if (platform::isWritableDirectory(locked))
            return "directory should not be writable";
        if (platform::writeFile(locked + "/x", "data"))
            return "writeFile succeeded";
        if (platform::appendFile(locked + "/x", "data"))
            return "appendFile succeeded";
        if (platform::createDirectory(locked + "/sub"))
            return "createDirectory succeeded";
        if (platform::exists(locked + "/x"))
            return "a file appeared";
        return {};
    });
    EXPECT_EQ(failure, "");
}

namespace {

// A small tmpfs of its own, to fill up; skipped where mounting is not allowed.
class SmallDisk {
public:
    explicit SmallDisk(const fs::path& at)
        : m_at(at)
    {
        fs::create_directory(at);
        m_mounted = ::mount("none", at.c_str(), "tmpfs", 0, "size=64k") == 0;
        if (!m_mounted)
            m_why = std::strerror(errno);
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_at.c_str(), MNT_DETACH);
    }
    [[nodiscard]] bool mounted() const { return m_mounted; }
    [[nodiscard]] const std::string& why() const { return m_why; }

private:
    fs::path m_at;
    bool m_mounted = false;
    std::string m_why;
};

}  // namespace

// On a full disk the new lyric cannot be written; the old one stays whole.
TEST(Files, WriteOnAFullDiskLeavesTheOldFileWhole)
{
    TempDir dir;
    const SmallDisk disk(dir.path() / "disk");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here (" << disk.why() << ")";
    const std::string old(40000, 'o');
    const Text path = platform::fromNativePath(dir.file("disk/song.lrc"));
    ASSERT_TRUE(platform::writeFile(path, old));
    EXPECT_FALSE(platform::writeFile(path, std::string(40000, 'n')));
    EXPECT_EQ(platform::readFile(path).value(), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "disk"), fs::directory_iterator()), 1);
}

// Only writeFile's own leftovers go; a person's NAME.lrc.backup stays.
TEST(Files, LeftoverTemporariesGoButNoFileOfTheUser)
{
    TempDir dir;
    const Text path = platform::fromNativePath(dir.file("song.lrc"));
    for (const char* name : {"song.lrc.backup", "song.lrc.Ab12Cd", ".song.lrc.quorvo-write-Ab12Cd", "other.lrc"})
        quorvo::test::writeWholeFile(dir.file(name), "x");
    platform::removeWriteLeftovers(path);
    EXPECT_TRUE(fs::exists(dir.file("song.lrc.backup")));
    EXPECT_TRUE(fs::exists(dir.file("song.lrc.Ab12Cd")));
    EXPECT_TRUE(fs::exists(dir.file("other.lrc")));
    EXPECT_FALSE(fs::exists(dir.file(".song.lrc.quorvo-write-Ab12Cd")));
}
