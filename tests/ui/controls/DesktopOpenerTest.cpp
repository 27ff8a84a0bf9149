#include "ui/controls/DesktopOpener.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace quorvo;

namespace {

// Puts a directory first on PATH for the test's lifetime.
class PathOverride {
public:
    explicit PathOverride(const std::string& directory)
    {
        const char* old = std::getenv("PATH");
        m_saved = old ? old : "";
        ::setenv("PATH", (directory + ":" + m_saved).c_str(), 1);
    }
    PathOverride(const PathOverride&) = delete;
    PathOverride& operator=(const PathOverride&) = delete;
    ~PathOverride() { ::setenv("PATH", m_saved.c_str(), 1); }

private:
    std::string m_saved;
};

// A stand-in opener that writes each argument on a line of its own, then
// renames the file into place so that a reader never sees half of it.
void installStubOpener(const test::TempDir& dir)
{
    const std::string script = "#!/bin/sh\n"
                               "out='"
        + dir.file("args")
        + "'\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.tmp\"\nmv \"$out.tmp\" \"$out\"\n";
    test::writeWholeFile(dir.path() / "xdg-open", script);
    std::filesystem::permissions(dir.path() / "xdg-open", std::filesystem::perms::owner_all);
}

// The opener runs detached, so its record appears some time after the call
// returns; the 30 s bound only keeps a broken opener from hanging the suite.
std::string waitForRecord(const test::TempDir& dir)
{
    const auto path = dir.path() / "args";
    for (int i = 0; i < 3000 && !std::filesystem::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return std::filesystem::exists(path) ? test::readWholeFile(path) : std::string("<opener never ran>");
}

}  // namespace

TEST(DesktopOpener, TargetReachesTheOpenerAsOneUntouchedArgument)
{
    test::TempDir dir;
    installStubOpener(dir);
    PathOverride path(dir.path().string());

    // Shell syntax in a link must stay text: no shell ever parses it.
    const std::string target = "https://example.test/a b?q=$(touch " + dir.file("pwned") + ")&x=`id`;echo";
    std::string error;
    ASSERT_TRUE(ui::openWithDesktop(target, &error)) << error;
    EXPECT_EQ(waitForRecord(dir), target + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "pwned"));
}

TEST(DesktopOpener, MailLinksGoThroughTheDefaultOpener)
{
    test::TempDir dir;
    installStubOpener(dir);
    PathOverride path(dir.path().string());
    ASSERT_TRUE(ui::desktopOpener()("mailto:someone@example.test"));
    EXPECT_EQ(waitForRecord(dir), "mailto:someone@example.test\n");
}

TEST(DesktopOpener, MissingOpenerIsReportedNotPretendedOpened)
{
    test::TempDir dir;
    const char* old = std::getenv("PATH");
    const std::string saved = old ? old : "";
    ::setenv("PATH", dir.path().c_str(), 1);
    std::string error;
    const bool opened = ui::openWithDesktop("https://example.test/", &error);
    ::setenv("PATH", saved.c_str(), 1);
    EXPECT_FALSE(opened);
    EXPECT_NE(error.find("xdg-open"), std::string::npos) << error;
}

TEST(DesktopOpener, TargetsTheOpenerWouldMisreadAreRefused)
{
    test::TempDir dir;
    installStubOpener(dir);
    PathOverride path(dir.path().string());
    EXPECT_FALSE(ui::openWithDesktop(""));
    EXPECT_FALSE(ui::openWithDesktop("--manual"));
    EXPECT_FALSE(ui::openWithDesktop(std::string_view("a\0b", 3)));
    // Refused before anything is started.
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "args"));
}
