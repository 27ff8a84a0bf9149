#include "service/Lyrics.h"

#include "net/HttpClient.h"
#include "platform/Files.h"

namespace quorvo::service {

namespace {

// A lyric file is a few kilobytes; far beyond this a reply is not one.
constexpr int64_t lyricLimit = 4LL * 1024 * 1024;

// A song without `lrclink` has the bare service address for a lyric link.
bool isNoLink(const Text& lyricUrl)
{
    return text::trim(lyricUrl.view()).empty() || net::HttpClient::pathOf(lyricUrl) == "/";
}

}  // namespace

std::optional<Bytes> downloadLyrics(const Text& lyricUrl, const std::function<bool()>& abort)
{
    if (isNoLink(lyricUrl))
        return std::nullopt;
    // No user agent of its own: the request goes out with the default one.
    net::HttpOptions options;
    options.bodyLimit = lyricLimit;
    // A gzip or deflate reply is stored decoded, never as the encoded bytes.
    options.decodeContent = true;
    options.abort = abort;
    net::HttpResponse response = net::HttpClient::request(lyricUrl, options);
    // An error page is not a lyric file: it is treated like a failed request.
    if (!response.ok())
        return std::nullopt;
    return std::move(response.body);
}

bool fetchLyrics(const Text& lyricUrl, const Text& lyricPath, const std::function<bool()>& abort)
{
    // A process killed between writing and renaming leaves writeFile's
    // temporary; only such leftovers of this file go, never a file of the user.
    platform::removeWriteLeftovers(lyricPath);
    std::optional<Bytes> body = downloadLyrics(lyricUrl, abort);
    if (!body) {
        // A lyric file of an earlier run stays as it was; otherwise the song
        // gets an empty one, as it always has.
        if (platform::exists(lyricPath))
            return true;
        body.emplace();
    }
    // Every byte: a UTF-16 lyric file holds NULs.
    return platform::writeFile(lyricPath, *body);
}

}  // namespace quorvo::service
