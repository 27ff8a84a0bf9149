// The download list survives the window's death: quorvo on a bare X server
// against the reference service, killed with SIGKILL at seeded moments while
// songs are added, deleted, transferred and finished, and started again on
// what it left. Every wait is for a state, with a limit.

#include "QuorvoOnX.h"
#include "app/cli/QueueListing.h"
#include "download/QueueStore.h"
#include "platform/Files.h"
#include "service/FileNames.h"

#include <csignal>
#include <map>
#include <random>
#include <set>

namespace quorvo::app::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using namespace quorvo::download;

constexpr std::string_view linkPath = "/app/link/getLinks.php";
constexpr int firstRowY = 126;
constexpr int rowHeight = 21;
constexpr int rowCheckX = 17;
// The tabs' centres.
constexpr int searchTab = 145;
constexpr int downloadTab = 205;

enum class Moment { Adding, Deleting, Transferring, Finishing };

const char* nameOf(Moment moment)
{
    switch (moment) {
    case Moment::Adding:
        return "adding";
    case Moment::Deleting:
        return "deleting";
    case Moment::Transferring:
        return "transferring";
    case Moment::Finishing:
        return "finishing";
    }
    return "";
}

// Finished and failed rows stay as they are.
bool isFinal(const TaskState& state)
{
    return std::holds_alternative<Completed>(state) || std::holds_alternative<Failed>(state);
}

class QueueKill : public QuorvoOnX {
protected:
    void SetUp() override
    {
        QuorvoOnX::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        fs::copy_file(QUORVO_CLI_EXECUTABLE, m_dir.path() / "quorvo-cli");
    }

    [[nodiscard]] std::string store() const { return (m_dir.path() / "queue.db").string(); }
    [[nodiscard]] QueueStore::Read saved() const { return QueueStore::read(store()); }
    // Downloads held at `speed` KB/s so that a transfer is still running when the kill comes.
    void startWindow(int speed)
    {
        fs::remove(m_dir.path() / "quorvo.log");
        m_page = searchTab;
        start("[Main]\npath=" + saveDirectory()
              + "\nsType=0\nlrc=1\nwav=0\nbypass=0\ndelete=0\nspeed=" + std::to_string(speed) + "\n");
    }
    void killWindow()
    {
        ASSERT_TRUE(m_quorvo);
        ASSERT_EQ(::kill(m_quorvo->pid(), SIGKILL), 0);
        ASSERT_TRUE(m_quorvo->waitForExit(limit).has_value()) << "the window outlived SIGKILL";
        m_quorvo.reset();
        m_window = 0;
    }
    // Requests to `pathStart`… that got an answer with a body.
    [[nodiscard]] std::size_t answered(std::string_view pathStart) const
    {
        std::size_t found = 0;
        for (const auto& entry : m_server.requestLog())
            found += entry.path().starts_with(pathStart) && entry.bodyBytes > 0 ? 1 : 0;
        return found;
    }
    // Waits until the service has logged what a killed window sent it: the
    // log reads the same five times 20 ms apart.
    bool serviceSettled()
    {
        std::size_t last = 0;
        int same = 0;
        return quorvo::test::waitFor(
            [&] {
                const std::size_t now = m_server.requestLog().size();
                same = now == last ? same + 1 : 0;
                last = now;
                return same >= 4;
            },
            limit);
    }
    [[nodiscard]] std::string cliQueue() const
    {
        std::string out;
        EXPECT_EQ(quorvo::test::runProgram({(m_dir.path() / "quorvo-cli").string(), "queue"}, {}, &out), 0);
        return out;
    }
    const std::string& serverSong(const DownloadTask& task)
    {
        const std::string file = task.songId.str() + service::songExtension(task.quality).str();
        auto found = m_songs.find(file);
        if (found == m_songs.end())
            found = m_songs.emplace(file, m_server.get("/data2/music/" + task.songId.str() + "/" + file).body).first;
        return found->second;
    }
    // Every finished row's file is the server's, byte for byte.
    void expectFinishedFilesIdentical(const std::vector<DownloadTask>& rows)
    {
        for (const DownloadTask& task : rows) {
            if (!std::holds_alternative<Completed>(task.state))
                continue;
            const fs::path song = platform::nativePath(task.paths.song);
            ASSERT_TRUE(fs::is_regular_file(song)) << song;
            EXPECT_TRUE(quorvo::test::readWholeFile(song) == serverSong(task)) << song << " differs from the server's";
        }
    }
    void search(const std::string& query)
    {
        click(200, 102);
        for (int i = 0; i < 24; ++i)
            key("BackSpace");
        type(query);
        key("Return");
        ASSERT_TRUE(searched(++m_searches));
    }
    // Adds the songs a search finds; the seeded kill may come while they go in.
    void add(const std::string& query)
    {
        ASSERT_NO_FATAL_FAILURE(showPage(searchTab));
        ASSERT_NO_FATAL_FAILURE(search(query));
        click(32, 622);   // 全选
        click(100, 620);  // add
    }
    [[nodiscard]] bool unfinished() const
    {
        const std::vector<DownloadTask> rows = saved().rows;
        return std::any_of(rows.begin(), rows.end(), [](const DownloadTask& task) { return isClaimable(task.state); });
    }
    // A row for a worker to take: songs deleted earlier come back, or
    // others are added. When every song of the catalogue's small ones is
    // finished, the moment is a kill of an idle window.
    void ensureUnfinished()
    {
        for (const char* query : {"Rate Tester", "Twin Title", "Wordless", "夜色"}) {
            if (unfinished())
                return;
            ASSERT_NO_FATAL_FAILURE(add(query));
            // An add of songs already there brings nothing: the next query then.
            quorvo::test::waitFor([&] { return unfinished(); }, 5s);
        }
    }
    void showPage(int x)
    {
        if (m_page == x)
            return;
        m_page = x;
        const ScreenArea before = windowArea(5, 86, 400, 500);
        click(x, 63);
        changes(before);
        ASSERT_TRUE(settled(5, 86, 400, 500));
    }

    std::map<std::string, std::string> m_songs;
    std::size_t m_searches = 0;
    int m_page = searchTab;  // the tab shown
};

TEST_P(QueueKill, RowsAndFinishedFilesSurviveTwentyKillsAtSeededMoments)
{
    std::mt19937 random(20261210);
    std::vector<DownloadTask> before;  // the store when the window was last killed
    for (int cycle = 0; cycle < 20; ++cycle) {
        const Moment moment = static_cast<Moment>(cycle % 4);
        SCOPED_TRACE("kill " + std::to_string(cycle + 1) + ", while " + nameOf(moment));
        ASSERT_TRUE(serviceSettled());
        const std::size_t links = answered(linkPath);

        // Fast enough to finish a song within the wait, slow enough that
        // the kill comes before the next few finish too.
        ASSERT_NO_FATAL_FAILURE(startWindow(moment == Moment::Finishing ? 2000 : 150));
        // The window starts on what the last one left, says nothing about it,
        // and fetches nothing without the user's word.
        EXPECT_EQ(errors().find("download list"), std::string::npos) << errors();
        std::vector<DownloadTask> settled = before;
        settleForRestart(settled);
        std::string expected;
        for (const DownloadTask& task : settled)
            expected += cli::queueLine(task) + "\n";
        EXPECT_EQ(cliQueue(), expected);
        // A worker that started by itself would have claimed a row by now.
        EXPECT_EQ(saved().rows, before) << "a start changed the kept rows";
        // What a killed window asked for may reach the log late, cut short:
        // only complete answers count here.
        EXPECT_EQ(answered(linkPath), links) << "a song was fetched without the user's word\n"
                                             << m_server.requestLogText();

        // The kill's moment within the step: a seeded pause, not a wait for a state.
        std::uniform_int_distribution<int> delay(0, 600);
        switch (moment) {
        case Moment::Adding: {
            // Small songs (under a megabyte), one whose link is not JSON (a failed row), two
            // with the same name (one row), and one without lyrics.
            static const char* const queries[] = {"Rate Tester", "Link Html", "夜色", "Twin Title", "Wordless"};
            ASSERT_NO_FATAL_FAILURE(add(queries[cycle / 4]));
            std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
            break;
        }
        case Moment::Deleting: {
            if (saved().rows.size() < 6) {
                ASSERT_NO_FATAL_FAILURE(add("Rate Tester"));
                ASSERT_TRUE(quorvo::test::waitFor([&] { return saved().rows.size() >= 6; }, limit));
            }
            ASSERT_NO_FATAL_FAILURE(showPage(downloadTab));
            const std::size_t rows = saved().rows.size();
            for (std::size_t row = 0; row < std::min<std::size_t>(rows, 18); row += 2 + random() % 3)
                click(rowCheckX, firstRowY + rowHeight * static_cast<int>(row));
            const auto others = otherWindows();
            click(75, 101);  // delete
            const unsigned long box = newWindow(others);
            ASSERT_NE(box, 0u) << "delete asked nothing";
            const auto place = m_desktop->place(box);
            ASSERT_TRUE(place);
            // "确认", left of "取消" at the box's bottom right.
            ASSERT_EQ(
                m_desktop->xdotool({"mousemove", "--window", std::to_string(box), std::to_string(place->width - 115),
                                    std::to_string(place->height - 23), "click", "1"}),
                0);
            const bool deleted = quorvo::test::waitFor([&] { return saved().rows.size() < rows; }, limit);
            if (!deleted)
                savePicture(windowArea(0, 0, 410, 650), "queue-kill-not-deleted");
            ASSERT_TRUE(deleted) << "the deletion reached nothing";
            std::this_thread::sleep_for(std::chrono::milliseconds(delay(random) / 4));
            break;
        }
        case Moment::Transferring: {
            ASSERT_NO_FATAL_FAILURE(ensureUnfinished());
            ASSERT_NO_FATAL_FAILURE(showPage(downloadTab));
            const auto songRequests = [&] {
                std::size_t found = 0;
                for (const auto& entry : m_server.requestLog())
                    found += entry.path().starts_with("/data2/music/") ? 1 : 0;
                return found;
            };
            const std::size_t before = songRequests();
            if (!unfinished())
                break;
            click(25, 101);  // start
            // A small song may end before its first progress report: its
            // request, or no song left to fetch, shows the transfer too.
            ASSERT_TRUE(quorvo::test::waitFor([&] {
                for (const DownloadTask& task : saved().rows) {
                    if (std::holds_alternative<Transferring>(task.state))
                        return true;
                }
                return songRequests() > before || !unfinished();
            })) << "no transfer began\n"
                << cliQueue();
            std::this_thread::sleep_for(std::chrono::milliseconds(delay(random) * 2));
            break;
        }
        case Moment::Finishing: {
            const auto finished = [&] {
                std::size_t done = 0;
                for (const DownloadTask& task : saved().rows)
                    done += std::holds_alternative<Completed>(task.state) ? 1 : 0;
                return done;
            };
            ASSERT_NO_FATAL_FAILURE(ensureUnfinished());
            ASSERT_NO_FATAL_FAILURE(showPage(downloadTab));
            const std::size_t already = finished();
            if (!unfinished())
                break;
            click(25, 101);  // start
            // Killed as the song gets its final name, or soon after.
            ASSERT_TRUE(quorvo::test::waitFor([&] { return finished() > already || !unfinished(); }, limit))
                << "nothing finished";
            std::this_thread::sleep_for(std::chrono::milliseconds(delay(random) / 20));
            break;
        }
        }
        const std::vector<DownloadTask> acknowledged = saved().rows;
        ASSERT_NO_FATAL_FAILURE(killWindow());

        const QueueStore::Read after = saved();
        EXPECT_EQ(after.notice, "") << "the store did not survive the kill";
        // What the store held just before the kill is there, bar the changes
        // still running when it came: nothing goes back, nothing is lost but
        // the rows a deletion was removing.
        std::map<uint64_t, const DownloadTask*> kept;
        for (const DownloadTask& task : after.rows)
            kept[task.id] = &task;
        for (const DownloadTask& task : acknowledged) {
            const auto found = kept.find(task.id);
            if (found == kept.end()) {
                EXPECT_EQ(moment, Moment::Deleting) << task.name.str() << " vanished";
                continue;
            }
            EXPECT_EQ(found->second->name, task.name);
            if (isFinal(task.state)) {
                EXPECT_EQ(found->second->state, task.state) << task.name.str();
            }
        }
        std::set<std::string> names;
        for (const DownloadTask& task : after.rows)
            EXPECT_TRUE(names.insert(task.name.str()).second) << task.name.str() << " twice";
        ASSERT_NO_FATAL_FAILURE(expectFinishedFilesIdentical(after.rows));
        before = after.rows;
    }

    // At last the user presses start: every unfinished row is fetched, and
    // every file is the server's.
    ASSERT_NO_FATAL_FAILURE(startWindow(0));
    ASSERT_NO_FATAL_FAILURE(showPage(downloadTab));
    click(25, 101);
    ASSERT_TRUE(quorvo::test::waitFor(
        [&] {
            const std::vector<DownloadTask> rows = saved().rows;
            return std::all_of(rows.begin(), rows.end(), [](const DownloadTask& task) { return isFinal(task.state); });
        },
        120s))
        << cliQueue();
    const std::vector<DownloadTask> rows = saved().rows;
    EXPECT_GE(std::count_if(rows.begin(), rows.end(),
                            [](const DownloadTask& task) { return std::holds_alternative<Completed>(task.state); }),
              1);
    ASSERT_NO_FATAL_FAILURE(expectFinishedFilesIdentical(rows));
    EXPECT_EQ(m_quorvo->stop(), 0);
}

INSTANTIATE_TEST_SUITE_P(Desktops, QueueKill, ::testing::Values(XDesktop::Manager::None), managerName);

}  // namespace
}  // namespace quorvo::app::test
