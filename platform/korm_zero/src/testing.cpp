// The test-only failure hook of the framework's choke points.

#include "korm/zero/testing.hpp"

#include "korm/zero/messages.hpp"

namespace korm::zero::testing {

namespace detail {

// Relaxed: the hook is armed by one test thread.
std::atomic<int> g_failureCountdown{0};

void countFailurePoint() {
    int const left = g_failureCountdown.load(std::memory_order_relaxed);
    if (left <= 0) {
        return;
    }
    g_failureCountdown.store(left - 1, std::memory_order_relaxed);
    if (left == 1) {
        reportException(korm0::messages::InjectedFault());
    }
}

}  // namespace detail

void armFailure(int n) noexcept {
    detail::g_failureCountdown.store(n > 0 ? n : 0, std::memory_order_relaxed);
}

void disarmFailure() noexcept {
    detail::g_failureCountdown.store(0, std::memory_order_relaxed);
}

}  // namespace korm::zero::testing
