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
    , m_queueFile(std::move(options.queueStore))
{
    m_queue = std::make_unique<download::DownloadQueue>(m_fetcher, m_settings, &m_relay);
    if (!options.restoreQueueLater)
        restoreQueue();
}

void AppServices::startRestoringQueue()
{
    if (m_queueFile.empty())
        return;
    // Reading 10,000 rows takes a core for tens of milliseconds: off the
    // user-interface thread, which only shows them.
    m_opening = std::async(std::launch::async, [this, file = platform::nativePath(m_queueFile)] {
        download::QueueStore::Opened opened = download::QueueStore::open(file);
        download::settleForRestart(opened.rows);
        if (!opened.busy) {
            // Nothing starts by itself: no worker runs, and restore() leaves every row waiting for the user.
            m_queue->list().restore(std::move(opened.rows));
            if (opened.store)
                m_queue->list().setJournal(opened.store.get());
            // The copy the page shows, made here rather than on the user-interface thread.
            opened.rows = m_queue->list().rows();
        }
        return opened;
    });
    m_queueFile = Text();
}

bool AppServices::queueRead() const
{
    return m_queueFile.empty()
        && (!m_opening.valid() || m_opening.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
}

std::optional<std::vector<download::DownloadTask>> AppServices::restoreQueue()
{
    startRestoringQueue();
    if (!m_opening.valid())
        return std::nullopt;
    download::QueueStore::Opened opened = m_opening.get();
    m_queueNotice = std::move(opened.notice);
    m_queueKeptElsewhere = opened.busy;
    m_store = std::move(opened.store);
    if (m_queueKeptElsewhere)
        return std::nullopt;
    return std::move(opened.rows);
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
