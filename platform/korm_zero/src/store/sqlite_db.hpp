#pragma once

// A thin RAII layer over the SQLite C interface for the model-file store: a connection, a
// prepared statement, and the mapping of SQLite's result codes to framework messages that
// name the file.

#include <sqlite3.h>

#include <boost/uuid/uuid.hpp>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korm::zero::store {

/// What a failing call was doing: it decides the message when the code itself does not.
enum class Activity { OPENING, READING, WRITING };

class SqliteConnection {
  public:
    /// Opens `path` for reading and, where the file permits, writing; with `create`, a missing
    /// file is created.
    SqliteConnection(std::string path, bool create);
    SqliteConnection(SqliteConnection const&) = delete;
    SqliteConnection& operator=(SqliteConnection const&) = delete;
    ~SqliteConnection();

    sqlite3* handle() const noexcept { return m_db; }
    std::string const& path() const noexcept { return m_path; }
    /// Runs statements without results.
    void execute(char const* sql, Activity activity);
    /// The integer result of a one-value query (a pragma).
    std::int64_t queryInteger(char const* sql, Activity activity);
    /// Reports the framework message for SQLite result `code` of this connection.
    [[noreturn]] void fail(int code, Activity activity) const;
    /// Reports ModelFileCorrupt with `what`.
    [[noreturn]] void corrupt(std::string const& what) const;

  private:
    std::string m_path;
    sqlite3* m_db = nullptr;
};

class SqliteStatement {
  public:
    SqliteStatement(SqliteConnection& connection, char const* sql, Activity activity);
    SqliteStatement(SqliteStatement const&) = delete;
    SqliteStatement& operator=(SqliteStatement const&) = delete;
    ~SqliteStatement();

    // Binding, 1-based. Blobs and texts are copied into the statement, so the caller's bytes
    // need not outlive the call.
    void bindInteger(int index, std::int64_t value);
    void bindBlob(int index, std::string_view bytes);
    void bindUuid(int index, boost::uuids::uuid const& id);
    /// Binds NULL for the nil UUID.
    void bindOptionalUuid(int index, boost::uuids::uuid const& id);
    void bindText(int index, std::string_view text);
    void bindNull(int index);

    /// Advances: true while a row is available.
    bool step();
    /// Runs a statement without results, then resets it for the next bindings.
    void run();

    // Reading the current row's columns, 0-based.
    std::int64_t integerAt(int column) const;
    /// The column's bytes, valid until the statement steps again, is reset or goes.
    std::string_view bytesAt(int column) const;
    bool isNullAt(int column) const;
    /// A 16-byte blob; any other length reports ModelFileCorrupt naming `what`.
    boost::uuids::uuid uuidAt(int column, char const* what) const;
    /// The nil UUID for NULL; otherwise as uuidAt.
    boost::uuids::uuid optionalUuidAt(int column, char const* what) const;

  private:
    void check(int code) const;
    /// The statement's copy of the bytes bound to parameter `index`.
    std::string const& keep(int index, std::string_view bytes);

    SqliteConnection& m_connection;
    sqlite3_stmt* m_statement = nullptr;
    Activity m_activity;
    /// The bytes bound to each parameter, by index. SQLite reads them in place until the
    /// parameter is bound again (SQLITE_STATIC): a copy SQLite made itself would cost an
    /// allocation per binding, which on a large save is a fifth of the writing. Sized once,
    /// so the strings (and their short-string buffers) never move.
    std::vector<std::string> m_bound;
};

}  // namespace korm::zero::store
