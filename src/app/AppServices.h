#pragma once

// What both front ends run on, built in one place: config.ini, the live
// settings read from it (with the naming of song files), the service, the
// song fetcher with its retries and the download queue. The window and quorvo-cli each make one and
// hand its parts to whoever needs them; it outlives everything that uses it.

#include "app/LiveSettings.h"
#include "download/DownloadQueue.h"
#include "download/QueueStore.h"
#include "download/RetryingFetcher.h"
#include "download/ServiceSongFetcher.h"
#include "platform/ConfigStore.h"
#include "service/Search.h"

#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace quorvo::app {

// Passes the queue's events on to whoever listens now (any thread).
class QueueRelay final : public download::QueueListener {
public:
    // User-interface thread; null: events are dropped. Once it returns, the
    // previous listener hears nothing more.
    void connect(download::QueueListener* listener);
    void onQueueEvent(const download::QueueEvent& event) override;

private:
    std::mutex m_mutex;
    download::QueueListener* m_listener = nullptr;
};

// Where the download list is kept: queue.db in the state directory (beside
// the executable when run from the build tree).
Text queueStoreFile();

struct AppServicesOptions {
    download::TransferSettings transfer;
    // The pause before the first retry of a failed transfer; later ones double it.
    std::chrono::milliseconds firstRetryPause {1000};
    // What quorvo-cli says about retries and damaged files.
    download::FetchNotices retryNotices;
    // Where the download list is kept between runs (queueStoreFile()); empty:
    // the list lives and dies with this process. Its rows are restored at
    // construction, or, when `restoreQueueLater` is set (the window: once its
    // first frame is on the screen), read by startRestoringQueue() and taken
    // with restoreQueue().
    Text queueStore;
    bool restoreQueueLater = false;
};

class AppServices {
public:
    AppServices(platform::ConfigStore config, service::ServiceEndpoints service, AppServicesOptions options = {});
    // Stops the worker (with abort) before the parts it uses go.
    ~AppServices();
    AppServices(const AppServices&) = delete;
    AppServices& operator=(const AppServices&) = delete;

    [[nodiscard]] const platform::ConfigStore& config() const { return m_config; }
    [[nodiscard]] const service::ServiceEndpoints& service() const { return m_service; }
    [[nodiscard]] LiveSettings& settings() { return m_settings; }
    [[nodiscard]] const LiveSettings& settings() const { return m_settings; }
    [[nodiscard]] download::DownloadQueue& queue() { return *m_queue; }
    // Starts reading the kept download list on a thread of its own (once):
    // that thread puts the rows into the queue's list, unheard by the list's
    // listener, before any other row (see restoreQueue()).
    void startRestoringQueue();
    // restoreQueue() returns at once: the kept download list is read and its
    // rows are in the queue's list, or there is none to read.
    [[nodiscard]] bool queueRead() const;
    // Waits until the kept download list is in the queue's list (starting to
    // read it when that has not begun). The first time, when rows came in
    // from the store: those rows as the list holds them, for whoever shows
    // the list (its listener heard none of them); nothing otherwise. Call it
    // before the user can add to the list, so that the kept rows and their
    // numbers come first.
    std::optional<std::vector<download::DownloadTask>> restoreQueue();
    // What went wrong with the kept download list at start (one line, for the
    // user); empty when it opened as it was left.
    [[nodiscard]] const std::string& queueNotice() const { return m_queueNotice; }
    // Another process keeps the list: this one neither restored nor keeps it.
    [[nodiscard]] bool queueKeptElsewhere() const { return m_queueKeptElsewhere; }
    // Who hears the queue's events (the download page, quorvo-cli's mailbox); null: nobody.
    void listenToQueue(download::QueueListener* listener) { m_relay.connect(listener); }

    // A search as the window runs it: the live `bypass`, the naming of the
    // moment, and the download list as the queued names.
    [[nodiscard]] service::SearchFilter searchFilter() const;

private:
    platform::ConfigStore m_config;
    service::ServiceEndpoints m_service;
    LiveSettings m_settings;
    QueueRelay m_relay;
    download::ServiceSongFetcher m_serviceFetcher;
    // Retries as many times as the live settings say.
    download::RetryingFetcher m_fetcher;
    // The kept list still to read (empty once its reading began, or without one).
    Text m_queueFile;
    // Declared before the queue: the list writes to it until the queue goes.
    std::future<download::QueueStore::Opened> m_opening;
    std::unique_ptr<download::QueueStore> m_store;
    std::string m_queueNotice;
    bool m_queueKeptElsewhere = false;
    std::unique_ptr<download::DownloadQueue> m_queue;
};

}  // namespace quorvo::app
