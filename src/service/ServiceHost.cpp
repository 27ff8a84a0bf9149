#include "service/ServiceHost.h"

#include "service/UrlEncoding.h"

#include <cstdlib>

namespace quorvo::service {

namespace {

// "host[:port]"; a pasted "http://host:port/" is taken for what it means.
Text cleanHost(std::string_view given)
{
    Text host = text::trim(given);
    if (text::startsWith(host.view(), "http://", CaseSensitivity::Insensitive))
        host = text::mid(host.view(), 8, static_cast<int64_t>(host.size()));
    while (text::endsWith(host.view(), "/"))
        host = text::left(host.view(), static_cast<int64_t>(host.size()) - 1);
    return host;
}

}  // namespace

Text resolveServiceHost(const std::optional<Text>& option)
{
    if (option) {
        const Text host = cleanHost(option->view());
        if (!host.empty())
            return host;
    }
    if (const char* fromEnvironment = std::getenv("QUORVO_API_HOST")) {
        const Text host = cleanHost(fromEnvironment);
        if (!host.empty())
            return host;
    }
    return Text(defaultServiceHost);
}

Text ServiceEndpoints::baseAddress() const
{
    return "http://" + m_host;
}

Text ServiceEndpoints::searchUrl(const Text& query) const
{
    // The query is percent-encoded: typed as is, an "&" or "#" would end the
    // query parameter early and a blank would make the URL invalid.
    return baseAddress() + "/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=" + percentEncode(query.view())
        + "&page_size=60&page_no=1&format=xml";
}

Text ServiceEndpoints::linkUrl(const Text& songId) const
{
    // Ids are plain digits in practice; encoding keeps an odd one from
    // adding parameters of its own.
    return baseAddress() + "/app/link/getLinks.php?songId=" + percentEncode(songId.view())
        + "&linkType=1&isLogin=1&clientVer=8.0.0.5&isHq=0&isCloud=0&hasMV=1";
}

}  // namespace quorvo::service
