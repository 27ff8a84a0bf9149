#include "download/PartialFile.h"

#include "platform/Files.h"

#include <fcntl.h>

namespace quorvo::download {

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

bool PartialFile::close()
{
    return m_fd.close();
}

}  // namespace quorvo::download
