#include "app/AppServices.h"

#include "platform/Files.h"
#include "platform/RunDirectory.h"

namespace quorvo::app {

Text queueStoreFile()
{
    return platform::stateDirectory() + "/queue.db";
}

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
    if (options.queueStore.empty())
        return;
    // The file is read while the window is built (on another core when there is one).
    m_opening = std::async(std::launch::async, [file = platform::nativePath(options.queueStore)] {
        download::QueueStore::Opened opened = download::QueueStore::open(file);
        download::settleForRestart(opened.rows);
        return opened;
    });
    if (!options.restoreQueueLater)
        restoreQueue();
}

bool AppServices::restoreQueue()
{
    if (!m_opening.valid())
        return false;
    download::QueueStore::Opened opened = m_opening.get();
    m_queueNotice = std::move(opened.notice);
    m_queueKeptElsewhere = opened.busy;
    if (m_queueKeptElsewhere)
        return false;
    // Before any view listens or any worker runs: nothing starts by itself.
    m_queue->list().restore(std::move(opened.rows));
    m_store = std::move(opened.store);
    if (m_store)
        m_queue->list().setJournal(m_store.get());
    return true;
}

AppServices::~AppServices()
{
    if (m_opening.valid())
        m_opening.wait();
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
