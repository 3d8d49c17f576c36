// The code table of the classes and properties a model file names.

#include "meta_codes.hpp"

namespace korm::zero::store {

void MetaCodes::load(SqliteConnection& db) {
    clear();
    SqliteStatement rows(db, "SELECT code, id FROM meta_ids ORDER BY code", Activity::READING);
    while (rows.step()) {
        if (rows.integerAt(0) != static_cast<std::int64_t>(m_ids.size())) {
            db.corrupt("the codes of its classes and properties have gaps");
        }
        codeOf(rows.uuidAt(1, "a class or property id"));
    }
    m_written = m_ids.size();
    m_current = true;
}

void MetaCodes::clear() noexcept {
    m_ids.clear();
    m_codes.clear();
    m_written = 0;
}

std::uint64_t MetaCodes::codeOf(boost::uuids::uuid const& id) {
    auto const [it, added] = m_codes.try_emplace(id, m_ids.size());
    if (added) {
        try {
            m_ids.push_back(id);
        } catch (...) {
            m_codes.erase(it);
            throw;
        }
    }
    return it->second;
}

boost::uuids::uuid const* MetaCodes::idOf(std::uint64_t code) const noexcept {
    return code < m_ids.size() ? &m_ids[code] : nullptr;
}

void MetaCodes::writeNew(SqliteConnection& db) {
    SqliteStatement insert(db, "INSERT INTO meta_ids (code, id) VALUES (?, ?)", Activity::WRITING);
    for (std::size_t code = m_written; code < m_ids.size(); ++code) {
        insert.bindInteger(1, static_cast<std::int64_t>(code));
        insert.bindUuid(2, m_ids[code]);
        insert.run();
    }
    m_written = m_ids.size();
}

}  // namespace korm::zero::store
