#include "download/DownloadQueue.h"

#include "download/ProgressReporter.h"
#include "download/SongTagging.h"
#include "service/FileNames.h"
#include "service/SongNaming.h"

#include <algorithm>
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

DownloadQueue::DownloadQueue(SongFetcher& fetcher, const DownloadSettings& settings, QueueListener* listener,
                             QueueJournal* journal)
    : m_fetcher(fetcher)
    , m_settings(settings)
    , m_listener(listener)
    , m_list(listener, journal)
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
    std::vector<std::unique_ptr<Job>> finished;
    {
        const std::lock_guard lock(m_mutex);
        if (m_running)
            return false;
        // Not running but still joinable: workers that ended on their own.
        finished = std::move(m_jobs);
    }
    for (const std::unique_ptr<Job>& job : finished) {
        if (job->thread.joinable())
            job->thread.join();
    }

    const std::size_t count = static_cast<std::size_t>(jobsFrom(m_settings.jobs()));
    const std::lock_guard lock(m_mutex);
    if (m_running)
        return false;
    m_running = true;
    m_stopRequested.store(false, std::memory_order_release);
    emit(WorkerStateChanged {true});
    m_jobs.clear();
    for (std::size_t i = 0; i < count; ++i)
        m_jobs.push_back(std::make_unique<Job>());
    m_activeJobs = count;
    for (const std::unique_ptr<Job>& job : m_jobs)
        job->thread = std::thread([this, &job = *job] { runJob(job); });
    return true;
}

void DownloadQueue::stopWorker(bool abort)
{
    const std::lock_guard oneStopper(m_stopMutex);
    std::vector<std::unique_ptr<Job>> jobs;
    {
        std::unique_lock lock(m_mutex);
        m_stopperActive = true;
        if (!m_jobs.empty()) {
            m_stopRequested.store(true, std::memory_order_release);
            if (abort && m_activeJobs > 0) {
                for (const std::unique_ptr<Job>& job : m_jobs) {
                    if (job->active)
                        job->abortFlag.raise();
                }
                // Each transfer clears its flag as its acknowledgement; a worker
                // that ends without transferring never will, so its end counts too.
                const auto unanswered = [this] {
                    return std::any_of(m_jobs.begin(), m_jobs.end(), [](const std::unique_ptr<Job>& job) {
                        return job->active && job->abortFlag.isRaised();
                    });
                };
                while (unanswered())
                    m_changed.wait_for(lock, std::chrono::milliseconds(10));
            }
            jobs = std::move(m_jobs);
        }
    }
    // After the acknowledgement a worker only writes its row's state and ends.
    for (const std::unique_ptr<Job>& job : jobs) {
        if (job->thread.joinable())
            job->thread.join();
    }

    const std::lock_guard lock(m_mutex);
    m_stopRequested.store(false, std::memory_order_release);
    m_stopperActive = false;
    becomeIdle();
}

void DownloadQueue::requestPause()
{
    const std::lock_guard lock(m_mutex);
    if (m_activeJobs == 0)
        return;
    // The workers end after the step under way and the last returns the
    // queue to idle itself (jobEnded); the threads are joined by the next
    // start or stop.
    m_stopRequested.store(true, std::memory_order_release);
    for (const std::unique_ptr<Job>& job : m_jobs) {
        if (job->active)
            job->abortFlag.raise();
    }
}

bool DownloadQueue::isRunning() const
{
    const std::lock_guard lock(m_mutex);
    return m_running;
}

bool DownloadQueue::abortRaised() const
{
    const std::lock_guard lock(m_mutex);
    return std::any_of(m_jobs.begin(), m_jobs.end(),
                       [](const std::unique_ptr<Job>& job) { return job->abortFlag.isRaised(); });
}

std::size_t DownloadQueue::jobCount() const
{
    const std::lock_guard lock(m_mutex);
    return m_jobs.size();
}

bool DownloadQueue::waitUntilIdle(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return !m_running; });
}

std::vector<DownloadTask> DownloadQueue::removeTasks(std::span<const uint64_t> taskIds)
{
    const auto named = [&](uint64_t id) { return std::find(taskIds.begin(), taskIds.end(), id) != taskIds.end(); };
    // The rows go first: from now on no worker can claim them.
    std::vector<DownloadTask> removed;
    m_list.removeRows([&](const DownloadTask& row) {
        if (!named(row.id))
            return false;
        removed.push_back(row);
        return true;
    });
    std::unique_lock lock(m_mutex);
    bool stopping = false;
    for (const std::unique_ptr<Job>& job : m_jobs) {
        if (job->active && job->taskId != 0 && named(job->taskId)) {
            job->rowRemoved = true;
            job->abortFlag.raise();
            stopping = true;
        }
    }
    // Until each has left its row, with its files closed. (A stopper that
    // takes the workers meanwhile aborts and joins them itself.)
    if (stopping) {
        m_changed.wait(lock, [&] {
            return std::none_of(m_jobs.begin(), m_jobs.end(), [&](const std::unique_ptr<Job>& job) {
                return job->active && job->taskId != 0 && named(job->taskId);
            });
        });
    }
    return removed;
}

void DownloadQueue::runJob(Job& job)
{
    while (!stopRequested()) {
        const std::optional<DownloadTask> row = m_list.claimNext();
        if (!row)
            break;
        {
            const std::lock_guard lock(m_mutex);
            job.taskId = row->id;
        }
        // A deletion that removed the row before the line above saw no worker on it.
        const bool finished = m_list.task(row->id) ? workSong(*row, job.abortFlag) : false;
        const bool gone = !m_list.task(row->id);
        bool removed = false;
        {
            const std::lock_guard lock(m_mutex);
            removed = leaveRow(job) || gone;
        }
        if (removed)
            continue;
        // A song that did not finish ends the worker, and a failure that was
        // no stop ends the others after their songs; its partial file stays.
        if (!finished) {
            m_stopRequested.store(true, std::memory_order_release);
            break;
        }
    }
    jobEnded(job);
}

bool DownloadQueue::leaveRow(Job& job)
{
    const bool removed = job.rowRemoved;
    if (removed) {
        // Raised for the deleted row only: the next row must not trip over it.
        job.abortFlag.clear();
        job.rowRemoved = false;
    }
    job.taskId = 0;
    m_changed.notify_all();
    return removed;
}

bool DownloadQueue::workSong(const DownloadTask& taken, AbortFlag& abortFlag)
{
    // The row's files go into the save directory of this moment, under the
    // name it was added with: a folder chosen since then receives them.
    DownloadTask row = taken;
    row.paths = m_settings.naming().pathsOf(row.name, row.quality);
    if (row.paths != taken.paths)
        m_list.setPaths(row.id, row.paths);

    // An artist's and album's folders; if they cannot be made, the transfer says why.
    createSongFolders(row);
    if (m_settings.fetchLyrics())
        m_fetcher.fetchLyrics(row.lyricUrl, row.paths.lyric, abortFlag);
    std::optional<SongTags> tags = tagsToWrite(row, m_settings, m_fetcher, abortFlag);
    if (stopRequested() || abortFlag.isRaised()) {
        m_list.setState(row.id, Stopped {});
        return false;
    }

    const std::optional<service::ResolvedLink> link = m_fetcher.resolveLink(row.songId, abortFlag);
    // A link request cut short by the stop is no verdict on the song.
    if (stopRequested() || abortFlag.isRaised()) {
        m_list.setState(row.id, Stopped {});
        return false;
    }
    if (!link) {
        m_list.setState(row.id, Failed {FailureReason {FailureKind::NoLink}});
        return true;
    }
    m_list.setSize(row.id, service::sizeText(link->size));

    ProgressReporter reporter;
    const ProgressCallback progress
        = [&](int64_t done, int64_t total) { m_list.setState(row.id, reporter.report(done, total)); };
    const TransferIdentity identity {row.songId, wholeBytes(link->size), std::move(tags)};
    TransferReply reply;
    const TransferResult result
        = m_fetcher.transfer(link->url, row.paths, progress, m_limiter, abortFlag, identity, &reply);
    if (result == TransferResult::Corrupt) {
        // The server's own file is broken: fetching it again would give the same.
        m_list.setState(row.id, Failed {FailureReason {FailureKind::DamagedFile}});
        return true;
    }
    if (result != TransferResult::Completed) {
        FailureReason failure = reply.failure;
        // A reply without a file address leaves nothing to transfer.
        if (result == TransferResult::Failed && text::trim(link->url.view()).empty())
            failure = FailureReason {FailureKind::NoLink};
        m_list.setState(row.id, Stopped {result == TransferResult::Aborted ? FailureReason {} : failure});
        return false;
    }
    // The song is there either way; tags that could not be written are said.
    m_list.setState(
        row.id, Completed {reply.tagError.empty() ? FailureReason {} : FailureReason {FailureKind::TagsNotWritten}});
    if (const CompletionSound sound = m_settings.completionSound(); sound != CompletionSound::None) {
        const std::lock_guard lock(m_mutex);
        emit(SoundRequested {sound});
    }
    return true;
}

void DownloadQueue::jobEnded(Job& job)
{
    const std::lock_guard lock(m_mutex);
    job.active = false;
    job.taskId = 0;
    // A flag raised for a step that ended first is answered by nobody: the
    // next transfer must not trip over it.
    job.abortFlag.clear();
    --m_activeJobs;
    // A stopper that is waiting takes the queue back to idle itself.
    if (m_activeJobs == 0 && !m_stopperActive)
        becomeIdle();
    m_changed.notify_all();
}

void DownloadQueue::becomeIdle()
{
    m_running = false;
    emit(WorkerStateChanged {false});
    emit(SpeedChanged {});
    m_changed.notify_all();
}

void DownloadQueue::emit(const QueueEvent& event)
{
    if (m_listener)
        m_listener->onQueueEvent(event);
}

}  // namespace quorvo::download
