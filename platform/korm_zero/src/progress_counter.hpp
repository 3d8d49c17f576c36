#pragma once

// ProgressCounter: counts the steps of a long operation and tells a Progress callback at a
// bounded rate. Without a callback a step costs an increment and a comparison.

#include <cstddef>
#include <limits>

#include "korm/zero/progress.hpp"

namespace korm::zero::detail {

class ProgressCounter {
  public:
    /// Steps between two reports.
    static constexpr std::size_t STRIDE = 4096;

    /// The operation makes `passes` passes over the same items (reading then building, say).
    ProgressCounter(Progress const& progress, std::size_t passes) noexcept
        : m_progress(progress ? &progress : nullptr), m_passes(passes) {}
    ProgressCounter(ProgressCounter const&) = delete;
    ProgressCounter& operator=(ProgressCounter const&) = delete;

    /// Fixes the total once the number of items is known, and reports 0 of it.
    void begin(std::size_t items) {
        m_total = items * m_passes;
        m_done = 0;
        if (m_progress != nullptr) {
            m_next = STRIDE;
            report();
        }
    }

    void step() {
        if (++m_done >= m_next) {
            m_next = m_done + STRIDE;
            report();
        }
    }

    /// Reports done == total, unless that was the last report. Called before the operation
    /// takes effect (commits), so that an exception of the callback still aborts it.
    void finish() {
        if (m_progress != nullptr && m_reported != m_total) {
            m_done = m_total;
            report();
        }
    }

  private:
    void report() {
        m_reported = m_done < m_total ? m_done : m_total;
        (*m_progress)(m_reported, m_total);
    }

    Progress const* m_progress;
    std::size_t m_passes;
    std::size_t m_total = 0;
    std::size_t m_done = 0;
    std::size_t m_next = std::numeric_limits<std::size_t>::max();
    std::size_t m_reported = std::numeric_limits<std::size_t>::max();
};

}  // namespace korm::zero::detail
