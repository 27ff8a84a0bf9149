#include "service/Lyrics.h"

#include "net/HttpClient.h"
#include "platform/Files.h"
#include "runtime/Numbers.h"

namespace quorvo::service {

namespace {

// The status of the last reply in a raw header block (after redirects the
// block may hold several); 0 when there is none to read.
int64_t lastStatus(const Text& responseHeaders)
{
    const int64_t at = text::findLast(responseHeaders.view(), "HTTP/");
    if (at < 0)
        return 0;
    const std::string_view line = responseHeaders.view().substr(static_cast<std::size_t>(at - 1));
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos)
        return 0;
    return numbers::toInteger(line.substr(blank + 1));
}

}  // namespace

bool fetchLyrics(const Text& lyricUrl, const Text& lyricPath)
{
    // No user agent of its own: the request goes out with the default one.
    net::HttpExchange exchange;
    Bytes body = net::HttpClient::request(lyricUrl, {}, &exchange);
    // An error page (a song without lyrics asks the bare service address) is
    // not a lyric file: it is treated like a failed request.
    const int64_t status = lastStatus(exchange.responseHeaders);
    if (status != 0 && (status < 200 || status > 299))
        body.clear();
    const Text lyrics = Text::fromBytes(body);
    return platform::writeFile(lyricPath, lyrics.view());
}

}  // namespace quorvo::service
