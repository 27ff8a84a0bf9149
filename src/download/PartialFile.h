#pragma once

// The partial (".tmp") file a transfer writes into. Every write is checked,
// so a full disk or a lost permission fails the transfer instead of passing
// for success.

#include "runtime/Text.h"
#include "runtime/UniqueFd.h"

#include <string_view>

namespace quorvo::download {

class PartialFile {
public:
    // Opens (creating it when missing) for appending, or emptied when `restart`.
    bool open(const Text& path, bool restart);
    bool write(std::string_view bytes);
    // Flushes to the kernel and closes; false when an earlier write or the
    // close itself failed. Closing a file that is not open is a success.
    bool close();
    [[nodiscard]] bool isOpen() const { return m_fd.valid(); }

private:
    UniqueFd m_fd;
};

}  // namespace quorvo::download
