#include "service/ServiceHost.h"

#include "service/UrlEncoding.h"

#include <cstdlib>

namespace quorvo {

Text resolveServiceHost(const std::optional<Text>& option)
{
    if (option && !text::trim(option->view()).empty())
        return text::trim(option->view());
    if (const char* fromEnvironment = std::getenv("QUORVO_API_HOST")) {
        const Text host = text::trim(fromEnvironment);
        if (!host.empty())
            return host;
    }
    return Text(kDefaultServiceHost);
}

Text ServiceEndpoints::baseAddress() const
{
    return "http://" + m_host;
}

Text ServiceEndpoints::searchUrl(const Text& query) const
{
    // The query is percent-encoded: typed as is, an "&" or "#" would end the
    // query parameter early and a blank would make the URL invalid.
    return baseAddress() + "/v1/restserver/vesk?method=Quorvo.vesk.search.common&query="
        + percentEncode(query.view()) + "&page_size=60&page_no=1&format=xml";
}

Text ServiceEndpoints::linkUrl(const Text& songId) const
{
    // Ids are plain digits in practice; encoding keeps an odd one from
    // adding parameters of its own.
    return baseAddress() + "/app/link/getLinks.php?songId=" + percentEncode(songId.view())
        + "&linkType=1&isLogin=1&clientVer=8.0.0.5&isHq=0&isCloud=0&hasMV=1";
}

}  // namespace quorvo
