#include "download/PartialFile.h"

#include "platform/Files.h"
#include "runtime/Numbers.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace quorvo::download {
namespace {

constexpr const char* songAttribute = "user.quorvo.song";
constexpr const char* sizeAttribute = "user.quorvo.size";
constexpr const char* entityTagAttribute = "user.quorvo.etag";
constexpr const char* lastModifiedAttribute = "user.quorvo.modified";
constexpr const char* attributes[] = {songAttribute, sizeAttribute, entityTagAttribute, lastModifiedAttribute};
// Our own values are short; anything longer is not ours.
constexpr std::size_t largestValue = 1024;

bool refused(int error)
{
    return error == ENOTSUP || error == EOPNOTSUPP;
}

// nullopt when the attribute is not there; `unsupported` set when the file
// system has no such attributes at all.
template <typename Get> std::optional<Text> readAttribute(const Get& get, const char* name, bool& unsupported)
{
    char value[largestValue];
    const ssize_t length = get(name, value, sizeof value);
    if (length < 0) {
        if (refused(errno))
            unsupported = true;
        return std::nullopt;
    }
    return Text(std::string(value, static_cast<std::size_t>(length)));
}

template <typename Get> StoredIdentity readIdentity(const Get& get)
{
    StoredIdentity stored;
    bool unsupported = false;
    const std::optional<Text> songId = readAttribute(get, songAttribute, unsupported);
    if (unsupported) {
        stored.supported = false;
        return stored;
    }
    if (!songId)
        return stored;
    PartialIdentity identity;
    identity.songId = *songId;
    identity.size = numbers::toInteger(readAttribute(get, sizeAttribute, unsupported).value_or(Text()).view());
    identity.entityTag = readAttribute(get, entityTagAttribute, unsupported).value_or(Text());
    identity.lastModified = readAttribute(get, lastModifiedAttribute, unsupported).value_or(Text());
    stored.identity = identity;
    return stored;
}

// Locks `fd` without waiting. False only when another description holds the
// lock; a file system without locks is written unlocked.
bool lockOrBusy(int fd)
{
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0 || errno != EWOULDBLOCK;
}

bool sameFile(int fd, const std::string& path)
{
    struct stat opened { };
    struct stat named { };
    return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev
        && opened.st_ino == named.st_ino;
}

}  // namespace

PartialFile::~PartialFile()
{
    close();
}

PartialOpen PartialFile::open(const Text& path)
{
    close();
    m_path = path;
    m_created = false;
    m_moved = false;
    m_writeFailed = false;
    m_error = 0;
    const std::string native = platform::nativePath(path);
    // The lock holder may rename or delete the file between our open and our
    // lock; a lock on a file that no longer has this name is no lock on it.
    for (int tries = 0; tries < 8; ++tries) {
        bool created = false;
        UniqueFd fd(::open(native.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
        if (!fd.valid() && errno == ENOENT) {
            fd.reset(::open(native.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
            created = fd.valid();
            if (!fd.valid() && errno == EEXIST)
                continue;
        }
        if (!fd.valid()) {
            m_error = errno;
            return PartialOpen::Failed;
        }
        if (!lockOrBusy(fd.get()))
            return PartialOpen::Busy;
        if (!sameFile(fd.get(), native))
            continue;
        m_fd = std::move(fd);
        m_created = created;
        // Only the lock holder writes a replacement: one lying there was left by a process that died.
        ::unlink(platform::nativePath(replacementPath()).c_str());
        return PartialOpen::Opened;
    }
    m_error = EAGAIN;
    return PartialOpen::Failed;
}

int64_t PartialFile::size() const
{
    struct stat info { };
    if (!m_fd.valid() || ::fstat(m_fd.get(), &info) != 0)
        return -1;
    return static_cast<int64_t>(info.st_size);
}

StoredIdentity PartialFile::identity() const
{
    const int fd = m_fd.get();
    return readIdentity(
        [fd](const char* name, char* value, std::size_t size) { return ::fgetxattr(fd, name, value, size); });
}

bool PartialFile::discard()
{
    if (!m_fd.valid())
        return false;
    // Already empty: nothing to cut (a device such as /dev/full cannot be cut at all).
    if (size() != 0 && ::ftruncate(m_fd.get(), 0) != 0)
        return fail();
    for (const char* name : attributes)
        ::fremovexattr(m_fd.get(), name);
    return true;
}

bool PartialFile::beginReplacement()
{
    if (!m_fd.valid())
        return false;
    // Nothing there to keep.
    if (size() == 0)
        return discard();
    m_replacement.reset(::open(platform::nativePath(replacementPath()).c_str(),
                               O_WRONLY | O_APPEND | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    m_replacementSize = 0;
    if (!m_replacement.valid())
        return fail();
    // Locked before it can take the partial file's name.
    static_cast<void>(lockOrBusy(m_replacement.get()));
    return true;
}

Text PartialFile::writingPath() const
{
    return replacing() ? replacementPath() : m_path;
}

bool PartialFile::write(std::string_view bytes)
{
    if (m_writeFailed || !m_fd.valid())
        return false;
    if (!writeAll(replacing() ? m_replacement.get() : m_fd.get(), bytes)) {
        m_writeFailed = true;
        return fail();
    }
    if (replacing()) {
        m_replacementSize += static_cast<int64_t>(bytes.size());
        if (m_replacementSize >= size())
            return settle();
    }
    return true;
}

bool PartialFile::setIdentity(const PartialIdentity& identity)
{
    const int fd = replacing() ? m_replacement.get() : m_fd.get();
    if (fd < 0)
        return false;
    // The song attribute is always there, also empty: it marks the file as carrying an identity.
    const auto set = [fd](const char* name, const Text& value) {
        if (value.empty() && name != songAttribute)
            return ::fremovexattr(fd, name) == 0 || errno == ENODATA;
        return ::fsetxattr(fd, name, value.c_str(), value.size(), 0) == 0;
    };
    return set(songAttribute, identity.songId) && set(sizeAttribute, numbers::fromInteger(identity.size))
        && set(entityTagAttribute, identity.entityTag) && set(lastModifiedAttribute, identity.lastModified);
}

bool PartialFile::settle()
{
    if (!replacing())
        return true;
    if (::rename(platform::nativePath(replacementPath()).c_str(), platform::nativePath(m_path).c_str()) != 0) {
        m_writeFailed = true;
        return fail();
    }
    // The old file's lock goes with its descriptor; the new one is held already.
    m_fd = std::move(m_replacement);
    m_created = false;
    return true;
}

bool PartialFile::moveTo(const Text& target)
{
    if (!m_fd.valid() || m_writeFailed || !settle())
        return false;
    if (!platform::replaceFile(m_path, target))
        return fail();
    m_moved = true;
    return true;
}

bool PartialFile::close()
{
    if (m_replacement.valid()) {
        ::unlink(platform::nativePath(replacementPath()).c_str());
        m_replacement.close();
    }
    if (!m_fd.valid())
        return true;
    // Still ours under the lock: a partial file of nothing is no partial file.
    if (m_created && !m_moved && size() == 0)
        ::unlink(platform::nativePath(m_path).c_str());
    const bool closed = m_fd.close();
    if (!closed && m_error == 0)
        m_error = errno;
    return closed && !m_writeFailed;
}

StoredIdentity PartialFile::identityOf(const Text& path)
{
    const std::string native = platform::nativePath(path);
    return readIdentity([&native](const char* name, char* value, std::size_t size) {
        return ::getxattr(native.c_str(), name, value, size);
    });
}

bool PartialFile::fail()
{
    m_error = errno;
    return false;
}

Text PartialFile::replacementPath() const
{
    return m_path + ".new";
}

}  // namespace quorvo::download
