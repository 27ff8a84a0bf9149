#include "download/PartialFile.h"

#include "platform/Files.h"
#include "runtime/Numbers.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/xattr.h>

namespace quorvo::download {
namespace {

constexpr const char* songAttribute = "user.quorvo.song";
constexpr const char* sizeAttribute = "user.quorvo.size";
constexpr const char* entityTagAttribute = "user.quorvo.etag";
constexpr const char* lastModifiedAttribute = "user.quorvo.modified";
// Our own values are short; anything longer is not ours.
constexpr std::size_t largestValue = 1024;

bool refused(int error)
{
    return error == ENOTSUP || error == EOPNOTSUPP;
}

// nullopt with `absent` set when the attribute is not there.
std::optional<Text> readAttribute(const std::string& path, const char* name, bool& unsupported)
{
    char value[largestValue];
    const ssize_t length = ::getxattr(path.c_str(), name, value, sizeof value);
    if (length < 0) {
        if (refused(errno))
            unsupported = true;
        return std::nullopt;
    }
    return Text(std::string(value, static_cast<std::size_t>(length)));
}

}  // namespace

bool PartialFile::open(const Text& path, bool restart)
{
    close();
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (restart ? O_TRUNC : O_APPEND);
    m_fd.reset(::open(platform::nativePath(path).c_str(), flags, 0644));
    return m_fd.valid();
}

bool PartialFile::write(std::string_view bytes)
{
    return m_fd.valid() && writeAll(m_fd.get(), bytes);
}

bool PartialFile::setIdentity(const PartialIdentity& identity)
{
    if (!m_fd.valid())
        return false;
    const auto set = [this](const char* name, const Text& value) {
        if (value.empty())
            return ::fremovexattr(m_fd.get(), name) == 0 || errno == ENODATA;
        return ::fsetxattr(m_fd.get(), name, value.c_str(), value.size(), 0) == 0;
    };
    return set(songAttribute, identity.songId) && set(sizeAttribute, numbers::fromInteger(identity.size))
        && set(entityTagAttribute, identity.entityTag) && set(lastModifiedAttribute, identity.lastModified);
}

bool PartialFile::close()
{
    return m_fd.close();
}

StoredIdentity PartialFile::identityOf(const Text& path)
{
    StoredIdentity stored;
    const std::string native = platform::nativePath(path);
    bool unsupported = false;
    const std::optional<Text> songId = readAttribute(native, songAttribute, unsupported);
    if (unsupported) {
        stored.supported = false;
        return stored;
    }
    if (!songId)
        return stored;
    PartialIdentity identity;
    identity.songId = *songId;
    identity.size = numbers::toInteger(readAttribute(native, sizeAttribute, unsupported).value_or(Text()).view());
    identity.entityTag = readAttribute(native, entityTagAttribute, unsupported).value_or(Text());
    identity.lastModified = readAttribute(native, lastModifiedAttribute, unsupported).value_or(Text());
    stored.identity = identity;
    return stored;
}

}  // namespace quorvo::download
