#pragma once

// MetaCodes: the classes and properties a model file names, by small integer codes (table
// meta_ids), so that each row names them in a byte or two rather than in 16.

#include <boost/uuid/uuid.hpp>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "korm/zero/services/hashers.hpp"
#include "sqlite_db.hpp"

namespace korm::zero::store {

/// The code table of one file, as the store last read or wrote it, plus the codes assigned in
/// the write under way. Codes count from 0 in order of first use.
class MetaCodes {
  public:
    /// Replaces the table by the file's (a code that is not its row's number, or an id that is
    /// not 16 bytes, reports ModelFileCorrupt).
    void load(SqliteConnection& db);
    /// Forgets every code: a whole-file write numbers afresh.
    void clear() noexcept;
    /// The code of `id`, assigning the next one to an id not seen before.
    std::uint64_t codeOf(boost::uuids::uuid const& id);
    /// The id of `code`, or null for a code the file does not have.
    boost::uuids::uuid const* idOf(std::uint64_t code) const noexcept;
    /// Inserts the codes assigned since the table was loaded or last written.
    void writeNew(SqliteConnection& db);
    /// Whether the table is that of the file (false after a failed write: reload it).
    bool isCurrent() const noexcept { return m_current; }
    void setCurrent(bool current) noexcept { m_current = current; }

  private:
    std::vector<boost::uuids::uuid> m_ids;
    std::unordered_map<boost::uuids::uuid, std::uint64_t, services::hashers::KORM0Hasher> m_codes;
    std::size_t m_written = 0;
    bool m_current = false;
};

}  // namespace korm::zero::store
