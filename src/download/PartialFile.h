#pragma once

// The partial (".tmp") file a transfer writes into. Every write is checked,
// so a full disk or a lost permission fails the transfer instead of passing
// for success. The file carries the identity of the song it belongs to in
// extended attributes (user.quorvo.*), which stay invisible and travel with
// the file.

#include "runtime/Text.h"
#include "runtime/UniqueFd.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorvo::download {

struct PartialIdentity {
    Text songId;
    int64_t size = 0;  // the whole song's size as the reply promised it
    Text entityTag;    // the reply's ETag, when it sent one
    Text lastModified;
};

struct StoredIdentity {
    bool supported = true;  // false: the file system refuses extended attributes
    std::optional<PartialIdentity> identity;
};

class PartialFile {
public:
    // Opens (creating it when missing) for appending, or emptied when `restart`.
    bool open(const Text& path, bool restart);
    bool write(std::string_view bytes);
    // Stores the identity with the open file; false when the file system
    // refuses (the transfer goes on, checked by sizes alone).
    bool setIdentity(const PartialIdentity& identity);
    // Flushes to the kernel and closes; false when an earlier write or the
    // close itself failed. Closing a file that is not open is a success.
    bool close();
    [[nodiscard]] bool isOpen() const { return m_fd.valid(); }

    static StoredIdentity identityOf(const Text& path);

private:
    UniqueFd m_fd;
};

}  // namespace quorvo::download
