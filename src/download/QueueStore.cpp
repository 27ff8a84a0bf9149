#include "download/QueueStore.h"

#include "platform/Files.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quorvo::download {

namespace {

using namespace std::chrono_literals;

// "QvDL": tells our file from any other SQLite database.
constexpr int applicationId = 0x5176444C;
constexpr int schemaVersion = 1;

constexpr const char* createSchema = "CREATE TABLE tasks ("
                                     " id INTEGER PRIMARY KEY,"
                                     " position INTEGER NOT NULL,"
                                     " name BLOB NOT NULL,"
                                     " quality BLOB NOT NULL,"
                                     " size BLOB NOT NULL,"
                                     " song_id BLOB NOT NULL,"
                                     " lyric_url BLOB NOT NULL,"
                                     " song_path BLOB NOT NULL,"
                                     " lyric_path BLOB NOT NULL,"
                                     " partial_path BLOB NOT NULL,"
                                     " state INTEGER NOT NULL,"
                                     " done INTEGER NOT NULL,"
                                     " total INTEGER NOT NULL,"
                                     " failure TEXT NOT NULL,"
                                     " http_status INTEGER NOT NULL,"
                                     " title BLOB NOT NULL,"
                                     " artist BLOB NOT NULL,"
                                     " album BLOB NOT NULL);"
                                     "PRAGMA application_id = 1366705228;"
                                     "PRAGMA user_version = 1;";
static_assert(applicationId == 1366705228);

constexpr const char* selectRows
    = "SELECT id, position, name, quality, size, song_id, lyric_url, song_path, "
      "lyric_path, partial_path, state, done, total, failure, http_status, title, artist, album FROM tasks";
constexpr const char* insertRow
    = "INSERT OR REPLACE INTO tasks (id, position, name, quality, size, song_id, "
      "lyric_url, song_path, lyric_path, partial_path, state, done, total, failure, "
      "http_status, title, artist, album) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, "
      "?16, ?17, ?18)";
constexpr const char* updateRow = "UPDATE tasks SET name = ?3, quality = ?4, size = ?5, song_id = ?6, lyric_url = ?7, "
                                  "song_path = ?8, lyric_path = ?9, partial_path = ?10, state = ?11, done = ?12, "
                                  "total = ?13, failure = ?14, http_status = ?15, title = ?16, artist = ?17, "
                                  "album = ?18 WHERE id = ?1";
constexpr const char* deleteRow = "DELETE FROM tasks WHERE id = ?1";

// Stored numbers of the states; never renumber them.
enum class StateCode { Waiting = 0, Claimed = 1, Transferring = 2, Completed = 3, Failed = 4, Stopped = 5 };

StateCode codeOf(const TaskState& state)
{
    return static_cast<StateCode>(state.index());
}
static_assert(std::variant_size_v<TaskState> == 6, "a new state needs its stored code");
static_assert(std::is_same_v<std::variant_alternative_t<2, TaskState>, Transferring>);
static_assert(std::is_same_v<std::variant_alternative_t<5, TaskState>, Stopped>);

// Stored names of the reasons: the enum's order may change, the file's words may not.
std::string_view failureName(FailureKind kind)
{
    switch (kind) {
    case FailureKind::None:
        return "";
    case FailureKind::NoSpace:
        return "no-space";
    case FailureKind::PermissionDenied:
        return "permission-denied";
    case FailureKind::ReadOnlyDisk:
        return "read-only-disk";
    case FailureKind::DiskError:
        return "disk-error";
    case FailureKind::HttpStatus:
        return "http-status";
    case FailureKind::NoAnswer:
        return "no-answer";
    case FailureKind::ServerStopped:
        return "server-stopped";
    case FailureKind::DamagedFile:
        return "damaged-file";
    case FailureKind::EmptyReply:
        return "empty-reply";
    case FailureKind::EncodedReply:
        return "encoded-reply";
    case FailureKind::BusyElsewhere:
        return "busy-elsewhere";
    case FailureKind::NoLink:
        return "no-link";
    case FailureKind::TagsNotWritten:
        return "tags-not-written";
    }
    return "";
}

FailureKind failureKindNamed(std::string_view name)
{
    // Past the last kind there is room for kinds added later.
    for (int kind = 0; kind < 64; ++kind) {
        const auto candidate = static_cast<FailureKind>(kind);
        if (!failureName(candidate).empty() && failureName(candidate) == name)
            return candidate;
    }
    return FailureKind::None;
}

TaskState stateFrom(int64_t code, int64_t done, int64_t total, const FailureReason& reason)
{
    switch (static_cast<StateCode>(code)) {
    case StateCode::Waiting:
        return Waiting {};
    case StateCode::Claimed:
        return Claimed {};
    case StateCode::Transferring:
        return Transferring {done, total, 0};
    case StateCode::Completed:
        return Completed {reason};
    case StateCode::Failed:
        return Failed {reason};
    case StateCode::Stopped:
        return Stopped {reason, done, total};
    }
    return Waiting {};
}

Text blobText(sqlite3_stmt* statement, int column)
{
    const void* bytes = sqlite3_column_blob(statement, column);
    const int size = sqlite3_column_bytes(statement, column);
    if (!bytes || size <= 0)
        return {};
    return Text(std::string_view(static_cast<const char*>(bytes), static_cast<std::size_t>(size)));
}

void bindText(sqlite3_stmt* statement, int index, const Text& text)
{
    sqlite3_bind_blob(statement, index, text.view().data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

void bindRow(sqlite3_stmt* statement, const DownloadTask& task)
{
    sqlite3_bind_int64(statement, 1, static_cast<sqlite3_int64>(task.id));
    bindText(statement, 3, task.name);
    bindText(statement, 4, task.quality);
    bindText(statement, 5, task.size);
    bindText(statement, 6, task.songId);
    bindText(statement, 7, task.lyricUrl);
    bindText(statement, 8, task.paths.song);
    bindText(statement, 9, task.paths.lyric);
    bindText(statement, 10, task.paths.partial);
    sqlite3_bind_int(statement, 11, static_cast<int>(codeOf(task.state)));
    int64_t done = 0;
    int64_t total = 0;
    if (const auto* moving = std::get_if<Transferring>(&task.state)) {
        done = moving->done;
        total = moving->total;
    } else if (const auto* stopped = std::get_if<Stopped>(&task.state)) {
        done = stopped->done;
        total = stopped->total;
    }
    sqlite3_bind_int64(statement, 12, done);
    sqlite3_bind_int64(statement, 13, total);
    const FailureReason reason = reasonOf(task.state);
    const std::string_view name = failureName(reason.kind);
    sqlite3_bind_text(statement, 14, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
    sqlite3_bind_int64(statement, 15, reason.kind == FailureKind::HttpStatus ? reason.httpStatus : 0);
    bindText(statement, 16, task.title);
    bindText(statement, 17, task.artist);
    bindText(statement, 18, task.album);
}

// Runs a statement to its end; false on any error.
bool step(sqlite3_stmt* statement)
{
    int result = SQLITE_ROW;
    while (result == SQLITE_ROW)
        result = sqlite3_step(statement);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return result == SQLITE_DONE;
}

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, DbCloser>;

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

Db openDb(const std::string& path, int flags)
{
    sqlite3* raw = nullptr;
    const int result = sqlite3_open_v2(path.c_str(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    Db db(raw);
    if (result != SQLITE_OK)
        return nullptr;
    sqlite3_busy_timeout(raw, 5000);
    return db;
}

Statement prepareStatement(sqlite3* db, const char* sql)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr) != SQLITE_OK)
        return nullptr;
    return Statement(raw);
}

std::optional<int64_t> pragmaNumber(sqlite3* db, const char* sql)
{
    const Statement statement = prepareStatement(db, sql);
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW)
        return std::nullopt;
    return sqlite3_column_int64(statement.get(), 0);
}

enum class Verdict {
    Ours,     // our store: rows read whole
    Fresh,    // empty or missing: a new store
    Damaged,  // unreadable in part or whole
    Foreign,  // another program's database
    Newer,    // ours, written by a newer version of the program
};

struct Examined {
    Verdict verdict = Verdict::Fresh;
    std::vector<std::pair<int64_t, DownloadTask>> rows;  // with their positions
    int64_t lastPosition = 0;
};

// Reads every row it can; false at the first error (what came before is kept).
bool readRows(sqlite3* db, Examined& into)
{
    const Statement statement = prepareStatement(db, selectRows);
    if (!statement)
        return false;
    if (const std::optional<int64_t> count = pragmaNumber(db, "SELECT count(*) FROM tasks"); count && *count > 0)
        into.rows.reserve(static_cast<std::size_t>(*count));
    sqlite3_stmt* row = statement.get();
    for (;;) {
        const int result = sqlite3_step(row);
        if (result == SQLITE_DONE)
            return true;
        if (result != SQLITE_ROW)
            return false;
        DownloadTask task;
        task.id = static_cast<uint64_t>(sqlite3_column_int64(row, 0));
        const int64_t position = sqlite3_column_int64(row, 1);
        task.name = blobText(row, 2);
        task.quality = blobText(row, 3);
        task.size = blobText(row, 4);
        task.songId = blobText(row, 5);
        task.lyricUrl = blobText(row, 6);
        task.paths.song = blobText(row, 7);
        task.paths.lyric = blobText(row, 8);
        task.paths.partial = blobText(row, 9);
        task.title = blobText(row, 15);
        task.artist = blobText(row, 16);
        task.album = blobText(row, 17);
        FailureReason reason;
        const auto* failure = reinterpret_cast<const char*>(sqlite3_column_text(row, 13));
        reason.kind = failureKindNamed(failure ? failure : "");
        if (reason.kind == FailureKind::HttpStatus)
            reason.httpStatus = static_cast<long>(sqlite3_column_int64(row, 14));
        task.state = stateFrom(sqlite3_column_int64(row, 10), sqlite3_column_int64(row, 11),
                               sqlite3_column_int64(row, 12), reason);
        if (task.id == 0)
            continue;
        into.lastPosition = std::max(into.lastPosition, position);
        into.rows.emplace_back(position, std::move(task));
    }
}

bool hasTables(sqlite3* db, bool& any)
{
    const std::optional<int64_t> count = pragmaNumber(db, "SELECT count(*) FROM sqlite_master");
    if (!count)
        return false;
    any = *count > 0;
    return true;
}

// What the file at `path` holds, read through `db`.
Examined examine(sqlite3* db)
{
    Examined result;
    const std::optional<int64_t> id = pragmaNumber(db, "PRAGMA application_id");
    const std::optional<int64_t> version = pragmaNumber(db, "PRAGMA user_version");
    bool anyTable = false;
    if (!id || !version || !hasTables(db, anyTable)) {
        result.verdict = Verdict::Damaged;
        return result;
    }
    if (*id == 0 && !anyTable) {
        result.verdict = Verdict::Fresh;
        return result;
    }
    if (*id != applicationId) {
        result.verdict = Verdict::Foreign;
        return result;
    }
    if (*version > schemaVersion) {
        result.verdict = Verdict::Newer;
        return result;
    }
    result.verdict = readRows(db, result) ? Verdict::Ours : Verdict::Damaged;
    return result;
}

// A damaged file read as far as it goes. writable_schema lets SQLite open a
// file shorter than its header says (a truncated copy) instead of refusing it.
void salvage(const std::string& path, Examined& into)
{
    const Db db = openDb(path, SQLITE_OPEN_READONLY);
    if (!db)
        return;
    sqlite3_exec(db.get(), "PRAGMA writable_schema = ON", nullptr, nullptr, nullptr);
    Examined again;
    readRows(db.get(), again);
    if (again.rows.size() > into.rows.size())
        into = std::move(again);
    into.verdict = Verdict::Damaged;
}

std::vector<DownloadTask> inOrder(std::vector<std::pair<int64_t, DownloadTask>>& rows)
{
    const auto byPosition = [](const auto& a, const auto& b) { return a.first < b.first; };
    // Rows are mostly appended with rising ids, so the file's order is usually the list's.
    if (!std::is_sorted(rows.begin(), rows.end(), byPosition))
        std::stable_sort(rows.begin(), rows.end(), byPosition);
    std::vector<DownloadTask> tasks;
    tasks.reserve(rows.size());
    for (auto& [position, task] : rows)
        tasks.push_back(std::move(task));
    return tasks;
}

bool fileExists(const std::string& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0;
}

// "PATH.damaged-20261210-041500" (local time), numbered when taken.
std::string asideName(const std::string& path, const char* why)
{
    char stamp[32] = "";
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    if (localtime_r(&now, &local))
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path + "." + why + "-" + stamp;
    std::string name = base;
    for (int number = 2; fileExists(name) || fileExists(name + "-wal"); ++number)
        name = base + "-" + std::to_string(number);
    return name;
}

// Moves the store and its log aside together: a log left behind would be
// replayed into the new store. The shared-memory index is rebuilt from the log.
bool moveAside(const std::string& path, const std::string& aside)
{
    if (std::rename(path.c_str(), aside.c_str()) != 0)
        return false;
    struct stat log { };
    if (::stat((path + "-wal").c_str(), &log) == 0) {
        if (log.st_size > 0)
            std::rename((path + "-wal").c_str(), (aside + "-wal").c_str());
        else
            ::unlink((path + "-wal").c_str());
    }
    ::unlink((path + "-shm").c_str());
    return true;
}

bool configure(sqlite3* db)
{
    const Statement mode = prepareStatement(db, "PRAGMA journal_mode = WAL");
    if (!mode || sqlite3_step(mode.get()) != SQLITE_ROW)
        return false;
    return sqlite3_exec(db, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool writeAll(sqlite3* db, const std::vector<DownloadTask>& rows, int64_t& lastPosition)
{
    if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return false;
    const Statement insert = prepareStatement(db, insertRow);
    bool ok = insert != nullptr;
    for (std::size_t i = 0; ok && i < rows.size(); ++i) {
        bindRow(insert.get(), rows[i]);
        sqlite3_bind_int64(insert.get(), 2, static_cast<sqlite3_int64>(i + 1));
        ok = step(insert.get());
    }
    if (!ok) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    lastPosition = static_cast<int64_t>(rows.size());
    return sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::size_t fieldsHash(const DownloadTask& task)
{
    std::size_t hash = 0;
    const auto mix
        = [&hash](const Text& text) { hash = hash * 1000003u ^ std::hash<std::string_view> {}(text.view()); };
    mix(task.name);
    mix(task.quality);
    mix(task.size);
    mix(task.songId);
    mix(task.lyricUrl);
    mix(task.paths.song);
    mix(task.paths.lyric);
    mix(task.paths.partial);
    return hash;
}

}  // namespace

void settleForRestart(std::vector<DownloadTask>& rows)
{
    for (DownloadTask& task : rows) {
        if (!std::holds_alternative<Claimed>(task.state) && !std::holds_alternative<Transferring>(task.state))
            continue;
        Stopped settled;
        const auto* moving = std::get_if<Transferring>(&task.state);
        const int64_t partial = task.paths.partial.empty() ? -1 : platform::fileSize(task.paths.partial);
        if (moving && moving->total > 0 && partial >= 0) {
            settled.total = moving->total;
            settled.done = std::min(partial, moving->total);
        }
        task.state = settled;
    }
}

QueueStore::Opened QueueStore::open(const std::string& path)
{
    Opened opened;
    UniqueFd lock(::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (lock.valid() && ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0) {
        opened.busy = true;
        opened.notice = "the download list " + path + " is in use by another quorvo; this run's list is not kept";
        return opened;
    }

    Examined found;
    Db db = openDb(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (db)
        found = examine(db.get());
    else
        found.verdict = Verdict::Damaged;
    if (found.verdict == Verdict::Damaged) {
        db.reset();
        salvage(path, found);
    }

    std::string aside;
    if (found.verdict == Verdict::Damaged || found.verdict == Verdict::Foreign || found.verdict == Verdict::Newer) {
        db.reset();
        aside = asideName(path, found.verdict == Verdict::Damaged ? "damaged" : "foreign");
        if (!moveAside(path, aside)) {
            opened.rows = inOrder(found.rows);
            opened.notice = "the download list " + path + " cannot be read or replaced (" + std::strerror(errno)
                + "); this run's list is not kept";
            return opened;
        }
        db = openDb(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    }
    if (found.verdict == Verdict::Damaged) {
        opened.notice = "the download list " + path + " was damaged; " + std::to_string(found.rows.size())
            + " rows could be read and are kept, the damaged file is now " + aside;
    } else if (found.verdict == Verdict::Foreign) {
        found.rows.clear();
        opened.notice = path + " is not a quorvo download list; it is now " + aside + " and the list starts empty";
    } else if (found.verdict == Verdict::Newer) {
        found.rows.clear();
        opened.notice = "the download list " + path + " was written by a newer quorvo; it is now " + aside
            + " and the list starts empty";
    }

    opened.rows = inOrder(found.rows);
    const bool created = found.verdict != Verdict::Ours;
    int64_t lastPosition = found.lastPosition;
    if (!db || !configure(db.get())
        || (created
            && (sqlite3_exec(db.get(), createSchema, nullptr, nullptr, nullptr) != SQLITE_OK
                || !writeAll(db.get(), opened.rows, lastPosition)))) {
        const std::string why = db ? sqlite3_errmsg(db.get()) : "cannot be opened";
        if (opened.notice.empty())
            opened.notice
                = "the download list " + path + " cannot be written (" + why + "); this run's list is not kept";
        return opened;
    }
    opened.store.reset(new QueueStore(db.release(), std::move(lock), lastPosition));
    if (!opened.store->prepare()) {
        opened.store.reset();
        opened.notice = "the download list " + path + " cannot be written; this run's list is not kept";
    }
    return opened;
}

QueueStore::Read QueueStore::read(const std::string& path)
{
    Read result;
    if (!fileExists(path)) {
        result.missing = true;
        return result;
    }
    Examined found;
    {
        const Db db = openDb(path, SQLITE_OPEN_READONLY);
        if (db)
            found = examine(db.get());
        else
            found.verdict = Verdict::Damaged;
    }
    if (found.verdict == Verdict::Damaged) {
        salvage(path, found);
        result.notice
            = "the download list " + path + " is damaged; " + std::to_string(found.rows.size()) + " rows could be read";
    } else if (found.verdict == Verdict::Foreign) {
        result.notice = path + " is not a quorvo download list";
    } else if (found.verdict == Verdict::Newer) {
        result.notice = "the download list " + path + " was written by a newer quorvo";
    }
    if (found.verdict == Verdict::Ours || found.verdict == Verdict::Damaged)
        result.rows = inOrder(found.rows);
    return result;
}

QueueStore::QueueStore(sqlite3* db, UniqueFd lock, int64_t lastPosition)
    : m_db(db)
    , m_lock(std::move(lock))
    , m_lastPosition(lastPosition)
{ }

QueueStore::~QueueStore()
{
    flush();
    sqlite3_finalize(m_insert);
    sqlite3_finalize(m_update);
    sqlite3_finalize(m_delete);
    sqlite3_close_v2(m_db);
}

bool QueueStore::prepare()
{
    m_insert = prepareStatement(m_db, insertRow).release();
    m_update = prepareStatement(m_db, updateRow).release();
    m_delete = prepareStatement(m_db, deleteRow).release();
    return m_insert && m_update && m_delete;
}

void QueueStore::setClockForTesting(std::function<Clock::time_point()> now)
{
    const std::lock_guard lock(m_mutex);
    m_now = std::move(now);
}

QueueStore::Clock::time_point QueueStore::now() const
{
    return m_now ? m_now() : Clock::now();
}

uint64_t QueueStore::progressWrites() const
{
    const std::lock_guard lock(m_mutex);
    return m_progressWrites;
}

void QueueStore::insert(const DownloadTask& task)
{
    bindRow(m_insert, task);
    sqlite3_bind_int64(m_insert, 2, ++m_lastPosition);
    step(m_insert);
}

void QueueStore::update(const DownloadTask& task)
{
    bindRow(m_update, task);
    step(m_update);
    if (std::holds_alternative<Transferring>(task.state))
        ++m_progressWrites;
}

void QueueStore::rowAdded(const DownloadTask& task)
{
    const std::lock_guard lock(m_mutex);
    const Clock::time_point at = now();
    insert(task);
    m_written[task.id] = {static_cast<int>(codeOf(task.state)), fieldsHash(task), at};
    flushOlderThan(at - 1s);
}

void QueueStore::rowsRemoved(std::span<const uint64_t> taskIds)
{
    const std::lock_guard lock(m_mutex);
    const bool several = taskIds.size() > 1;
    if (several)
        sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr);
    for (const uint64_t id : taskIds) {
        sqlite3_bind_int64(m_delete, 1, static_cast<sqlite3_int64>(id));
        step(m_delete);
        m_written.erase(id);
        m_heldBack.erase(id);
    }
    if (several)
        sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    flushOlderThan(now() - 1s);
}

void QueueStore::rowChanged(const DownloadTask& task)
{
    const std::lock_guard lock(m_mutex);
    const Clock::time_point at = now();
    const int code = static_cast<int>(codeOf(task.state));
    const std::size_t hash = fieldsHash(task);
    Written& written = m_written[task.id];
    // Only progress waits: a new state, size or path is written at once.
    if (code == static_cast<int>(StateCode::Transferring) && written.stateCode == code && written.fieldsHash == hash
        && at - written.when < 1s) {
        m_heldBack.insert_or_assign(task.id, task);
    } else {
        update(task);
        written = {code, hash, at};
        m_heldBack.erase(task.id);
    }
    flushOlderThan(at - 1s);
}

void QueueStore::flushOlderThan(Clock::time_point limit)
{
    for (auto it = m_heldBack.begin(); it != m_heldBack.end();) {
        Written& written = m_written[it->first];
        if (written.when > limit) {
            ++it;
            continue;
        }
        update(it->second);
        written.when = now();
        it = m_heldBack.erase(it);
    }
}

void QueueStore::flush()
{
    const std::lock_guard lock(m_mutex);
    flushOlderThan(Clock::time_point::max());
}

}  // namespace quorvo::download
