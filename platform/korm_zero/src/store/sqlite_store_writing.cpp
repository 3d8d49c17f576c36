// Writing a whole model image, or the changes since the last write, in one transaction.

#include <string>

#include "../progress_counter.hpp"
#include "korm/zero/messages.hpp"
#include "packed_values.hpp"
#include "sqlite_store.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::store {

namespace {

constexpr char const* SCHEMA =
    "CREATE TABLE IF NOT EXISTS header (key TEXT PRIMARY KEY, value) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS packages (uri TEXT PRIMARY KEY) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS meta_ids (code INTEGER PRIMARY KEY, id BLOB NOT NULL UNIQUE);"
    "CREATE TABLE IF NOT EXISTS elements (id BLOB PRIMARY KEY, class INTEGER NOT NULL,"
    " container BLOB, feature INTEGER, position INTEGER, singles BLOB) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS members (element BLOB NOT NULL, property INTEGER NOT NULL,"
    " position INTEGER NOT NULL, kind INTEGER NOT NULL, data BLOB, proxy_class TEXT,"
    " proxy_model TEXT, PRIMARY KEY (element, property, position)) WITHOUT ROWID;";

/// The open write transaction: rolled back unless committed. A failed write also leaves the
/// store's code table unlike the file's, to be read again.
class WriteTransaction {
  public:
    WriteTransaction(SqliteConnection& db, MetaCodes& codes) : m_db(db), m_codes(codes) {
        // IMMEDIATE takes SQLite's write lock now, before anything is read.
        m_db.execute("BEGIN IMMEDIATE", Activity::WRITING);
        if (!m_codes.isCurrent()) {
            m_codes.load(m_db);
        }
    }
    WriteTransaction(WriteTransaction const&) = delete;
    WriteTransaction& operator=(WriteTransaction const&) = delete;
    ~WriteTransaction() {
        if (!m_committed) {
            sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
            m_codes.setCurrent(false);
        }
    }
    void commit() {
        m_codes.writeNew(m_db);
        m_db.execute("COMMIT", Activity::WRITING);
        m_committed = true;
    }

  private:
    SqliteConnection& m_db;
    MetaCodes& m_codes;
    bool m_committed = false;
};

}  // namespace

void SqliteStore::writeAll(ModelImage const& image, ProgressCounter& progress) {
    useWriteAheadLog();
    m_codes.setCurrent(true);  // not read: the write numbers afresh
    WriteTransaction transaction(m_db, m_codes);
    prepareForWriting();
    writeHeader(image.header, "INSERT INTO packages (uri) VALUES (?)");
    writeElements(image, "INSERT INTO elements VALUES (?, ?, ?, ?, ?, ?)", progress);
    writeMembers(image.values);
    progress.finish();
    transaction.commit();
}

void SqliteStore::writeChanges(ImageChanges const& changes, ProgressCounter& progress) {
    useWriteAheadLog();
    WriteTransaction transaction(m_db, m_codes);
    m_db.execute("DELETE FROM header WHERE key = 'model'", Activity::WRITING);
    writeHeader(changes.rewritten.header, "INSERT OR IGNORE INTO packages (uri) VALUES (?)");
    removeRows(changes, progress);
    writeElements(changes.rewritten, "INSERT OR REPLACE INTO elements VALUES (?, ?, ?, ?, ?, ?)",
                  progress);
    writeMembers(changes.rewritten.values);
    writePositions(changes.repositioned);
    progress.finish();
    transaction.commit();
}

// Write-ahead logging: a save appends its pages to the log and commits with one flush, where a
// rollback journal needs several; readers are never blocked. Full synchronisation keeps every
// save durable once it returns. The mode is stored in the file; a file that cannot take it
// (read-only) keeps its journal, which is just as safe.
void SqliteStore::useWriteAheadLog() {
    if (m_walChecked) {
        return;
    }
    SqliteStatement mode(m_db, "PRAGMA journal_mode = WAL", Activity::WRITING);
    mode.step();
    m_db.execute("PRAGMA synchronous = FULL", Activity::WRITING);
    m_walChecked = true;
}

void SqliteStore::prepareForWriting() {
    // A database of something else is never overwritten: only an empty file or a model file.
    bool const empty =
        m_db.queryInteger("SELECT count(*) FROM sqlite_master", Activity::WRITING) == 0;
    if (!empty && m_db.queryInteger("PRAGMA application_id", Activity::WRITING) != APPLICATION_ID) {
        reportException(korm0::messages::ModelFileCannotWrite(
            m_db.path(), std::string("it holds a database that is not a model file")));
    }
    m_db.execute(SCHEMA, Activity::WRITING);
    m_db.execute(
        "DELETE FROM header; DELETE FROM packages; DELETE FROM meta_ids; DELETE FROM elements;"
        "DELETE FROM members;",
        Activity::WRITING);
    m_codes.clear();
    std::string const marks = "PRAGMA application_id = " + std::to_string(APPLICATION_ID) +
                              "; PRAGMA user_version = " + std::to_string(FORMAT_VERSION);
    m_db.execute(marks.c_str(), Activity::WRITING);
}

void SqliteStore::writeHeader(StoredHeader const& header, char const* packageInsert) {
    SqliteStatement name(m_db, "INSERT INTO header (key, value) VALUES ('model', ?)",
                         Activity::WRITING);
    name.bindText(1, tarsk::core::text::toUtf8(header.modelName));
    name.run();
    SqliteStatement package(m_db, packageInsert, Activity::WRITING);
    for (auto const& uri : header.packageUris) {
        package.bindText(1, tarsk::core::text::toUtf8(uri));
        package.run();
    }
}

// Each element's row, its single values packed into it. The image lists an element's values
// after those of the elements before it (see ModelImage).
void SqliteStore::writeElements(ModelImage const& image, char const* insert,
                                ProgressCounter& progress) {
    SqliteStatement statement(m_db, insert, Activity::WRITING);
    auto value = image.values.begin();
    std::string singles;
    for (auto const& e : image.elements) {
        singles.clear();
        for (; value != image.values.end() && value->element == e.id; ++value) {
            if (!value->member) {
                packValue(singles, m_codes.codeOf(value->property), *value);
            }
        }
        statement.bindUuid(1, e.id);
        statement.bindInteger(2, static_cast<std::int64_t>(m_codes.codeOf(e.classId)));
        statement.bindOptionalUuid(3, e.container);
        if (e.feature.is_nil()) {
            statement.bindNull(4);
        } else {
            statement.bindInteger(4, static_cast<std::int64_t>(m_codes.codeOf(e.feature)));
        }
        if (e.position < 0) {
            statement.bindNull(5);
        } else {
            statement.bindInteger(5, e.position);
        }
        statement.bindBlob(6, singles);
        statement.run();
        progress.step();
    }
    if (value != image.values.end()) {
        reportException(korm0::messages::ModelFileCannotWrite(
            m_db.path(), std::string("a value of the image does not follow its element")));
    }
}

void SqliteStore::writeMembers(std::vector<StoredValue> const& values) {
    SqliteStatement insert(m_db, "INSERT INTO members VALUES (?, ?, ?, ?, ?, ?, ?)",
                           Activity::WRITING);
    for (auto const& v : values) {
        if (!v.member) {
            continue;
        }
        insert.bindUuid(1, v.element);
        insert.bindInteger(2, static_cast<std::int64_t>(m_codes.codeOf(v.property)));
        insert.bindInteger(3, v.position);
        insert.bindInteger(4, static_cast<std::int64_t>(v.kind));
        insert.bindBlob(5, v.data);
        if (v.kind == StoredValue::Kind::PROXY) {
            insert.bindText(6, v.proxyClass());
            insert.bindText(7, v.proxyModel());
        } else {
            insert.bindNull(6);
            insert.bindNull(7);
        }
        insert.run();
    }
}

// The rows of the removed elements, and the members of the rewritten ones.
void SqliteStore::removeRows(ImageChanges const& changes, ProgressCounter& progress) {
    SqliteStatement members(m_db, "DELETE FROM members WHERE element = ?", Activity::WRITING);
    SqliteStatement rows(m_db, "DELETE FROM elements WHERE id = ?", Activity::WRITING);
    for (auto const& id : changes.removed) {
        members.bindUuid(1, id);
        members.run();
        rows.bindUuid(1, id);
        rows.run();
        progress.step();
    }
    for (auto const& element : changes.rewritten.elements) {
        members.bindUuid(1, element.id);
        members.run();
    }
}

void SqliteStore::writePositions(std::vector<StoredPosition> const& positions) {
    SqliteStatement update(m_db, "UPDATE elements SET position = ? WHERE id = ?",
                           Activity::WRITING);
    for (auto const& p : positions) {
        update.bindInteger(1, p.position);
        update.bindUuid(2, p.id);
        update.run();
    }
}

std::unique_ptr<ModelStore> openSqliteStore(std::string const& path, OpenMode mode) {
    return std::make_unique<SqliteStore>(path, mode);
}

}  // namespace korm::zero::store
