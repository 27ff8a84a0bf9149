#include "service/Lyrics.h"

#include "net/HttpClient.h"
#include "platform/Files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace quorvo::service {

namespace {

// A lyric file is a few kilobytes; far beyond this a reply is not one.
constexpr int64_t lyricLimit = 4LL * 1024 * 1024;

// A song without `lrclink` has the bare service address for a lyric link.
bool isNoLink(const Text& lyricUrl)
{
    return text::trim(lyricUrl.view()).empty() || net::HttpClient::pathOf(lyricUrl) == "/";
}

// platform::writeFile writes through NAME.XXXXXX and renames; a process killed in
// between leaves that temporary. Such leftovers of this very file go.
void removeStaleTemporaries(const Text& lyricPath)
{
    const std::filesystem::path target(platform::nativePath(lyricPath));
    const std::string prefix = target.filename().string() + ".";
    std::error_code error;
    std::filesystem::directory_iterator entries(target.parent_path().empty() ? "." : target.parent_path(), error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        const bool temporary = name.size() == prefix.size() + 6 && name.starts_with(prefix)
            && std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                           [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
        if (temporary && entries->is_regular_file(error)) {
            std::error_code ignored;
            std::filesystem::remove(entries->path(), ignored);
        }
    }
}

}  // namespace

bool fetchLyrics(const Text& lyricUrl, const Text& lyricPath, const std::function<bool()>& abort)
{
    removeStaleTemporaries(lyricPath);
    bool fetched = false;
    Bytes body;
    if (!isNoLink(lyricUrl)) {
        // No user agent of its own: the request goes out with the default one.
        net::HttpOptions options;
        options.bodyLimit = lyricLimit;
        // A gzip or deflate reply is stored decoded, never as the encoded bytes.
        options.decodeContent = true;
        options.abort = abort;
        net::HttpResponse response = net::HttpClient::request(lyricUrl, options);
        // An error page is not a lyric file: it is treated like a failed request.
        fetched = response.ok();
        body = std::move(response.body);
    }
    if (!fetched) {
        // A lyric file of an earlier run stays as it was; otherwise the song
        // gets an empty one, as it always has.
        if (platform::exists(lyricPath))
            return true;
        body.clear();
    }
    // Every byte: a UTF-16 lyric file holds NULs.
    return platform::writeFile(lyricPath, body);
}

}  // namespace quorvo::service
