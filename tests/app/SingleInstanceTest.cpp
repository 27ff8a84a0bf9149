// A second start on the same settings while the first is still starting: it
// holds the lock but does not listen yet.

#include "app/SingleInstance.h"

#include "TempDir.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace quorvo::app {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Whether an inotify handle of this process watches the file with inode `inode`.
bool watched(ino_t inode)
{
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "ino:%lx ", static_cast<unsigned long>(inode));
    std::error_code error;
    for (const fs::directory_entry& fd : fs::directory_iterator("/proc/self/fd", error)) {
        if (fs::read_symlink(fd.path(), error).string() != "anon_inode:inotify")
            continue;
        std::ifstream info("/proc/self/fdinfo/" + fd.path().filename().string());
        for (std::string line; std::getline(info, line);) {
            if (line.find(wanted) != std::string::npos)
                return true;
        }
    }
    return false;
}

TEST(SingleInstance, ASecondStartThatFoundTheLockBeforeTheFirstListenedReachesItOnceItDoes)
{
    const test::TempDir dir;
    const Text config = platform::fromNativePath(dir.file("config.ini"));
    const std::string lockPath = dir.file("config.ini.lock");

    // A first that has the lock and nothing else yet.
    UniqueFd starting(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    ASSERT_GE(starting.get(), 0);
    ASSERT_EQ(::flock(starting.get(), LOCK_EX | LOCK_NB), 0);
    struct stat lockFile { };
    ASSERT_EQ(::fstat(starting.get(), &lockFile), 0);

    auto second = std::async(std::launch::async, [&] { return SingleInstance(config).role(); });
    // Found the lock taken and nobody listening, the second waits for the lock file to change.
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!watched(lockFile.st_ino)) {
        ASSERT_LT(std::chrono::steady_clock::now(), end) << "the second start never waited for the first";
        std::this_thread::sleep_for(1ms);
    }

    // The starting one lets go (without closing the file, which would wake the
    // second too) and a first that listens takes its place.
    ASSERT_EQ(::flock(starting.get(), LOCK_UN), 0);
    SingleInstance first(config);
    ASSERT_EQ(first.role(), SingleInstance::Role::First);
    std::atomic<int> shown = 0;
    first.listen([&] { ++shown; });

    ASSERT_EQ(second.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(second.get(), SingleInstance::Role::Signalled);
    first.stopListening();
    EXPECT_EQ(shown.load(), 1);
}

}  // namespace
}  // namespace quorvo::app
