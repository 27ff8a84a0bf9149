#include "platform/Files.h"

#include "runtime/Encoding.h"
#include "runtime/UniqueFd.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvo::platform {

namespace {

bool statPath(const Text& path, struct stat& info)
{
    if (path.empty())
        return false;
    return ::stat(nativePath(path).c_str(), &info) == 0;
}

}  // namespace

std::string nativePath(const Text& path)
{
    return encoding::toUtf8(path.view());
}

Text fromNativePath(std::string_view native)
{
    return encoding::fromUtf8(native);
}

bool exists(const Text& path)
{
    struct stat info { };
    return statPath(path, info);
}

bool isDirectory(const Text& path)
{
    struct stat info { };
    return statPath(path, info) && S_ISDIR(info.st_mode);
}

bool createDirectory(const Text& path)
{
    if (path.empty())
        return false;
    if (::mkdir(nativePath(path).c_str(), 0777) == 0)
        return true;
    return errno == EEXIST && isDirectory(path);
}

bool createDirectories(const Text& path)
{
    const std::string native = nativePath(path);
    if (native.empty())
        return false;
    for (std::size_t slash = native.find('/', 1); slash != std::string::npos; slash = native.find('/', slash + 1))
        ::mkdir(native.substr(0, slash).c_str(), 0777);
    return createDirectory(path);
}

bool deleteFile(const Text& path)
{
    return !path.empty() && ::unlink(nativePath(path).c_str()) == 0;
}

bool removeDirectory(const Text& path)
{
    return !path.empty() && ::rmdir(nativePath(path).c_str()) == 0;
}

bool moveFile(const Text& from, const Text& to)
{
    if (from.empty() || to.empty())
        return false;
    const std::string source = nativePath(from);
    const std::string target = nativePath(to);
    // link + unlink refuses an existing target without a check-then-rename race.
    if (::link(source.c_str(), target.c_str()) == 0)
        return ::unlink(source.c_str()) == 0;
    if (errno == EEXIST)
        return false;
    // Directories and file systems without hard links: fall back to a checked rename.
    struct stat info { };
    if (::lstat(target.c_str(), &info) == 0)
        return false;
    return ::rename(source.c_str(), target.c_str()) == 0;
}

bool replaceFile(const Text& from, const Text& to)
{
    return !from.empty() && !to.empty() && ::rename(nativePath(from).c_str(), nativePath(to).c_str()) == 0;
}

int64_t fileSize(const Text& path)
{
    struct stat info { };
    if (!statPath(path, info) || S_ISDIR(info.st_mode))
        return -1;
    return static_cast<int64_t>(info.st_size);
}

std::optional<FileStamp> fileStamp(const Text& path)
{
    struct stat info { };
    if (!statPath(path, info))
        return std::nullopt;
    return FileStamp {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                      static_cast<int64_t>(info.st_size),
                      static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

bool isWritableDirectory(const Text& path)
{
    return isDirectory(path) && ::access(nativePath(path).c_str(), W_OK | X_OK) == 0;
}

std::optional<Bytes> readFile(const Text& path)
{
    if (path.empty())
        return std::nullopt;
    UniqueFd fd(::open(nativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return std::nullopt;
    struct stat info { };
    if (::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode))
        return std::nullopt;
    Bytes data;
    data.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (got == 0)
            break;
        data.append(buffer, static_cast<std::size_t>(got));
    }
    return data;
}

namespace {

// writeFile's temporaries: ".NAME.quorvo-write-XXXXXX" beside NAME, a name no
// person gives a file, so that clearing leftovers never touches theirs.
constexpr std::string_view temporaryMark = ".quorvo-write-";

std::string temporaryPrefix(const std::string& target)
{
    const std::size_t slash = target.rfind('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    return target.substr(0, nameAt) + "." + target.substr(nameAt) + std::string(temporaryMark);
}

}  // namespace

bool writeFile(const Text& path, std::string_view data)
{
    if (path.empty())
        return false;
    const std::string target = nativePath(path);
    struct stat existing { };
    const bool hadFile = ::stat(target.c_str(), &existing) == 0;
    if (hadFile && S_ISDIR(existing.st_mode))
        return false;

    // Only a whole new file replaces the old one. There is no writing in
    // place when the temporary fails: on a full disk that would leave the
    // old file cut short, the one outcome worse than not writing at all.
    std::string temporary = temporaryPrefix(target) + "XXXXXX";
    UniqueFd fd(::mkstemp(temporary.data()));
    if (!fd.valid())
        return false;
    ::fchmod(fd.get(), hadFile ? (existing.st_mode & 07777) : 0644);
    const bool ok = writeAll(fd.get(), data) && ::fsync(fd.get()) == 0;
    if (fd.close() && ok && ::rename(temporary.c_str(), target.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

void removeWriteLeftovers(const Text& path)
{
    const std::string prefix = temporaryPrefix(nativePath(path));
    const std::size_t slash = prefix.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : prefix.substr(0, slash + 1);
    const std::string namePrefix = slash == std::string::npos ? prefix : prefix.substr(slash + 1);
    DIR* listing = ::opendir(directory.c_str());
    if (!listing)
        return;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name(entry->d_name);
        if (name.size() != namePrefix.size() + 6 || !name.starts_with(namePrefix))
            continue;
        const std::string leftover = (slash == std::string::npos ? std::string() : directory) + std::string(name);
        struct stat info { };
        if (::lstat(leftover.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            ::unlink(leftover.c_str());
    }
    ::closedir(listing);
}

bool appendFile(const Text& path, std::string_view data)
{
    if (path.empty())
        return false;
    UniqueFd fd(::open(nativePath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (!fd.valid())
        return false;
    const bool ok = writeAll(fd.get(), data);
    return fd.close() && ok;
}

}  // namespace quorvo::platform
