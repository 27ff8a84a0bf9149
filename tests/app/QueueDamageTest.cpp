// A kept download list that is damaged or belongs to another program never
// stops the window: it starts with what could be read, the file is set aside
// beside it, and one line on its error output says so.

#include "QuorvoOnX.h"
#include "download/QueueStore.h"

#include <sqlite3.h>

namespace quorvo::app::test {
namespace {

namespace fs = std::filesystem;
using namespace quorvo::download;

class QueueDamage : public QuorvoOnX {
protected:
    [[nodiscard]] std::string store() const { return (m_dir.path() / "queue.db").string(); }
    // A list of `count` finished songs, as a window leaves it.
    void saveRows(uint64_t count) const
    {
        QueueStore::Opened opened = QueueStore::open(store());
        ASSERT_TRUE(opened.store);
        for (uint64_t id = 1; id <= count; ++id) {
            DownloadTask task;
            task.id = id;
            task.name = Text("Artist - Song " + std::to_string(id));
            task.quality = "flac";
            task.songId = std::to_string(9900000 + id);
            task.lyricUrl = Text("http://127.0.0.1/lrc/" + std::string(200, 'x'));
            task.state = Completed {};
            opened.store->rowAdded(task);
        }
    }
    [[nodiscard]] std::vector<std::string> asideFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir.path())) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("queue.db.damaged-") || name.starts_with("queue.db.foreign-"))
                names.push_back(name);
        }
        return names;
    }
    // Starts the window on the store as it is now and waits for its one line about it.
    std::string startAndReadTheMessage(const std::string& expected)
    {
        start("[Main]\npath=" + saveDirectory() + "\nsType=0\nlrc=1\nwav=0\nbypass=0\ndelete=0\nspeed=0\n");
        EXPECT_TRUE(quorvo::test::waitFor([&] { return errors().find(expected) != std::string::npos; }, limit))
            << errors();
        EXPECT_TRUE(m_quorvo->running());
        const std::string said = errors();
        EXPECT_EQ(m_quorvo->stop(), 0);
        m_quorvo.reset();
        m_window = 0;
        return said;
    }
};

TEST_P(QueueDamage, ATruncatedZeroFilledOrForeignListStartsTheWindowWithAMessage)
{
    // Truncated: the rows before the cut are kept.
    ASSERT_NO_FATAL_FAILURE(saveRows(400));
    fs::resize_file(store(), fs::file_size(store()) / 2);
    std::string said = startAndReadTheMessage("was damaged");
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    const std::size_t kept = QueueStore::read(store()).rows.size();
    EXPECT_GT(kept, 0u);
    EXPECT_LT(kept, 400u);
    EXPECT_NE(said.find(std::to_string(kept) + " rows"), std::string::npos) << said;
    EXPECT_EQ(asideFiles().size(), 1u);

    // Zero-filled: nothing is kept, the zeros are set aside.
    fs::remove(m_dir.path() / "quorvo.log");
    const auto size = fs::file_size(store());
    quorvo::test::writeWholeFile(store(), std::string(size, '\0'));
    said = startAndReadTheMessage("was damaged");
    EXPECT_NE(said.find("0 rows"), std::string::npos) << said;
    EXPECT_TRUE(QueueStore::read(store()).rows.empty());
    EXPECT_EQ(asideFiles().size(), 2u);

    // Another program's database: set aside untouched.
    fs::remove(m_dir.path() / "quorvo.log");
    fs::remove(store());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(store().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('mine')", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const std::string foreign = quorvo::test::readWholeFile(store());
    said = startAndReadTheMessage("is not a quorvo download list");
    const std::vector<std::string> aside = asideFiles();
    const auto moved = std::find_if(aside.begin(), aside.end(),
                                    [](const std::string& name) { return name.starts_with("queue.db.foreign-"); });
    ASSERT_NE(moved, aside.end());
    EXPECT_EQ(quorvo::test::readWholeFile(m_dir.path() / *moved), foreign);
    EXPECT_EQ(QueueStore::read(store()).notice, "") << "the new list is the window's own";
}

INSTANTIATE_TEST_SUITE_P(Desktops, QueueDamage, ::testing::Values(XDesktop::Manager::None), managerName);

}  // namespace
}  // namespace quorvo::app::test
