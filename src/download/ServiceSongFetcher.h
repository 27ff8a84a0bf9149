#pragma once

// The worker's network steps against the music service.

#include "download/SongFetcher.h"
#include "service/ServiceHost.h"

namespace quorvo::download {

class ServiceSongFetcher final : public SongFetcher {
public:
    explicit ServiceSongFetcher(service::ServiceEndpoints service, TransferSettings settings = {})
        : m_service(std::move(service))
        , m_settings(settings)
    { }

    void fetchLyrics(const Text& lyricUrl, const Text& lyricPath, const AbortFlag& abortFlag) override;
    Bytes lyrics(const Text& lyricUrl, const AbortFlag& abortFlag) override;
    std::optional<service::ResolvedLink> resolveLink(const Text& songId, const AbortFlag& abortFlag) override;
    TransferResult transfer(const Text& url, const service::SongPaths& target, const ProgressCallback& progress,
                            SpeedLimit limit, AbortFlag& abortFlag, const TransferIdentity& identity,
                            TransferReply* reply) override;

private:
    service::ServiceEndpoints m_service;
    TransferSettings m_settings;
};

}  // namespace quorvo::download
