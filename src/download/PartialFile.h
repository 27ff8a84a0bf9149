#pragma once

// The partial (".tmp") file a transfer writes into. Every write is checked,
// so a full disk or a lost permission fails the transfer instead of passing
// for success. The file carries the identity of the song it belongs to in
// extended attributes (user.quorvo.*), which stay invisible and travel with
// the file.
//
// One writer at a time: the file is held under an exclusive lock (flock) from
// open to close, so a second transfer of the same song, in this process or
// another, finds it busy and leaves it alone. Starting the song over never
// shrinks what is there: the new bytes go into a replacement beside it, which
// takes the partial file's place only once it holds as much (or the whole
// song).

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

enum class PartialOpen {
    Opened,
    Busy,    // another transfer holds the lock
    Failed,  // see error()
};

class PartialFile {
public:
    PartialFile() = default;
    // Closes as close() does.
    ~PartialFile();
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    // Opens `path` for appending (creating it when missing) and takes the lock.
    PartialOpen open(const Text& path);
    [[nodiscard]] bool isOpen() const { return m_fd.valid(); }
    // The partial file's length (not a replacement's still under way).
    [[nodiscard]] int64_t size() const;
    [[nodiscard]] StoredIdentity identity() const;
    // Empties the partial file and forgets its identity: it is not this song.
    bool discard();

    // From now on write() starts the song again from byte 0 in a replacement
    // file; the partial file stays as it is until the replacement is at least
    // as long, or settle() is called with the whole song.
    bool beginReplacement();
    [[nodiscard]] bool replacing() const { return m_replacement.valid(); }
    // The file that write() appends to: the partial file or its replacement.
    [[nodiscard]] Text writingPath() const;

    bool write(std::string_view bytes);
    // Stores the identity with the file being written; false when the file
    // system refuses (the transfer goes on, its head proved another way).
    bool setIdentity(const PartialIdentity& identity);
    // A replacement under way takes the partial file's place now.
    bool settle();
    // Renames the (settled) partial file to `target`, replacing it; the lock
    // is kept until close().
    bool moveTo(const Text& target);
    // Releases the lock and closes; false when a write or the close failed. A
    // replacement that never took the partial file's place is deleted, and so
    // is a partial file this object created and left empty.
    bool close();

    // The errno of the last failed operation (0: none).
    [[nodiscard]] int error() const { return m_error; }

    // The identity stored with the file at `path`, read without opening it for writing.
    static StoredIdentity identityOf(const Text& path);

private:
    bool fail();
    Text replacementPath() const;

    Text m_path;
    UniqueFd m_fd;
    UniqueFd m_replacement;
    int64_t m_replacementSize = 0;
    bool m_created = false;
    bool m_moved = false;
    bool m_writeFailed = false;
    int m_error = 0;
};

}  // namespace quorvo::download
