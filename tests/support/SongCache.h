#pragma once

// Where a running quorvo-server keeps a generated song file, so that tests can
// compare a download with the server's own bytes even for songs whose every
// reply is faulty (a drop, a redirect). Separate from ReferenceServer.h, which
// belongs to the server's harness.

#include "ReferenceServer.h"

#include <filesystem>
#include <string>

namespace quorvo::test {

// The cache file of song `id` (ID-FINGERPRINT.EXT in the server's data
// directory), generating it first through the link endpoint when needed.
// Empty when there is none.
std::filesystem::path cachedSongFile(const ReferenceServer& server, const std::string& id,
                                     const std::string& extension);

}  // namespace quorvo::test
