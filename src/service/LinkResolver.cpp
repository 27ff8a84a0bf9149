#include "service/LinkResolver.h"

#include "data/JsonObject.h"
#include "net/HttpClient.h"
#include "service/Search.h"

#include <cmath>

namespace quorvo::service {

namespace {

// A file size that is a number of bytes a song can have; anything else (not
// finite, negative, beyond any file) reads as unknown.
double plausibleSize(double size)
{
    if (!std::isfinite(size) || size < 0 || size > maxLinkSize)
        return 0;
    return std::trunc(size);
}

}  // namespace

std::optional<ResolvedLink> resolveLink(const ServiceEndpoints& service, const Text& songId,
                                        const std::function<bool()>& abort)
{
    net::HttpOptions options;
    options.userAgent = Text(serviceUserAgent);
    // A link reply is a few hundred bytes; parsed, a huge one would take
    // some twenty times its size in memory.
    options.bodyLimit = 1024 * 1024;
    options.abort = abort;
    const net::HttpResponse response = net::HttpClient::request(service.linkUrl(songId), options);
    // An error page is no link, even when it is JSON.
    if (!response.ok())
        return std::nullopt;
    return readLinkReply(Text::fromBytes(response.body));
}

std::optional<ResolvedLink> readLinkReply(const Text& body)
{
    data::JsonObject reply;
    if (!reply.parse(body))
        return std::nullopt;
    // Element 0 of the top level, then element 0 of its file_list. A step
    // that is missing leaves nothing to parse, and the members read as empty.
    data::JsonObject song;
    song.parse(reply.getItem(0, "", true));
    data::JsonObject file;
    file.parse(song.getItem(0, "file_list", true));
    return ResolvedLink {file.getText("url"), plausibleSize(file.getNumber("size"))};
}

}  // namespace quorvo::service
