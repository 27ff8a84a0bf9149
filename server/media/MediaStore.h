#pragma once

// Song files, generated on first request into the data directory and served
// from there afterwards. Generation is deterministic: the same catalogue entry
// always gives the same bytes.

#include "service/Catalogue.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace quorvo::server {

class MediaStore {
public:
    struct MediaFile {
        std::filesystem::path path;
        std::uint64_t size = 0;
    };

    explicit MediaStore(std::filesystem::path dataDirectory);

    // The song's file, generating it first when it is not cached. On failure
    // `error` says why.
    std::optional<MediaFile> ensure(const Song& song, std::string& error);

    // The cache name of a song's file: changes whenever anything that shapes
    // the file does.
    static std::string fileName(const Song& song);

private:
    std::shared_ptr<std::mutex> lockFor(const std::string& id);

    std::filesystem::path m_directory;
    std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<std::mutex>> m_songLocks;
};

// Encodes a song's audio into `path` (overwriting it).
std::optional<std::string> generateSongFile(const Song& song, const std::filesystem::path& path);

}  // namespace quorvo::server
