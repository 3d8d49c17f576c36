// The SQLite model-file store: the schema, reading a whole file and writing a whole image in
// one transaction. See docs/model_files.md for the schema's reasons.

#include <exception>
#include <string>

#include "file_lock.hpp"
#include "korm/zero/messages.hpp"
#include "model_store.hpp"
#include "sqlite_db.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::store {

namespace {

namespace messages = korm0::messages;

// "KMF1" in the file header marks a model file.
constexpr std::int64_t APPLICATION_ID = 0x4B4D4631;

constexpr char const* SCHEMA =
    "CREATE TABLE IF NOT EXISTS header (key TEXT PRIMARY KEY, value) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS packages (uri TEXT PRIMARY KEY) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS elements (id BLOB PRIMARY KEY, class BLOB NOT NULL,"
    " container BLOB, feature BLOB, position INTEGER) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS slots (element BLOB NOT NULL, property BLOB NOT NULL,"
    " position INTEGER NOT NULL, kind INTEGER NOT NULL, data BLOB, proxy_class TEXT,"
    " proxy_model TEXT, PRIMARY KEY (element, property, position)) WITHOUT ROWID;";

class SqliteStore : public ModelStore {
  public:
    SqliteStore(std::string const& path, OpenMode mode)
        : m_lock(path, mode == OpenMode::CREATE), m_db(path, mode == OpenMode::CREATE) {}

    ModelImage read() override;
    void writeAll(ModelImage const& image) override;
    void writeChanges(ImageChanges const& changes) override;

  private:
    void checkHeader();
    std::u16string text16(std::string const& bytes) const;
    void readHeader(ModelImage& image);
    void readElements(ModelImage& image);
    void readValues(ModelImage& image);
    void useWriteAheadLog();
    void prepareForWriting();
    void writeHeader(StoredHeader const& header, char const* packageInsert);
    void writeElements(std::vector<StoredElement> const& elements, char const* insert);
    void writeValues(std::vector<StoredValue> const& values);
    void removeRows(ImageChanges const& changes);
    void writePositions(std::vector<StoredPosition> const& positions);

    // The lock is taken before and released after the connection (see FileLock).
    FileLock m_lock;
    SqliteConnection m_db;
    bool m_walChecked = false;
};

// ---- reading ------------------------------------------------------------------------------

ModelImage SqliteStore::read() {
    // One read transaction: the rows come from one saved state even if a writer commits
    // meanwhile.
    m_db.execute("BEGIN", Activity::READING);
    ModelImage image;
    checkHeader();
    readHeader(image);
    readElements(image);
    readValues(image);
    m_db.execute("COMMIT", Activity::READING);
    return image;
}

void SqliteStore::checkHeader() {
    if (m_db.queryInteger("PRAGMA application_id", Activity::READING) != APPLICATION_ID) {
        reportException(messages::ModelFileNotAModel(m_db.path()));
    }
    std::int64_t const version = m_db.queryInteger("PRAGMA user_version", Activity::READING);
    if (version > FORMAT_VERSION) {
        reportException(messages::ModelFileTooNew(m_db.path(), version, FORMAT_VERSION));
    }
    if (version < 1) {
        m_db.corrupt("its format version is " + std::to_string(version));
    }
}

std::u16string SqliteStore::text16(std::string const& bytes) const {
    try {
        return tarsk::core::text::toUtf16(bytes);
    } catch (std::exception const&) {
        m_db.corrupt("a text is not well-formed UTF-8");
    }
}

void SqliteStore::readHeader(ModelImage& image) {
    image.header.formatVersion = FORMAT_VERSION;
    SqliteStatement name(m_db, "SELECT value FROM header WHERE key = 'model'", Activity::READING);
    if (!name.step()) {
        m_db.corrupt("it names no model");
    }
    image.header.modelName = text16(name.bytesAt(0));
    SqliteStatement packages(m_db, "SELECT uri FROM packages ORDER BY uri", Activity::READING);
    while (packages.step()) {
        image.header.packageUris.push_back(text16(packages.bytesAt(0)));
    }
}

void SqliteStore::readElements(ModelImage& image) {
    SqliteStatement rows(m_db,
                         "SELECT id, class, container, feature, position FROM elements "
                         "ORDER BY id",
                         Activity::READING);
    while (rows.step()) {
        StoredElement& e = image.elements.emplace_back();
        e.id = rows.uuidAt(0, "an element's id");
        e.classId = rows.uuidAt(1, "an element's class");
        e.container = rows.optionalUuidAt(2, "an element's container");
        e.feature = rows.optionalUuidAt(3, "an element's containment property");
        e.position = rows.isNullAt(4) ? -1 : rows.integerAt(4);
    }
}

void SqliteStore::readValues(ModelImage& image) {
    SqliteStatement rows(m_db,
                         "SELECT element, property, position, kind, data, proxy_class, "
                         "proxy_model FROM slots ORDER BY element, property, position",
                         Activity::READING);
    while (rows.step()) {
        StoredValue& v = image.values.emplace_back();
        v.element = rows.uuidAt(0, "a value's element");
        v.property = rows.uuidAt(1, "a value's property");
        v.position = rows.integerAt(2);
        std::int64_t const kind = rows.integerAt(3);
        if (kind < 0 || kind > static_cast<std::int64_t>(StoredValue::Kind::PROXY)) {
            m_db.corrupt("a value has the unknown kind " + std::to_string(kind));
        }
        v.kind = static_cast<StoredValue::Kind>(kind);
        v.data = rows.bytesAt(4);
        v.proxyClass = rows.bytesAt(5);
        v.proxyModel = rows.bytesAt(6);
    }
}

// ---- writing ------------------------------------------------------------------------------

/// Rolls the open write transaction back unless it was committed.
class WriteTransaction {
  public:
    explicit WriteTransaction(SqliteConnection& db) : m_db(db) {
        // IMMEDIATE takes the write lock now: another writer is refused at once instead of
        // interleaving.
        m_db.execute("BEGIN IMMEDIATE", Activity::WRITING);
    }
    WriteTransaction(WriteTransaction const&) = delete;
    WriteTransaction& operator=(WriteTransaction const&) = delete;
    ~WriteTransaction() {
        if (!m_committed) {
            sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    void commit() {
        m_db.execute("COMMIT", Activity::WRITING);
        m_committed = true;
    }

  private:
    SqliteConnection& m_db;
    bool m_committed = false;
};

void SqliteStore::writeAll(ModelImage const& image) {
    useWriteAheadLog();
    WriteTransaction transaction(m_db);
    prepareForWriting();
    writeHeader(image.header, "INSERT INTO packages (uri) VALUES (?)");
    writeElements(image.elements,
                  "INSERT INTO elements (id, class, container, feature, position) "
                  "VALUES (?, ?, ?, ?, ?)");
    writeValues(image.values);
    transaction.commit();
}

void SqliteStore::writeChanges(ImageChanges const& changes) {
    useWriteAheadLog();
    WriteTransaction transaction(m_db);
    m_db.execute("DELETE FROM header WHERE key = 'model'", Activity::WRITING);
    writeHeader(changes.rewritten.header, "INSERT OR IGNORE INTO packages (uri) VALUES (?)");
    removeRows(changes);
    writeElements(changes.rewritten.elements,
                  "INSERT OR REPLACE INTO elements (id, class, container, feature, position) "
                  "VALUES (?, ?, ?, ?, ?)");
    writeValues(changes.rewritten.values);
    writePositions(changes.repositioned);
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
        reportException(messages::ModelFileCannotWrite(
            m_db.path(), std::string("it holds a database that is not a model file")));
    }
    m_db.execute(SCHEMA, Activity::WRITING);
    m_db.execute(
        "DELETE FROM header; DELETE FROM packages; DELETE FROM elements;"
        "DELETE FROM slots;",
        Activity::WRITING);
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

void SqliteStore::writeElements(std::vector<StoredElement> const& elements, char const* insert) {
    SqliteStatement statement(m_db, insert, Activity::WRITING);
    for (auto const& e : elements) {
        statement.bindUuid(1, e.id);
        statement.bindUuid(2, e.classId);
        statement.bindOptionalUuid(3, e.container);
        statement.bindOptionalUuid(4, e.feature);
        if (e.position < 0) {
            statement.bindNull(5);
        } else {
            statement.bindInteger(5, e.position);
        }
        statement.run();
    }
}

void SqliteStore::writeValues(std::vector<StoredValue> const& values) {
    SqliteStatement insert(m_db,
                           "INSERT INTO slots (element, property, position, kind, data, "
                           "proxy_class, proxy_model) VALUES (?, ?, ?, ?, ?, ?, ?)",
                           Activity::WRITING);
    for (auto const& v : values) {
        insert.bindUuid(1, v.element);
        insert.bindUuid(2, v.property);
        insert.bindInteger(3, v.position);
        insert.bindInteger(4, static_cast<std::int64_t>(v.kind));
        insert.bindBlob(5, v.data);
        insert.bindText(6, v.proxyClass);
        insert.bindText(7, v.proxyModel);
        insert.run();
    }
}

// The rows of the removed elements, and the values of the rewritten ones.
void SqliteStore::removeRows(ImageChanges const& changes) {
    SqliteStatement values(m_db, "DELETE FROM slots WHERE element = ?", Activity::WRITING);
    SqliteStatement rows(m_db, "DELETE FROM elements WHERE id = ?", Activity::WRITING);
    for (auto const& id : changes.removed) {
        values.bindUuid(1, id);
        values.run();
        rows.bindUuid(1, id);
        rows.run();
    }
    for (auto const& element : changes.rewritten.elements) {
        values.bindUuid(1, element.id);
        values.run();
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

}  // namespace

std::unique_ptr<ModelStore> openSqliteStore(std::string const& path, OpenMode mode) {
    return std::make_unique<SqliteStore>(path, mode);
}

}  // namespace korm::zero::store
