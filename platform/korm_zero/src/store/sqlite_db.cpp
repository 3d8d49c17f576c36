// The RAII layer over SQLite and its error mapping.

#include "sqlite_db.hpp"

#include <algorithm>
#include <boost/uuid/nil_generator.hpp>

#include "korm/zero/messages.hpp"

namespace korm::zero::store {

namespace messages = korm0::messages;

SqliteConnection::SqliteConnection(std::string path, bool create) : m_path(std::move(path)) {
    // READWRITE opens a write-protected file read-only; writing it then fails.
    int const flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    int const code = sqlite3_open_v2(m_path.c_str(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        // The handle exists even on failure (unless out of memory) and carries the message.
        std::string const reason = m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
        sqlite3_close(m_db);
        m_db = nullptr;
        if (create) {
            reportException(messages::ModelFileCannotWrite(m_path, reason));
        }
        reportException(messages::ModelFileCannotOpen(m_path, reason));
    }
    sqlite3_extended_result_codes(m_db, 1);
}

SqliteConnection::~SqliteConnection() {
    sqlite3_close(m_db);
}

void SqliteConnection::execute(char const* sql, Activity activity) {
    int const code = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) {
        fail(code, activity);
    }
}

std::int64_t SqliteConnection::queryInteger(char const* sql, Activity activity) {
    SqliteStatement statement(*this, sql, activity);
    return statement.step() ? statement.integerAt(0) : 0;
}

void SqliteConnection::fail(int code, Activity activity) const {
    std::string const reason = sqlite3_errmsg(m_db);
    switch (code & 0xff) {
        case SQLITE_NOTADB:
            reportException(messages::ModelFileNotAModel(m_path));
        case SQLITE_CORRUPT:
            corrupt(reason);
        default:
            break;
    }
    if (activity == Activity::WRITING) {
        reportException(messages::ModelFileCannotWrite(m_path, reason));
    }
    reportException(messages::ModelFileCannotOpen(m_path, reason));
}

void SqliteConnection::corrupt(std::string const& what) const {
    reportException(messages::ModelFileCorrupt(m_path, what));
}

// ---- statements ---------------------------------------------------------------------------

SqliteStatement::SqliteStatement(SqliteConnection& connection, char const* sql, Activity activity)
    : m_connection(connection), m_activity(activity) {
    check(sqlite3_prepare_v2(connection.handle(), sql, -1, &m_statement, nullptr));
    try {
        m_bound.resize(static_cast<std::size_t>(sqlite3_bind_parameter_count(m_statement)) + 1);
    } catch (...) {
        // No destructor runs for a constructor that throws: an unfinalized statement would
        // keep its connection from closing.
        sqlite3_finalize(m_statement);
        throw;
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_statement);
}

void SqliteStatement::check(int code) const {
    if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE) {
        m_connection.fail(code, m_activity);
    }
}

void SqliteStatement::bindInteger(int index, std::int64_t value) {
    check(sqlite3_bind_int64(m_statement, index, value));
}

std::string const& SqliteStatement::keep(int index, std::string_view bytes) {
    if (index < 1 || static_cast<std::size_t>(index) >= m_bound.size()) {
        // SQLite refuses the index as well, and its refusal sets the message reported.
        check(sqlite3_bind_null(m_statement, index));
        m_connection.fail(SQLITE_RANGE, m_activity);
    }
    return m_bound[static_cast<std::size_t>(index)].assign(bytes);
}

void SqliteStatement::bindBlob(int index, std::string_view bytes) {
    // A kept string's data is never null, so a zero-length blob stays a blob, not NULL.
    std::string const& kept = keep(index, bytes);
    check(sqlite3_bind_blob64(m_statement, index, kept.data(), kept.size(), SQLITE_STATIC));
}

void SqliteStatement::bindUuid(int index, boost::uuids::uuid const& id) {
    bindBlob(index, std::string_view(reinterpret_cast<char const*>(id.data), id.size()));
}

void SqliteStatement::bindOptionalUuid(int index, boost::uuids::uuid const& id) {
    if (id.is_nil()) {
        check(sqlite3_bind_null(m_statement, index));
    } else {
        bindUuid(index, id);
    }
}

void SqliteStatement::bindText(int index, std::string_view text) {
    std::string const& kept = keep(index, text);
    check(sqlite3_bind_text64(m_statement, index, kept.data(), kept.size(), SQLITE_STATIC,
                              SQLITE_UTF8));
}

void SqliteStatement::bindNull(int index) {
    check(sqlite3_bind_null(m_statement, index));
}

bool SqliteStatement::step() {
    int const code = sqlite3_step(m_statement);
    check(code);
    return code == SQLITE_ROW;
}

void SqliteStatement::run() {
    step();
    check(sqlite3_reset(m_statement));
}

std::int64_t SqliteStatement::integerAt(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

std::string_view SqliteStatement::bytesAt(int column) const {
    auto const* data = static_cast<char const*>(sqlite3_column_blob(m_statement, column));
    int const size = sqlite3_column_bytes(m_statement, column);
    return data == nullptr ? std::string_view()
                           : std::string_view(data, static_cast<std::size_t>(size));
}

bool SqliteStatement::isNullAt(int column) const {
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

boost::uuids::uuid SqliteStatement::uuidAt(int column, char const* what) const {
    boost::uuids::uuid id = boost::uuids::nil_uuid();
    auto const* data = static_cast<unsigned char const*>(sqlite3_column_blob(m_statement, column));
    if (data == nullptr ||
        sqlite3_column_bytes(m_statement, column) != static_cast<int>(id.size())) {
        m_connection.corrupt(std::string(what) + " is not a 16-byte UUID");
    }
    std::copy_n(data, id.size(), id.begin());
    return id;
}

boost::uuids::uuid SqliteStatement::optionalUuidAt(int column, char const* what) const {
    return isNullAt(column) ? boost::uuids::nil_uuid() : uuidAt(column, what);
}

}  // namespace korm::zero::store
