#pragma once

// ElementsById: the elements a model-file reader made, found by UUID. A store gives the rows
// ordered by UUID and each element's values together, so most look-ups ask for the element
// asked for last or the one after it: those are found without hashing or searching, and
// the others by halving the sorted records. Nothing is kept beside the one sorted vector.

#include <algorithm>
#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <utility>
#include <vector>

#include "korm/zero/model_element.hpp"

namespace korm::zero::store {

class ElementsById {
  public:
    void reserve(std::size_t count) { m_records.reserve(count); }
    /// Records `element` under `id`, in any order; find works once seal() has run.
    void add(boost::uuids::uuid const& id, ModelElement::Impl* element) {
        m_records.emplace_back(id, element);
    }
    /// Orders the records by UUID (a no-op when they came in order).
    void seal() {
        auto const byId = [](Record const& a, Record const& b) { return a.first < b.first; };
        if (!std::is_sorted(m_records.begin(), m_records.end(), byId)) {
            std::sort(m_records.begin(), m_records.end(), byId);
        }
        m_hint = 0;
    }

    /// The element recorded under `id`, or null.
    ModelElement::Impl* find(boost::uuids::uuid const& id) const noexcept {
        for (std::size_t at = m_hint; at < m_records.size() && at <= m_hint + 1; ++at) {
            if (m_records[at].first == id) {
                m_hint = at;
                return m_records[at].second;
            }
        }
        auto const it = std::lower_bound(
            m_records.begin(), m_records.end(), id,
            [](Record const& record, boost::uuids::uuid const& key) { return record.first < key; });
        if (it == m_records.end() || it->first != id) {
            return nullptr;
        }
        m_hint = static_cast<std::size_t>(it - m_records.begin());
        return it->second;
    }

  private:
    using Record = std::pair<boost::uuids::uuid, ModelElement::Impl*>;

    std::vector<Record> m_records;
    /// Where the last look-up ended: only a hint, so a const look-up may move it.
    mutable std::size_t m_hint = 0;
};

}  // namespace korm::zero::store
