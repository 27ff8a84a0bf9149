#pragma once

// Routes requests to the service's endpoints: search, link, lyric files, song
// files, the echo endpoint and the request log.

#include "http/HttpMessage.h"
#include "http/RequestLog.h"
#include "media/MediaStore.h"
#include "service/Catalogue.h"
#include "service/Faults.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace quorvo::server {

struct ServiceSettings {
    FaultSettings globalFaults;  // from the command line
    FaultScope globalScope;      // which replies they touch
    std::string fallbackHost;    // "HOST:PORT" for absolute URLs when a request has no usable Host
};

class QuorvoService {
public:
    QuorvoService(const Catalogue& catalogue, MediaStore& media, RequestLog& log, ServiceSettings settings);

    Response handle(const HttpRequest& request);
    // Set once the port is known, before the first request.
    void setFallbackHost(std::string host) { m_settings.fallbackHost = std::move(host); }
    // The log's own endpoint stays out of the log.
    static bool isLogged(const HttpRequest& request);

private:
    enum class Endpoint { Search, Link, Lyrics, Files, Echo };

    Response search(const HttpRequest& request);
    Response link(const HttpRequest& request, bool redirected);
    Response lyrics(const HttpRequest& request, std::string_view path, bool redirected);
    Response songFile(const HttpRequest& request, std::string_view path, bool redirected);
    Response echo(const HttpRequest& request);

    FaultSettings faultsFor(Endpoint endpoint, const FaultSettings* songFaults) const;
    // Status and redirect faults answer instead of the endpoint; nothing when
    // neither is set.
    std::optional<Response> faultReply(const HttpRequest& request, const FaultSettings& faults, bool redirected) const;
    std::string hostFor(const HttpRequest& request) const;

    const Catalogue& m_catalogue;
    MediaStore& m_media;
    RequestLog& m_log;
    ServiceSettings m_settings;
    // Replies that met the command-line faults so far (with a count).
    mutable std::atomic<std::uint64_t> m_globalFaultReplies {0};
};

// Applies delay, throttle, cut, chunked and cookies to a normal reply.
void applyDelivery(Response& response, const FaultSettings& faults);

}  // namespace quorvo::server
