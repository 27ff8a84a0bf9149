#include "app/AppServices.h"

namespace quorvo::app {

void QueueRelay::connect(download::QueueListener* listener)
{
    const std::lock_guard lock(m_mutex);
    m_listener = listener;
}

void QueueRelay::onQueueEvent(const download::QueueEvent& event)
{
    // Held while the listener runs, so that connect() never returns during a call to the old one.
    const std::lock_guard lock(m_mutex);
    if (m_listener)
        m_listener->onQueueEvent(event);
}

AppServices::AppServices(platform::ConfigStore config, service::ServiceEndpoints service, AppServicesOptions options)
    : m_config(std::move(config))
    , m_service(std::move(service))
    , m_settings(readSettings(m_config), m_config)
    , m_serviceFetcher(m_service, options.transfer)
    , m_fetcher(
          m_serviceFetcher, [settings = &m_settings] { return settings->retries(); }, options.firstRetryPause,
          std::move(options.retryNotices))
{
    m_queue = std::make_unique<download::DownloadQueue>(m_fetcher, m_settings, &m_relay);
}

AppServices::~AppServices()
{
    m_queue.reset();
}

service::SearchFilter AppServices::searchFilter() const
{
    service::SearchFilter filter;
    filter.bypass = m_settings.bypass();
    filter.naming = m_settings.naming();
    filter.isQueued = [list = &m_queue->list()](const Text& name) { return list->containsName(name); };
    return filter;
}

}  // namespace quorvo::app
