#pragma once

// Where the music service lives. The host (with an optional ":port") comes
// from a --service option, else from QUORVO_API_HOST, else it is the bundled
// reference service on loopback. Search, link and lyric requests all go to it.

#include "runtime/Text.h"

#include <optional>
#include <string_view>

namespace quorvo::service {

// The reference service's default address (quorvo-server without --port).
inline constexpr std::string_view defaultServiceHost = "127.0.0.1:8080";

// `option` (when given and not blank) wins over the environment. A leading
// "http://" and trailing "/" are dropped.
Text resolveServiceHost(const std::optional<Text>& option = std::nullopt);

class ServiceEndpoints {
public:
    explicit ServiceEndpoints(Text host)
        : m_host(std::move(host))
    { }

    [[nodiscard]] const Text& host() const { return m_host; }
    // "http://" + host: the base of lyric links.
    [[nodiscard]] Text baseAddress() const;
    // The search method's URL for one query (program text, sent as GBK bytes).
    [[nodiscard]] Text searchUrl(const Text& query) const;
    // The link endpoint's URL for one song.
    [[nodiscard]] Text linkUrl(const Text& songId) const;

private:
    Text m_host;
};

}  // namespace quorvo::service
