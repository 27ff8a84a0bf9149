// The download page over the real queue and the reference service: the add
// button's rules and messages, the list the page shows, the buttons, the
// sound, deletion with its files, and the exit wait.

#include "app/DownloadController.h"
#include "app/SearchController.h"
#include "app/WindowMessages.h"

#include "ReferenceServer.h"
#include "TempDir.h"
#include "UiQueue.h"
#include "download/DownloadStatus.h"
#include "download/ServiceSongFetcher.h"
#include "download/SongTagger.h"
#include "platform/Files.h"
#include "runtime/Encoding.h"
#include "service/FileNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace quorvo::app {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class RecordingDownloadView final : public DownloadView {
public:
    struct Row {
        download::DownloadTask task;
        Text status;  // the status cell as shown
        bool red = false;
        Text reason;
    };
    void appendDownloadRow(const download::DownloadTask& task) override
    {
        m_rows.push_back({task, task.cellText(download::DownloadColumn::Status), false, {}});
    }
    void removeDownloadRow(std::size_t row) override { m_rows.erase(m_rows.begin() + static_cast<long>(row - 1)); }
    void setDownloadCell(std::size_t row, download::DownloadColumn column, const Text& text) override
    {
        ASSERT_TRUE(column == download::DownloadColumn::Status || column == download::DownloadColumn::Size);
        if (column == download::DownloadColumn::Size) {
            m_rows.at(row - 1).task.size = text;
            return;
        }
        m_rows.at(row - 1).status = text;
        m_statuses[std::string(m_rows.at(row - 1).task.songId.view())].push_back(text);
    }
    void markDownloadRowFailed(std::size_t row) override { m_rows.at(row - 1).red = true; }
    void setSpeedText(const Text& text) override { m_speed.push_back(text); }
    void setWorkerButtons(bool running) override { m_running = running; }
    void setDeleteEnabled(bool enabled) override { m_deleteEnabled = enabled; }
    void setDownloadFailure(std::size_t row, const Text& reason) override { m_rows.at(row - 1).reason = reason; }
    void showDownloadFailure(const Text& message) override { m_failureMessages.push_back(message); }

    std::vector<Row> m_rows;
    std::map<std::string, std::vector<Text>> m_statuses;
    std::vector<Text> m_speed;
    std::vector<Text> m_failureMessages;
    bool m_running = false;
    bool m_deleteEnabled = false;
};

class FakeResults final : public ResultListView {
public:
    std::vector<TickedRow> tickedResults() const override
    {
        std::vector<TickedRow> ticked;
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            if (m_ticked[i])
                ticked.push_back({i + 1, m_rows[i]});
        }
        return ticked;
    }
    void greyResult(std::size_t row) override { m_greyed.push_back(m_rows.at(row - 1).songId); }
    void removeResult(std::size_t row) override
    {
        m_rows.erase(m_rows.begin() + static_cast<long>(row - 1));
        m_ticked.erase(m_ticked.begin() + static_cast<long>(row - 1));
    }

    std::vector<service::SongRecord> m_rows;
    std::vector<bool> m_ticked;
    std::vector<Text> m_greyed;
};

class RecordingStatusLine final : public StatusLineView {
public:
    void showStatusMessage(const Text& text, download::MessageColour colour) override
    {
        m_shown.push_back({text, colour});
    }
    void setStatusAlpha(int) override { }
    void hideStatusLine() override { }
    std::vector<download::AddMessage> m_shown;
};

class DownloadControllerTest : public ::testing::Test {
protected:
    DownloadControllerTest()
    {
        SettingsValues values;
        values.saveDirectory = platform::fromNativePath(m_dir.path().string()) + "/";
        values.sound = 2;
        values.removeAdded = false;
        m_settings.update(values);
        m_page.attach(m_queue);
    }

    // Fills the fake result list with a search's rows.
    void searchFor(const char* utf8Query)
    {
        m_results.m_rows = service::runSearch(m_service, encoding::fromUtf8(utf8Query), service::SearchFilter {});
        m_results.m_ticked.assign(m_results.m_rows.size(), false);
        ASSERT_FALSE(m_results.m_rows.empty());
    }
    void tickOnly(std::initializer_list<const char*> ids)
    {
        for (std::size_t i = 0; i < m_results.m_rows.size(); ++i)
            m_results.m_ticked[i]
                = std::any_of(ids.begin(), ids.end(), [&](const char* id) { return m_results.m_rows[i].songId == id; });
    }
    // Runs the user-interface side until the queue has gone idle and said so.
    void runUntilIdle()
    {
        ASSERT_TRUE(m_queue.waitUntilIdle(60s));
        ASSERT_TRUE(m_ui.runUntil([&] { return !m_view.m_running; }));
        m_ui.runPending();
    }
    std::string fileOf(const std::string& name) { return (m_dir.path() / name).string(); }

    quorvo::test::TempDir m_dir;
    quorvo::test::ReferenceServer m_server;
    service::ServiceEndpoints m_service {Text(m_server.host())};
    test::UiQueue m_ui;
    RecordingDownloadView m_view;
    RecordingStatusLine m_statusLine;
    FakeResults m_results;
    LiveSettings m_settings;
    std::vector<download::CompletionSound> m_sounds;
    DownloadController m_page {m_ui.poster(), m_view, m_settings,
                               [this](download::CompletionSound sound) { m_sounds.push_back(sound); }};
    StatusToast m_toast {m_ui.timer(), m_statusLine, ToastTiming {1ms, 1ms, 25}};
    download::ServiceSongFetcher m_fetcher {m_service, download::TransferSettings {5000ms, 10s}};
    download::DownloadQueue m_queue {m_fetcher, m_settings, &m_page};
};

TEST_F(DownloadControllerTest, AddedSongsDownloadIntoTheListWithStatusesSpeedAndSound)
{
    searchFor("夜色温柔");
    tickOnly({"9900001"});
    const download::AddOutcome outcome = addTickedSongs(m_queue, m_settings, m_results, m_toast);
    EXPECT_EQ(outcome.ticked, 1);
    EXPECT_EQ(m_results.m_greyed, (std::vector<Text> {"9900001"}));
    runUntilIdle();

    ASSERT_EQ(m_view.m_rows.size(), 1u);
    const download::DownloadTask& task = m_view.m_rows[0].task;
    EXPECT_EQ(encoding::toUtf8(task.name.view()), "林晓风 - 夜色温柔");
    EXPECT_EQ(m_view.m_rows[0].status, Text(download::status::completed));
    EXPECT_NE(task.size, "-");
    const std::vector<Text>& statuses = m_view.m_statuses["9900001"];
    ASSERT_GE(statuses.size(), 3u);
    EXPECT_EQ(statuses.front(), Text(download::status::starting));
    EXPECT_EQ(statuses[statuses.size() - 2], "100%");
    // The worker went idle: start enabled again and the speed label emptied last.
    EXPECT_FALSE(m_view.m_running);
    ASSERT_FALSE(m_view.m_speed.empty());
    EXPECT_TRUE(m_view.m_speed.back().empty());
    EXPECT_TRUE(std::any_of(m_view.m_speed.begin(), m_view.m_speed.end(),
                            [](const Text& speed) { return encoding::toUtf8(speed.view()).starts_with("下载速度:"); }));
    EXPECT_EQ(m_sounds, (std::vector<download::CompletionSound> {download::CompletionSound::Thunder}));
    EXPECT_EQ(quorvo::test::readWholeFile(fileOf("林晓风 - 夜色温柔.flac")),
              m_server.get("/data2/music/9900001/9900001.flac").body);
    EXPECT_TRUE(fs::exists(fileOf("林晓风 - 夜色温柔.lrc")));

    ASSERT_TRUE(m_ui.runUntil([&] { return !m_statusLine.m_shown.empty(); }));
    EXPECT_EQ(encoding::toUtf8(m_statusLine.m_shown[0].text.view()), "已添加1首歌曲至下载列表");
    EXPECT_EQ(m_statusLine.m_shown[0].colour, (download::MessageColour {69, 186, 107}));
}

TEST_F(DownloadControllerTest, DuplicatesAndNothingTickedGiveTheirMessages)
{
    searchFor("夜色温柔");
    tickOnly({"9900001"});
    addTickedSongs(m_queue, m_settings, m_results, m_toast);
    runUntilIdle();
    addTickedSongs(m_queue, m_settings, m_results, m_toast);
    runUntilIdle();
    tickOnly({});
    addTickedSongs(m_queue, m_settings, m_results, m_toast);
    ASSERT_TRUE(m_ui.runUntil([&] { return m_statusLine.m_shown.size() >= 3; }));
    EXPECT_EQ(encoding::toUtf8(m_statusLine.m_shown[1].text.view()), "0首已添加,1首重复.");
    EXPECT_EQ(m_statusLine.m_shown[1].colour, (download::MessageColour {74, 131, 163}));
    EXPECT_EQ(encoding::toUtf8(m_statusLine.m_shown[2].text.view()), "请勾选欲下载的歌曲");
    EXPECT_EQ(m_statusLine.m_shown[2].colour, (download::MessageColour {211, 111, 84}));
    runUntilIdle();
    EXPECT_EQ(m_view.m_rows.size(), 1u);
}

TEST_F(DownloadControllerTest, DeleteOptionRemovesTheAddedRowsAndKeepsTheOthersInOrder)
{
    SettingsValues values = m_settings.values();
    values.removeAdded = true;
    m_settings.update(values);
    searchFor("夜");
    ASSERT_GE(m_results.m_rows.size(), 3u);
    m_results.m_rows.resize(5);
    m_results.m_ticked.resize(5);
    std::vector<Text> kept;
    for (std::size_t i = 0; i < m_results.m_rows.size(); ++i) {
        m_results.m_ticked[i] = i % 2 == 0;
        if (i % 2 == 1)
            kept.push_back(m_results.m_rows[i].songId);
    }
    addTickedSongs(m_queue, m_settings, m_results, m_toast);
    std::vector<Text> left;
    for (const service::SongRecord& row : m_results.m_rows)
        left.push_back(row.songId);
    EXPECT_EQ(left, kept);
    m_queue.stopWorker(true);
    runUntilIdle();
}

TEST_F(DownloadControllerTest, AFailedLinkTurnsItsRowRedAndTheNextStarts)
{
    searchFor("Broken Link");
    tickOnly({"9900021"});
    addTickedSongs(m_queue, m_settings, m_results, m_toast);
    runUntilIdle();
    ASSERT_EQ(m_view.m_rows.size(), 1u);
    EXPECT_TRUE(m_view.m_rows[0].red);
    EXPECT_EQ(m_view.m_rows[0].status, Text(download::status::failed));
}

// The reason the list keeps with a failed or stopped row reaches the row's
// tooltip and, once per failure, the status line; a row that runs again has none.
TEST_F(DownloadControllerTest, AFailedOrStoppedRowSaysWhy)
{
    download::DownloadTask full;
    full.name = "Disk Full";
    full.songId = "1";
    full.state = download::Stopped {{download::FailureKind::NoSpace}};
    download::DownloadTask paused;
    paused.name = "Paused";
    paused.songId = "2";
    paused.state = download::Stopped {};
    const uint64_t fullId = m_queue.list().append(full);
    m_queue.list().append(paused);
    m_ui.runPending();
    ASSERT_EQ(m_view.m_rows.size(), 2u);
    EXPECT_EQ(m_view.m_rows[0].reason, "no space left on the disk");
    EXPECT_EQ(m_view.m_rows[1].reason, "") << "a pause is not a failure";
    EXPECT_EQ(m_view.m_failureMessages,
              (std::vector<Text> {Text(download::status::stopped) + ": no space left on the disk"}));

    // Failed for the same reason: said once.
    m_queue.list().setState(fullId, download::Failed {{download::FailureKind::NoSpace}});
    m_ui.runPending();
    EXPECT_EQ(m_view.m_rows[0].reason, "no space left on the disk");
    EXPECT_TRUE(m_view.m_rows[0].red);
    EXPECT_EQ(m_view.m_rows[0].status, Text(download::status::failed));
    EXPECT_EQ(m_view.m_failureMessages.size(), 1u);

    // Taken up again: the reason goes with the old status.
    m_queue.list().setState(fullId, download::Claimed {});
    m_ui.runPending();
    EXPECT_EQ(m_view.m_rows[0].reason, "");

    // Finished, but without the tags asked for: the song is there and the user is told.
    m_queue.list().setState(fullId, download::Completed {{download::FailureKind::TagsNotWritten}});
    m_ui.runPending();
    EXPECT_EQ(m_view.m_rows[0].reason, "lyrics and names could not be written into the file");
    EXPECT_EQ(m_view.m_failureMessages.back(),
              Text(download::status::completed) + ": lyrics and names could not be written into the file");
}

// Rows kept from an earlier run may be in the list before the page listens:
// the page shows them when it attaches, once, with their states.
TEST_F(DownloadControllerTest, RowsRestoredBeforeThePageAttachesAreShownOnce)
{
    download::DownloadTask done;
    done.id = 4;
    done.name = "Done";
    done.state = download::Completed {};
    download::DownloadTask failed;
    failed.id = 9;
    failed.name = "Failed";
    failed.state = download::Failed {{download::FailureKind::HttpStatus, 404}};
    test::UiQueue ui;
    RecordingDownloadView view;
    DownloadController page {ui.poster(), view, m_settings, {}};
    download::QueueMailbox mailbox;
    download::DownloadQueue queue {m_fetcher, m_settings, &mailbox};
    queue.list().restore({done, failed});
    page.attach(queue);
    ui.runPending();
    ASSERT_EQ(view.m_rows.size(), 2u);
    EXPECT_EQ(view.m_rows[0].status, Text(download::status::completed));
    EXPECT_EQ(view.m_rows[1].status, Text(download::status::failed));
    EXPECT_EQ(view.m_rows[1].reason, "HTTP 404");
    EXPECT_EQ(page.rowOf(9), 2u);
}

TEST_F(DownloadControllerTest, TickCountEnablesDeleteAndDeletionRemovesExactlyTheTickedSongsFiles)
{
    searchFor("夜");
    tickOnly({"1100005", "1100023", "1100031"});
    addTickedSongs(m_queue, m_settings, m_results, m_toast);
    runUntilIdle();
    ASSERT_EQ(m_view.m_rows.size(), 3u);

    m_page.downloadTickChanged(true);
    m_page.downloadTickChanged(true);
    m_page.downloadTickChanged(true);
    m_page.downloadTickChanged(false);
    EXPECT_TRUE(m_view.m_deleteEnabled);
    EXPECT_EQ(m_page.tickedDownloadCount(), 2);

    // A partial file of the first song, as a paused download leaves it, and
    // the tagging copy a kill while tagging leaves beside the second's.
    std::vector<std::vector<Text>> filesOf;
    for (const auto& row : m_view.m_rows)
        filesOf.push_back({row.task.paths.lyric, row.task.paths.song, row.task.paths.partial,
                           download::taggingCopyOf(row.task.paths.partial)});
    ASSERT_TRUE(platform::writeFile(filesOf[0][2], "partial"));
    ASSERT_TRUE(platform::writeFile(filesOf[1][3], "copy"));
    ASSERT_TRUE(platform::writeFile(filesOf[1][2], "partial"));
    const Text keptName = m_view.m_rows[2].task.name;

    m_page.deleteRows({1, 2});
    m_page.waitForDeletion();
    runUntilIdle();
    ASSERT_TRUE(m_ui.runUntil([&] { return !m_view.m_deleteEnabled; }));
    ASSERT_EQ(m_view.m_rows.size(), 1u);
    EXPECT_EQ(m_view.m_rows[0].task.name, keptName);
    EXPECT_EQ(m_page.tickedDownloadCount(), 0);
    for (int song = 0; song < 2; ++song)
        for (const Text& file : filesOf[song])
            EXPECT_FALSE(platform::exists(file)) << encoding::toUtf8(file.view());
    EXPECT_TRUE(platform::exists(filesOf[2][0]));
    EXPECT_TRUE(platform::exists(filesOf[2][1]));
}

// The files of a row are deleted where they were written, also when another
// folder has been chosen since.
TEST_F(DownloadControllerTest, DeletionAfterAFolderChangeRemovesTheFilesWhereTheyWereWritten)
{
    searchFor("Paper Lanterns");
    tickOnly({"9900002"});
    addTickedSongs(m_queue, m_settings, m_results, m_toast);
    runUntilIdle();
    const std::string song = fileOf("The Velvet Orchard - Paper Lanterns.mp3");
    const std::string lyric = fileOf("The Velvet Orchard - Paper Lanterns.lrc");
    ASSERT_TRUE(fs::exists(song));
    ASSERT_TRUE(fs::exists(lyric));

    SettingsValues values = m_settings.values();
    values.saveDirectory = platform::fromNativePath(fileOf("elsewhere")) + "/";
    m_settings.update(values);
    m_page.downloadTickChanged(true);
    m_page.deleteRows({1});
    m_page.waitForDeletion();
    runUntilIdle();
    EXPECT_TRUE(m_view.m_rows.empty());
    EXPECT_FALSE(fs::exists(song));
    EXPECT_FALSE(fs::exists(lyric));
}

// Under "歌手/专辑/歌曲" a deletion also removes the artist's and album's
// folders it leaves empty, and only those.
TEST_F(DownloadControllerTest, DeletionRemovesTheFoldersItLeavesEmpty)
{
    SettingsValues values = m_settings.values();
    values.namingItem = 4;
    m_settings.update(values);
    searchFor("夜色温柔");
    tickOnly({"9900001", "9900065"});
    addTickedSongs(m_queue, m_settings, m_results, m_toast);
    runUntilIdle();
    ASSERT_EQ(m_view.m_rows.size(), 2u);
    const fs::path artist = m_dir.path() / "林晓风";
    ASSERT_TRUE(fs::exists(artist / "城市微光" / "夜色温柔.flac"));
    ASSERT_TRUE(fs::exists(artist / "城市微光 (Live)" / "夜色温柔.flac"));
    // Something of the user's beside the live version.
    quorvo::test::writeWholeFile(artist / "城市微光 (Live)" / "cover.jpg", "jpeg");

    m_page.downloadTickChanged(true);
    m_page.deleteRows({1});
    m_page.waitForDeletion();
    runUntilIdle();
    EXPECT_FALSE(fs::exists(artist / "城市微光"));
    EXPECT_TRUE(fs::exists(artist / "城市微光 (Live)" / "夜色温柔.flac"));

    m_page.deleteRows({1});
    m_page.waitForDeletion();
    runUntilIdle();
    EXPECT_TRUE(m_view.m_rows.empty());
    EXPECT_FALSE(fs::exists(artist / "城市微光 (Live)" / "夜色温柔.flac"));
    EXPECT_TRUE(fs::exists(artist / "城市微光 (Live)" / "cover.jpg"));
    EXPECT_TRUE(fs::exists(m_dir.path()));
}

}  // namespace
}  // namespace quorvo::app

namespace quorvo::app {
namespace {

class NoShell final : public WindowShell {
public:
    bool isWindowVisible() const override { return true; }
    void hideWindow() override { }
    void showWindow() override { }
    void minimiseWindow() override { }
    bool hasTrayHost() const override { return true; }
    void setFirstMenuCaption(const Text&) override { }
    void popUpMenu() override { }
    void openAuthorPage() override { }
    void requestClose() override { }
    void removeTrayIcon() override { }
    void quitLoop() override { }
};

TEST_F(DownloadControllerTest, ConfirmedExitWaitsForTheAbortAndLeavesTheResumablePartialFile)
{
    SettingsValues values = m_settings.values();
    values.speed = "20";
    m_settings.update(values);
    searchFor("Paper Lanterns");
    tickOnly({"9900002"});
    addTickedSongs(m_queue, m_settings, m_results, m_toast);
    const std::string partial = fileOf("The Velvet Orchard - Paper Lanterns.mp3.tmp");
    for (int i = 0; i < 2000 && !(fs::exists(partial) && fs::file_size(partial) > 10000); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(m_queue.isRunning());

    NoShell shell;
    int asked = 0;
    WindowMessages messages(shell,
                            {[&] { return m_queue.isRunning(); },
                             [&] {
                                 ++asked;
                                 return asked == 1 ? ExitAnswer::Keep : ExitAnswer::Exit;
                             },
                             [&] { m_queue.requestPause(); }});
    // "手贱了": nothing changes.
    EXPECT_FALSE(messages.closeRequested());
    EXPECT_TRUE(m_queue.isRunning());
    // "是的": the close goes on; the transfer loop acknowledges well within the wait.
    EXPECT_TRUE(messages.closeRequested());
    EXPECT_TRUE(messages.stopStartedOnExit());
    EXPECT_TRUE(m_queue.waitUntilIdle(exitWait));
    ASSERT_TRUE(fs::exists(partial));
    EXPECT_GT(fs::file_size(partial), 0u);
    EXPECT_FALSE(fs::exists(fileOf("The Velvet Orchard - Paper Lanterns.mp3")));
    runUntilIdle();
    EXPECT_EQ(m_view.m_rows.at(0).status, Text(download::status::stopped));
}

}  // namespace
}  // namespace quorvo::app
