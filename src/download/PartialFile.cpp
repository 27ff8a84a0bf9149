#include "download/PartialFile.h"

#include "platform/Files.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quorvo {

PartialFile::~PartialFile()
{
    close();
}

bool PartialFile::open(const Text& path, bool restart)
{
    close();
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (restart ? O_TRUNC : O_APPEND);
    m_fd = ::open(files::nativePath(path).c_str(), flags, 0644);
    return m_fd >= 0;
}

bool PartialFile::write(std::string_view bytes)
{
    if (m_fd < 0)
        return false;
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool PartialFile::close()
{
    if (m_fd < 0)
        return true;
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
}

}  // namespace quorvo
