// The queue's own rules (statuses, pending rows, start and stop) with the
// network steps scripted per song id; the same rules against the real service
// are in the end-to-end tests.

#include "download/DownloadQueue.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <atomic>
#include <condition_variable>
#include <future>
#include <map>
#include <mutex>
#include <thread>

namespace quorvo::download {
namespace {

using namespace std::chrono_literals;

enum class Script {
    Complete,       // two progress reports, then done
    BadLink,        // link reply unreadable
    TransferFails,  // the transfer fails on its own (network error)
    WaitForAbort,   // transfers until the abort flag is raised, then acknowledges
    Brief,          // a few milliseconds, stopping early (and acknowledging) on abort
    Gated,          // completes once the test opens the gate
    GatedFailure,   // fails (no space) once the test opens the failure gate
};

class ScriptedFetcher final : public SongFetcher {
public:
    void script(const Text& songId, Script script)
    {
        const std::lock_guard lock(m_mutex);
        m_scripts[songId] = script;
    }
    std::vector<Text> lyricPaths() const
    {
        const std::lock_guard lock(m_mutex);
        return m_lyricPaths;
    }
    std::vector<std::pair<Text, int64_t>> transfers() const
    {
        const std::lock_guard lock(m_mutex);
        return m_transfers;
    }
    std::future<void> transferStarted() { return m_started.get_future(); }
    void openGate(bool failureGate = false)
    {
        {
            const std::lock_guard lock(m_mutex);
            (failureGate ? m_failureGateOpen : m_gateOpen) = true;
        }
        m_waitingChanged.notify_all();
    }
    // Waits until `count` transfers are blocked waiting for their abort at once.
    bool waitForWaitingTransfers(int count)
    {
        std::unique_lock lock(m_mutex);
        return m_waitingChanged.wait_for(lock, 10s, [&] { return m_waiting == count; });
    }
    int acknowledged() const { return m_acknowledged.load(); }

    void fetchLyrics(const Text&, const Text& lyricPath, const AbortFlag&) override
    {
        const std::lock_guard lock(m_mutex);
        m_lyricPaths.push_back(lyricPath);
    }

    std::optional<service::ResolvedLink> resolveLink(const Text& songId, const AbortFlag&) override
    {
        if (scriptFor(songId) == Script::BadLink)
            return std::nullopt;
        return service::ResolvedLink {songId, 1572864};  // the "URL" names the script
    }

    TransferResult transfer(const Text& url, const service::SongPaths& target, const ProgressCallback& progress,
                            SpeedLimit limit, AbortFlag& abortFlag, const TransferIdentity&,
                            TransferReply* reply) override
    {
        {
            const std::lock_guard lock(m_mutex);
            m_transfers.emplace_back(target.song, limit.limiter().limitKBps());
        }
        switch (scriptFor(url)) {
        case Script::Complete:
            progress(500, 1000);
            progress(1000, 1000);
            return TransferResult::Completed;
        case Script::TransferFails:
            progress(100, 1000);
            if (reply)
                reply->failure = FailureReason {FailureKind::NoSpace};
            return TransferResult::Failed;
        case Script::WaitForAbort:
            progress(100, 1000);
            {
                const std::lock_guard lock(m_mutex);
                if (m_waiting++ == 0 && !m_startedSaid) {
                    m_startedSaid = true;
                    m_started.set_value();
                }
            }
            m_waitingChanged.notify_all();
            while (!abortFlag.sleepUntil(AbortFlag::Clock::now() + 1s)) { }
            abortFlag.clear();
            ++m_acknowledged;
            {
                const std::lock_guard lock(m_mutex);
                --m_waiting;
            }
            m_waitingChanged.notify_all();
            return TransferResult::Aborted;
        case Script::Brief:
            progress(1, 2);
            if (abortFlag.sleepUntil(AbortFlag::Clock::now() + 2ms)) {
                abortFlag.clear();
                return TransferResult::Aborted;
            }
            progress(2, 2);
            return TransferResult::Completed;
        case Script::Gated:
        case Script::GatedFailure: {
            const bool failure = scriptFor(url) == Script::GatedFailure;
            std::unique_lock lock(m_mutex);
            ++m_waiting;
            m_waitingChanged.notify_all();
            bool& open = failure ? m_failureGateOpen : m_gateOpen;
            while (!m_waitingChanged.wait_for(lock, 10ms, [&] { return open; })) {
                if (abortFlag.isRaised()) {
                    --m_waiting;
                    abortFlag.clear();
                    return TransferResult::Aborted;
                }
            }
            --m_waiting;
            lock.unlock();
            if (failure) {
                if (reply)
                    reply->failure = FailureReason {FailureKind::NoSpace};
                return TransferResult::Failed;
            }
            progress(2, 2);
            return TransferResult::Completed;
        }
        case Script::BadLink:
            break;
        }
        return TransferResult::Failed;
    }

private:
    Script scriptFor(const Text& songId) const
    {
        const std::lock_guard lock(m_mutex);
        const auto found = m_scripts.find(songId);
        return found == m_scripts.end() ? Script::Complete : found->second;
    }

    mutable std::mutex m_mutex;
    std::map<Text, Script> m_scripts;
    std::vector<Text> m_lyricPaths;
    std::vector<std::pair<Text, int64_t>> m_transfers;
    std::promise<void> m_started;
    bool m_startedSaid = false;
    bool m_gateOpen = false;
    bool m_failureGateOpen = false;
    int m_waiting = 0;
    std::condition_variable m_waitingChanged;
    std::atomic<int> m_acknowledged {0};
};

class FixedSettings final : public DownloadSettings {
public:
    Text saveDirectory() const override { return m_directory; }
    int64_t speedLimit() const override { return m_limit; }
    bool fetchLyrics() const override { return m_lyrics; }
    CompletionSound completionSound() const override { return m_sound; }
    service::NamingScheme namingScheme() const override { return m_scheme; }
    int64_t jobs() const override { return m_jobs; }

    // Change it only while no worker runs.
    Text m_directory {"/music/"};
    service::NamingScheme m_scheme = service::NamingScheme::ArtistTitle;
    int64_t m_limit = 0;
    bool m_lyrics = true;
    CompletionSound m_sound = CompletionSound::None;
    int64_t m_jobs = 1;
};

service::SongRecord song(const char* id, const char* quality = "flac")
{
    return service::SongRecord {Text("Title") + id, "Album", "Artist", quality, id, Text("http://h/") + id + ".lrc"};
}

class DownloadQueueTest : public ::testing::Test {
protected:
    // Statuses a row's status cell went through, in order.
    std::vector<Text> statusesOf(const std::vector<QueueEvent>& events, uint64_t taskId) const
    {
        std::vector<Text> statuses;
        for (const QueueEvent& event : events) {
            if (const auto* appended = std::get_if<RowAppended>(&event); appended && appended->task.id == taskId)
                statuses.push_back(statusText(appended->task.state));
            if (const auto* changed = std::get_if<RowStateChanged>(&event); changed && changed->taskId == taskId)
                statuses.push_back(statusText(changed->state));
        }
        return statuses;
    }

    bool waitIdle() { return m_queue.waitUntilIdle(10s); }

    ScriptedFetcher m_fetcher;
    FixedSettings m_settings;
    QueueMailbox m_mailbox;
    DownloadQueue m_queue {m_fetcher, m_settings, &m_mailbox};
};

TEST_F(DownloadQueueTest, FinishedSongPassesThroughEveryStatusInOrder)
{
    const std::vector<service::SongRecord> ticked {song("1")};
    m_queue.addTickedSongs(ticked);
    ASSERT_TRUE(waitIdle());
    const std::vector<DownloadTask> rows = m_queue.list().rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "Artist - Title1");
    EXPECT_EQ(rows[0].size, "1.5M");
    EXPECT_EQ(
        statusesOf(m_mailbox.takeAll(), rows[0].id),
        (std::vector<Text> {Text(status::waiting), Text(status::starting), "50%", "100%", Text(status::completed)}));
    EXPECT_EQ(m_fetcher.lyricPaths(), std::vector<Text> {"/music/Artist - Title1.lrc"});
    ASSERT_EQ(m_fetcher.transfers().size(), 1u);
    EXPECT_EQ(m_fetcher.transfers()[0].first, "/music/Artist - Title1.flac");
}

TEST_F(DownloadQueueTest, WorkerTakesRowsTopToBottomAndReturnsToIdleWhenNothingIsPending)
{
    const std::vector<service::SongRecord> ticked {song("1", "320"), song("2")};
    m_queue.addTickedSongs(ticked);
    ASSERT_TRUE(waitIdle());
    const auto transfers = m_fetcher.transfers();
    ASSERT_EQ(transfers.size(), 2u);
    EXPECT_EQ(transfers[0].first, "/music/Artist - Title1.mp3");
    EXPECT_EQ(transfers[1].first, "/music/Artist - Title2.flac");
    std::vector<bool> states;
    for (const QueueEvent& event : m_mailbox.takeAll()) {
        if (const auto* state = std::get_if<WorkerStateChanged>(&event))
            states.push_back(state->running);
    }
    EXPECT_EQ(states, (std::vector<bool> {true, false}));
}

TEST_F(DownloadQueueTest, UnreadableLinkFailsTheRowForGoodAndTheNextRowStarts)
{
    m_fetcher.script("1", Script::BadLink);
    const std::vector<service::SongRecord> ticked {song("1"), song("2")};
    m_queue.addTickedSongs(ticked);
    ASSERT_TRUE(waitIdle());
    const std::vector<DownloadTask> rows = m_queue.list().rows();
    EXPECT_EQ(statusText(rows[0].state), Text(status::failed));
    EXPECT_TRUE(std::holds_alternative<Failed>(rows[0].state));
    EXPECT_EQ(rows[0].size, "-");
    EXPECT_EQ(statusText(rows[1].state), Text(status::completed));

    // A later start does not retry the failed row.
    EXPECT_TRUE(m_queue.startWorker());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_fetcher.transfers().size(), 1u);
}

// As specified, a worker that failed on its own left the queue "running"
// forever: start did nothing and a stopper waited for an acknowledgement that
// never came.
TEST_F(DownloadQueueTest, FailedTransferEndsTheWorkerAndTheQueueCanStartAgain)
{
    m_fetcher.script("1", Script::TransferFails);
    const std::vector<service::SongRecord> ticked {song("1"), song("2")};
    m_queue.addTickedSongs(ticked);
    ASSERT_TRUE(waitIdle());
    std::vector<DownloadTask> rows = m_queue.list().rows();
    EXPECT_EQ(statusText(rows[0].state), Text(status::stopped));
    EXPECT_EQ(statusText(rows[1].state), Text(status::waiting));  // the worker stopped at the failure

    m_fetcher.script("1", Script::Complete);
    EXPECT_TRUE(m_queue.startWorker());
    ASSERT_TRUE(waitIdle());
    rows = m_queue.list().rows();
    EXPECT_EQ(statusText(rows[0].state), Text(status::completed));
    EXPECT_EQ(statusText(rows[1].state), Text(status::completed));
}

// A row keeps the name it was added with but goes to the save directory of
// the moment the worker takes it, as its files always did; the row's stored
// paths follow, so that a deletion finds them there.
TEST_F(DownloadQueueTest, AFolderChosenAfterAddingReceivesTheWaitingRows)
{
    m_fetcher.script("1", Script::TransferFails);
    const std::vector<service::SongRecord> ticked {song("1"), song("2")};
    m_queue.addTickedSongs(ticked);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_queue.list().rows()[1].paths.song, "/music/Artist - Title2.flac");

    m_settings.m_directory = "/elsewhere/";
    m_settings.m_scheme = service::NamingScheme::Title;
    m_fetcher.script("1", Script::BadLink);
    EXPECT_TRUE(m_queue.startWorker());
    ASSERT_TRUE(waitIdle());
    const DownloadTask second = m_queue.list().rows()[1];
    EXPECT_EQ(second.name, "Artist - Title2");
    EXPECT_EQ(statusText(second.state), Text(status::completed));
    EXPECT_EQ(second.paths,
              (service::SongPaths {"/elsewhere/Artist - Title2.flac", "/elsewhere/Artist - Title2.lrc",
                                   "/elsewhere/Artist - Title2.flac.tmp"}));
    EXPECT_EQ(m_fetcher.transfers().back().first, second.paths.song);
    EXPECT_EQ(m_fetcher.lyricPaths().back(), second.paths.lyric);
}

// The row keeps why it stopped or failed, the events carry it to the window,
// and starting the row again forgets it.
TEST_F(DownloadQueueTest, RowsKeepWhyTheyStoppedOrFailedUntilTheyStartAgain)
{
    m_fetcher.script("1", Script::TransferFails);
    m_fetcher.script("2", Script::BadLink);
    const std::vector<service::SongRecord> ticked {song("2"), song("1")};
    m_queue.addTickedSongs(ticked);
    ASSERT_TRUE(waitIdle());
    std::vector<DownloadTask> rows = m_queue.list().rows();
    EXPECT_EQ(rows[0].state, TaskState {Failed {{FailureKind::NoLink}}});
    EXPECT_EQ(rows[1].state, TaskState {Stopped {{FailureKind::NoSpace}}});
    std::vector<FailureReason> carried;
    for (const QueueEvent& event : m_mailbox.takeAll()) {
        if (const auto* changed = std::get_if<RowStateChanged>(&event))
            carried.push_back(reasonOf(changed->state));
    }
    EXPECT_NE(std::find(carried.begin(), carried.end(), FailureReason {FailureKind::NoSpace}), carried.end());
    EXPECT_NE(std::find(carried.begin(), carried.end(), FailureReason {FailureKind::NoLink}), carried.end());

    m_fetcher.script("1", Script::Complete);
    EXPECT_TRUE(m_queue.startWorker());
    ASSERT_TRUE(waitIdle());
    rows = m_queue.list().rows();
    EXPECT_EQ(statusText(rows[1].state), Text(status::completed));
    EXPECT_TRUE(reasonOf(rows[1].state).empty());
    EXPECT_EQ(reasonOf(rows[0].state), (FailureReason {FailureKind::NoLink}));
}

TEST_F(DownloadQueueTest, StopperNeverWaitsForAWorkerThatHasEnded)
{
    m_fetcher.script("1", Script::TransferFails);
    const std::vector<service::SongRecord> ticked {song("1")};
    m_queue.addTickedSongs(ticked);
    ASSERT_TRUE(waitIdle());
    auto stopped = std::async(std::launch::async, [this] { m_queue.stopWorker(true); });
    ASSERT_EQ(stopped.wait_for(10s), std::future_status::ready);
    // No flag is left raised for the next transfer to trip over.
    EXPECT_FALSE(m_queue.abortRaised());
}

TEST_F(DownloadQueueTest, PauseAbortsTheTransferAndTheNextStartResumesTheRow)
{
    m_fetcher.script("1", Script::WaitForAbort);
    auto started = m_fetcher.transferStarted();
    const std::vector<service::SongRecord> ticked {song("1")};
    m_queue.addTickedSongs(ticked);
    ASSERT_EQ(started.wait_for(10s), std::future_status::ready);
    EXPECT_FALSE(m_queue.startWorker());  // already running
    m_queue.requestPause();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(statusText(m_queue.list().rows()[0].state), Text(status::stopped));
    EXPECT_FALSE(m_queue.abortRaised());

    const std::vector<QueueEvent> events = m_mailbox.takeAll();
    ASSERT_FALSE(events.empty());
    // Back to idle: buttons swapped and the speed label emptied.
    bool sawIdle = false;
    bool speedEmptied = false;
    for (const QueueEvent& event : events) {
        if (const auto* state = std::get_if<WorkerStateChanged>(&event); state && !state->running)
            sawIdle = true;
        if (const auto* speed = std::get_if<SpeedChanged>(&event); speed && !speed->bytesPerSecond && sawIdle)
            speedEmptied = true;
    }
    EXPECT_TRUE(sawIdle);
    EXPECT_TRUE(speedEmptied);

    m_fetcher.script("1", Script::Complete);
    EXPECT_TRUE(m_queue.startWorker());
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(statusesOf(m_mailbox.takeAll(), m_queue.list().rows()[0].id).front(), Text(status::starting));
    EXPECT_EQ(statusText(m_queue.list().rows()[0].state), Text(status::completed));
}

TEST_F(DownloadQueueTest, DuplicateNamesAreCountedAndNotAdded)
{
    const std::vector<service::SongRecord> first {song("1"), song("2")};
    m_queue.addTickedSongs(first);
    ASSERT_TRUE(waitIdle());
    const std::vector<service::SongRecord> second {song("1"), song("2"), song("3"), song("4"), song("5")};
    const AddOutcome outcome = m_queue.addTickedSongs(second);
    EXPECT_EQ(outcome.ticked, 5);
    EXPECT_EQ(outcome.duplicates, 2);
    EXPECT_EQ(outcome.added, (std::vector<bool> {false, false, true, true, true}));
    EXPECT_EQ(outcome.message.text, composeAddMessage(5, 2).text);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_queue.list().size(), 5u);
}

TEST_F(DownloadQueueTest, NothingTickedStillStartsAWorkerThatEndsAtOnce)
{
    const AddOutcome outcome = m_queue.addTickedSongs({});
    EXPECT_EQ(outcome.message.text, composeAddMessage(0, 0).text);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_queue.list().size(), 0u);
}

TEST_F(DownloadQueueTest, UntickedLyricsBoxSkipsTheLyricFile)
{
    m_settings.m_lyrics = false;
    const std::vector<service::SongRecord> ticked {song("1")};
    m_queue.addTickedSongs(ticked);
    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(m_fetcher.lyricPaths().empty());
    EXPECT_EQ(statusText(m_queue.list().rows()[0].state), Text(status::completed));
}

TEST_F(DownloadQueueTest, SpeedLimitAndSoundAreTakenFromTheSettings)
{
    m_settings.m_limit = 300;
    m_settings.m_sound = CompletionSound::Thunder;
    const std::vector<service::SongRecord> ticked {song("1")};
    m_queue.addTickedSongs(ticked);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_fetcher.transfers()[0].second, 300);
    std::vector<CompletionSound> sounds;
    for (const QueueEvent& event : m_mailbox.takeAll()) {
        if (const auto* sound = std::get_if<SoundRequested>(&event))
            sounds.push_back(sound->sound);
    }
    EXPECT_EQ(sounds, std::vector<CompletionSound> {CompletionSound::Thunder});
}

TEST_F(DownloadQueueTest, NoSoundIsRequestedWhenNoneIsChosenOrTheSongFails)
{
    m_fetcher.script("2", Script::TransferFails);
    m_settings.m_sound = CompletionSound::None;
    const std::vector<service::SongRecord> ticked {song("1"), song("2")};
    m_queue.addTickedSongs(ticked);
    ASSERT_TRUE(waitIdle());
    for (const QueueEvent& event : m_mailbox.takeAll())
        EXPECT_FALSE(std::holds_alternative<SoundRequested>(event));
}

// Start, pause and stop racing each other from several threads: the queue
// must end idle, with no flag left raised, and finish every row afterwards.
TEST_F(DownloadQueueTest, StartAndStopRacingFromSeveralThreadsLeaveAConsistentQueue)
{
    std::vector<service::SongRecord> songs;
    for (int i = 0; i < 40; ++i) {
        const std::string id = std::to_string(100 + i);
        m_fetcher.script(Text(id), Script::Brief);
        songs.push_back(song(id.c_str()));
    }
    m_queue.addTickedSongs(songs);
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < 30; ++i) {
                switch ((i + t) % 3) {
                case 0:
                    m_queue.startWorker();
                    break;
                case 1:
                    m_queue.requestPause();
                    break;
                default:
                    m_queue.stopWorker(i % 2 == 0);
                    break;
                }
                std::this_thread::sleep_for(1ms);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    m_queue.stopWorker(true);
    EXPECT_FALSE(m_queue.isRunning());
    EXPECT_FALSE(m_queue.abortRaised());

    // Whatever was interrupted resumes: every row finishes.
    for (int round = 0; round < 100 && m_queue.list().firstClaimable(); ++round) {
        m_queue.startWorker();
        ASSERT_TRUE(waitIdle());
    }
    for (const DownloadTask& task : m_queue.list().rows())
        EXPECT_EQ(statusText(task.state), Text(status::completed)) << task.name.str();
}

// Three workers move three rows at once; a pause stops every one of them and
// the next start takes the rows up again.
TEST_F(DownloadQueueTest, SeveralWorkersMoveRowsAtOnceAndAPauseStopsThemAll)
{
    m_settings.m_jobs = 3;
    std::vector<service::SongRecord> songs;
    for (const char* id : {"1", "2", "3", "4"}) {
        m_fetcher.script(id, Script::WaitForAbort);
        songs.push_back(song(id));
    }
    m_queue.addTickedSongs(songs);
    ASSERT_TRUE(m_fetcher.waitForWaitingTransfers(3));
    EXPECT_EQ(m_queue.jobCount(), 3u);
    std::vector<DownloadTask> rows = m_queue.list().rows();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(std::holds_alternative<Transferring>(rows[i].state)) << i;
    EXPECT_EQ(rows[3].state, TaskState {Waiting {}});

    m_queue.requestPause();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_fetcher.acknowledged(), 3);
    EXPECT_FALSE(m_queue.abortRaised());
    rows = m_queue.list().rows();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(rows[i].state, TaskState {Stopped {}}) << i;
    std::vector<bool> states;
    for (const QueueEvent& event : m_mailbox.takeAll()) {
        if (const auto* state = std::get_if<WorkerStateChanged>(&event))
            states.push_back(state->running);
    }
    EXPECT_EQ(states, (std::vector<bool> {true, false}));

    for (const char* id : {"1", "2", "3", "4"})
        m_fetcher.script(id, Script::Complete);
    EXPECT_TRUE(m_queue.startWorker());
    ASSERT_TRUE(waitIdle());
    for (const DownloadTask& task : m_queue.list().rows())
        EXPECT_EQ(task.state, TaskState {Completed {}}) << task.name.str();
    EXPECT_EQ(m_fetcher.transfers().size(), 7u);
}

// Deleting the row one worker transfers stops that worker's song only: it
// goes on with the next row while the other worker's transfer runs on.
TEST_F(DownloadQueueTest, DeletingARowStopsOnlyTheWorkerOnIt)
{
    m_settings.m_jobs = 2;
    std::vector<service::SongRecord> songs;
    for (const char* id : {"1", "2", "3"}) {
        m_fetcher.script(id, Script::WaitForAbort);
        songs.push_back(song(id));
    }
    m_queue.addTickedSongs(songs);
    ASSERT_TRUE(m_fetcher.waitForWaitingTransfers(2));
    const uint64_t first = m_queue.list().rows()[0].id;
    const uint64_t ids[] {first};
    const std::vector<DownloadTask> removed = m_queue.removeTasks(ids);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].id, first);
    EXPECT_EQ(m_fetcher.acknowledged(), 1);
    ASSERT_TRUE(m_fetcher.waitForWaitingTransfers(2));
    EXPECT_TRUE(m_queue.isRunning());
    std::vector<DownloadTask> rows = m_queue.list().rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(std::holds_alternative<Transferring>(rows[0].state));
    EXPECT_TRUE(std::holds_alternative<Transferring>(rows[1].state));
    EXPECT_EQ(m_fetcher.transfers().size(), 3u);
    EXPECT_FALSE(m_queue.abortRaised());

    m_queue.requestPause();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(m_fetcher.acknowledged(), 3);
}

// One worker's transfer failing stops the workers, as with one: the others
// end after their songs and the queue goes idle with the rest still waiting.
TEST_F(DownloadQueueTest, AFailedTransferStopsEveryWorker)
{
    m_settings.m_jobs = 2;
    m_fetcher.script("1", Script::Gated);
    m_fetcher.script("2", Script::GatedFailure);
    const std::vector<service::SongRecord> songs {song("1"), song("2"), song("3"), song("4")};
    m_queue.addTickedSongs(songs);
    // The second worker fails while the first is still on its song.
    ASSERT_TRUE(m_fetcher.waitForWaitingTransfers(2));
    m_fetcher.openGate(true);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!std::holds_alternative<Stopped>(m_queue.list().rows()[1].state)
           && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(std::holds_alternative<Stopped>(m_queue.list().rows()[1].state));
    EXPECT_TRUE(m_queue.isRunning());
    m_fetcher.openGate();
    ASSERT_TRUE(waitIdle());
    const std::vector<DownloadTask> rows = m_queue.list().rows();
    EXPECT_EQ(rows[0].state, TaskState {Completed {}});
    EXPECT_EQ(rows[1].state, TaskState {Stopped {{FailureKind::NoSpace}}});
    EXPECT_EQ(rows[2].state, TaskState {Waiting {}});
    EXPECT_EQ(rows[3].state, TaskState {Waiting {}});
}

TEST(CompletionSound, WavSettingPicksTheSound)
{
    EXPECT_EQ(completionSoundFor(0), CompletionSound::None);
    EXPECT_EQ(completionSoundFor(1), CompletionSound::Whirlwind);
    EXPECT_EQ(completionSoundFor(2), CompletionSound::Thunder);
    EXPECT_EQ(completionSoundFor(3), CompletionSound::None);
    EXPECT_EQ(completionSoundFor(-1), CompletionSound::None);
}

TEST(DownloadQueueLifetime, DestroyingTheQueueStopsARunningTransfer)
{
    ScriptedFetcher fetcher;
    FixedSettings settings;
    fetcher.script("1", Script::WaitForAbort);
    auto started = fetcher.transferStarted();
    {
        DownloadQueue queue(fetcher, settings, nullptr);
        const std::vector<service::SongRecord> ticked {song("1")};
        queue.addTickedSongs(ticked);
        ASSERT_EQ(started.wait_for(10s), std::future_status::ready);
    }
    EXPECT_EQ(fetcher.acknowledged(), 1);
}

TEST(DownloadQueueNames, ASongWhoseBuiltNameIsEmptyIsNamedAfterItsIdNotHidden)
{
    ScriptedFetcher fetcher;
    FixedSettings settings;
    settings.m_scheme = service::NamingScheme::Title;
    DownloadQueue queue(fetcher, settings, nullptr);
    fetcher.script("9900008", Script::Complete);
    service::SongRecord nothingLeft = song("9900008");
    nothingLeft.title = "?*:";
    const std::vector<service::SongRecord> ticked {nothingLeft};
    queue.addTickedSongs(ticked);
    ASSERT_EQ(queue.list().size(), 1u);
    EXPECT_EQ(queue.list().rows()[0].name, Text("9900008"));
}

}  // namespace
}  // namespace quorvo::download
