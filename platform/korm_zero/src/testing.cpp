// The test-only failure hook of the framework's choke points.

#include "korm/zero/testing.hpp"

#include <atomic>

#include "korm/zero/messages.hpp"

namespace korm::zero::testing {

namespace {

// Calls left before the armed failure; 0: none armed. Relaxed atomics: the hook is armed by
// one test thread, and costs one load on every counted call when it is not.
std::atomic<int> g_countdown{0};

}  // namespace

void armFailure(int n) noexcept {
    g_countdown.store(n > 0 ? n : 0, std::memory_order_relaxed);
}

void disarmFailure() noexcept {
    g_countdown.store(0, std::memory_order_relaxed);
}

namespace detail {

void failurePoint() {
    int const left = g_countdown.load(std::memory_order_relaxed);
    if (left <= 0) {
        return;
    }
    g_countdown.store(left - 1, std::memory_order_relaxed);
    if (left == 1) {
        reportException(korm0::messages::InjectedFault());
    }
}

}  // namespace detail

}  // namespace korm::zero::testing
