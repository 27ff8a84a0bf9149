#include "service/LinkResolver.h"

#include "data/JsonObject.h"
#include "net/HttpClient.h"
#include "service/Search.h"

namespace quorvo::service {

std::optional<ResolvedLink> resolveLink(const ServiceEndpoints& service, const Text& songId)
{
    net::HttpOptions options;
    options.userAgent = Text(serviceUserAgent);
    // A link reply is a few hundred bytes; parsed, a huge one would take
    // some twenty times its size in memory.
    options.bodyLimit = 1024 * 1024;
    return readLinkReply(Text::fromBytes(net::HttpClient::request(service.linkUrl(songId), options)));
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
    return ResolvedLink {file.getText("url"), file.getNumber("size")};
}

}  // namespace quorvo::service
