#pragma once

// Test-only fault injection at the framework's choke points.

#include <atomic>

#include "korm/zero/export.hpp"

namespace korm::zero::testing {

/// Test-only: makes the `n`-th framework call from now (1: the next one) report
/// korm0::messages::InjectedFault, so that tests can make any operation fail at any of the
/// framework calls it makes. Counted calls: beginning a transaction, announcing a creation
/// (notifyCreated) or a change (notifyModifying), announcing a change of an owned collection
/// (AbstractOwnedCollection::modifying) and resolving a proxy. Nothing is counted while a
/// model restores old values (rollback, undo, redo), which must not fail. Not for production
/// code; one thread at a time.
KORM_ZERO_EXPORT void armFailure(int n) noexcept;
/// Test-only: cancels an armed failure.
KORM_ZERO_EXPORT void disarmFailure() noexcept;

namespace detail {

/// Calls left before the armed failure; 0 when none is armed.
extern KORM_ZERO_EXPORT std::atomic<int> g_failureCountdown;
/// Counts one call of an armed hook; reports InjectedFault when it is the armed one.
KORM_ZERO_EXPORT void countFailurePoint();

/// Counts one framework call; reports InjectedFault when it is the armed one. Unarmed (always,
/// outside tests) it costs one relaxed load on the framework's hot paths, inline.
inline void failurePoint() {
    if (g_failureCountdown.load(std::memory_order_relaxed) > 0) {
        countFailurePoint();
    }
}

}  // namespace detail

}  // namespace korm::zero::testing
