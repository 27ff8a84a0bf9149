#include "SongCache.h"

namespace quorvo::test {

namespace {

std::filesystem::path findCached(const std::filesystem::path& directory, const std::string& id,
                                 const std::string& extension)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name.starts_with(id + "-") && name.ends_with("." + extension))
            return entry.path();
    }
    return {};
}

}  // namespace

std::filesystem::path cachedSongFile(const ReferenceServer& server, const std::string& id, const std::string& extension)
{
    std::filesystem::path cached = findCached(server.dataDir(), id, extension);
    if (cached.empty()) {
        // The link reply carries the exact size, so asking for it generates the file.
        (void)server.get("/app/link/getLinks.php?songId=" + id);
        cached = findCached(server.dataDir(), id, extension);
    }
    return cached;
}

}  // namespace quorvo::test
