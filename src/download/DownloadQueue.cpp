#include "download/DownloadQueue.h"

#include "download/ProgressReporter.h"
#include "download/SongTagging.h"
#include "service/FileNames.h"
#include "service/SongNaming.h"

#include <cmath>

namespace quorvo::download {

namespace {

// The link's size as a byte count: 0 (unknown) for what no file can be.
int64_t wholeBytes(double size)
{
    constexpr double largest = 9007199254740992.0;  // 2^53: every integer below is exact
    if (!std::isfinite(size) || size < 1 || size > largest)
        return 0;
    return static_cast<int64_t>(size);
}

}  // namespace

DownloadQueue::DownloadQueue(SongFetcher& fetcher, const DownloadSettings& settings, QueueListener* listener)
    : m_fetcher(fetcher)
    , m_settings(settings)
    , m_listener(listener)
    , m_list(listener)
    , m_limiter([&settings] { return settings.speedLimit(); })
{ }

DownloadQueue::~DownloadQueue()
{
    stopWorker(true);
}

AddOutcome DownloadQueue::addTickedSongs(std::span<const service::SongRecord> ticked)
{
    AddOutcome outcome;
    // The scheme of this moment names every song of this add.
    const service::SongNaming naming = m_settings.naming();
    for (const service::SongRecord& song : ticked) {
        ++outcome.ticked;
        const Text name = naming.nameOf(song);
        if (m_list.containsName(name)) {
            ++outcome.duplicates;
            outcome.added.push_back(false);
            continue;
        }
        DownloadTask task;
        task.name = name;
        task.quality = song.quality;
        task.songId = song.songId;
        task.lyricUrl = song.lyricUrl;
        task.title = song.title;
        task.artist = song.artist;
        task.album = song.album;
        task.paths = naming.pathsOf(name, song.quality);
        m_list.append(std::move(task));
        outcome.added.push_back(true);
    }
    outcome.message = composeAddMessage(outcome.ticked, outcome.duplicates);
    startWorker();
    return outcome;
}

bool DownloadQueue::startWorker()
{
    std::thread finished;
    {
        const std::lock_guard lock(m_mutex);
        if (m_running)
            return false;
        // Not running but still joinable: a worker that ended on its own.
        finished = std::move(m_worker);
    }
    if (finished.joinable())
        finished.join();

    const std::lock_guard lock(m_mutex);
    if (m_running)
        return false;
    m_running = true;
    m_workerActive = true;
    m_stopRequested.store(false, std::memory_order_release);
    m_abortFlag.clear();
    emit(WorkerStateChanged {true});
    m_worker = std::thread([this] { runWorker(); });
    return true;
}

void DownloadQueue::stopWorker(bool abort)
{
    const std::lock_guard oneStopper(m_stopMutex);
    std::thread worker;
    {
        std::unique_lock lock(m_mutex);
        m_stopperActive = true;
        if (m_worker.joinable()) {
            m_stopRequested.store(true, std::memory_order_release);
            if (abort && m_workerActive) {
                m_abortFlag.raise();
                // The transfer clears the flag as its acknowledgement; a worker
                // that ends without transferring never will, so its end counts too.
                while (m_workerActive && m_abortFlag.isRaised())
                    m_changed.wait_for(lock, std::chrono::milliseconds(10));
            }
            worker = std::move(m_worker);
        }
    }
    // After the acknowledgement the worker only writes the row's status and ends.
    if (worker.joinable())
        worker.join();

    const std::lock_guard lock(m_mutex);
    // A flag raised for a worker that ended first is answered by nobody.
    m_abortFlag.clear();
    m_stopRequested.store(false, std::memory_order_release);
    m_stopperActive = false;
    becomeIdle();
}

void DownloadQueue::requestPause()
{
    const std::lock_guard lock(m_mutex);
    if (!m_workerActive)
        return;
    // The worker ends after the step under way and returns the queue to idle
    // itself (workerEnded); its thread is joined by the next start or stop.
    m_stopRequested.store(true, std::memory_order_release);
    m_abortFlag.raise();
}

bool DownloadQueue::isRunning() const
{
    const std::lock_guard lock(m_mutex);
    return m_running;
}

bool DownloadQueue::waitUntilIdle(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return !m_running; });
}

void DownloadQueue::runWorker()
{
    while (!stopRequested()) {
        const std::optional<DownloadTask> row = m_list.firstPending();
        if (!row)
            break;
        // A song that did not finish ends the worker; its partial file stays.
        if (!workSong(*row))
            break;
    }
    workerEnded();
}

bool DownloadQueue::workSong(const DownloadTask& taken)
{
    // The row's files go into the save directory of this moment, under the
    // name it was added with: a folder chosen since then receives them.
    DownloadTask row = taken;
    row.paths = m_settings.naming().pathsOf(row.name, row.quality);
    if (row.paths != taken.paths)
        m_list.setPaths(row.id, row.paths);
    // Starting again forgets why the row stopped last time.
    m_list.setStatus(row.id, Text(status::starting));

    // An artist's and album's folders; if they cannot be made, the transfer says why.
    createSongFolders(row);
    if (m_settings.fetchLyrics())
        m_fetcher.fetchLyrics(row.lyricUrl, row.paths.lyric, m_abortFlag);
    std::optional<SongTags> tags = tagsToWrite(row, m_settings, m_fetcher, m_abortFlag);
    if (stopRequested()) {
        m_list.setStatus(row.id, Text(status::stopped));
        return false;
    }

    const std::optional<service::ResolvedLink> link = m_fetcher.resolveLink(row.songId, m_abortFlag);
    // A link request cut short by the stop is no verdict on the song.
    if (stopRequested()) {
        m_list.setStatus(row.id, Text(status::stopped));
        return false;
    }
    if (!link) {
        m_list.setStatus(row.id, Text(status::failed), FailureReason {FailureKind::NoLink});
        m_list.markFailed(row.id);
        return true;
    }
    m_list.setCell(row.id, DownloadColumn::Size, service::sizeText(link->size));

    ProgressReporter reporter;
    const ProgressCallback progress = [&](int64_t done, int64_t total) {
        const ProgressTexts texts = reporter.report(done, total);
        m_list.setCell(row.id, DownloadColumn::Status, texts.percent);
        const std::lock_guard lock(m_mutex);
        emit(SpeedChanged {texts.speed});
    };
    const TransferIdentity identity {row.songId, wholeBytes(link->size), std::move(tags)};
    TransferReply reply;
    const TransferResult result
        = m_fetcher.transfer(link->url, row.paths, progress, m_limiter, m_abortFlag, identity, &reply);
    if (result == TransferResult::Corrupt) {
        // The server's own file is broken: fetching it again would give the same.
        m_list.setStatus(row.id, Text(status::failed), FailureReason {FailureKind::DamagedFile});
        m_list.markFailed(row.id);
        return true;
    }
    if (result != TransferResult::Completed) {
        FailureReason failure = reply.failure;
        // A reply without a file address leaves nothing to transfer.
        if (result == TransferResult::Failed && text::trim(link->url.view()).empty())
            failure = FailureReason {FailureKind::NoLink};
        m_list.setStatus(row.id, Text(status::stopped), result == TransferResult::Aborted ? FailureReason {} : failure);
        return false;
    }
    // The song is there either way; tags that could not be written are said.
    m_list.setStatus(row.id, Text(status::completed),
                     reply.tagError.empty() ? FailureReason {} : FailureReason {FailureKind::TagsNotWritten});
    if (const CompletionSound sound = m_settings.completionSound(); sound != CompletionSound::None) {
        const std::lock_guard lock(m_mutex);
        emit(SoundRequested {sound});
    }
    return true;
}

void DownloadQueue::workerEnded()
{
    const std::lock_guard lock(m_mutex);
    m_workerActive = false;
    // A flag raised for a step that ended first is answered by nobody: the
    // next transfer must not trip over it.
    m_abortFlag.clear();
    // A stopper that is waiting takes the queue back to idle itself.
    if (!m_stopperActive)
        becomeIdle();
    m_changed.notify_all();
}

void DownloadQueue::becomeIdle()
{
    m_running = false;
    emit(WorkerStateChanged {false});
    emit(SpeedChanged {Text()});
    m_changed.notify_all();
}

void DownloadQueue::emit(const QueueEvent& event)
{
    if (m_listener)
        m_listener->onQueueEvent(event);
}

}  // namespace quorvo::download
