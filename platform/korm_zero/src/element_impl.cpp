#include "korm/zero/element_impl.hpp"

#include <array>
#include <boost/uuid/random_generator.hpp>
#include <cstdint>
#include <random>

namespace korm::zero {

ElementImpl::InvalidationCallback ElementImpl::m_callback = nullptr;

namespace {
std::atomic<std::size_t> liveRecords{0};
}  // namespace

ElementImpl::ElementImpl() noexcept {
    liveRecords.fetch_add(1, std::memory_order_relaxed);
}

ElementImpl::~ElementImpl() {
    m_refCount.store(REFCOUNT_DELETING, std::memory_order_relaxed);
    liveRecords.fetch_sub(1, std::memory_order_relaxed);
}

std::size_t ElementImpl::liveRecordCount() noexcept {
    return liveRecords.load(std::memory_order_relaxed);
}

void ElementImpl::removeRef() const noexcept {
    if (m_refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete this;
    }
}

namespace {

// One engine per thread, seeded from std::random_device (the OS entropy source) the first
// time the thread needs a UUID. mt19937_64 has far more state than a UUID has random bits,
// and a full seed sequence fills it from eight entropy words.
std::mt19937_64& threadEngine() {
    thread_local std::mt19937_64 engine = [] {
        std::random_device device;
        std::array<std::uint32_t, 8> words{};
        for (auto& word : words) {
            word = device();
        }
        std::seed_seq seed(words.begin(), words.end());
        return std::mt19937_64(seed);
    }();
    return engine;
}

}  // namespace

boost::uuids::uuid ElementImpl::generateNewUuid() {
    thread_local boost::uuids::basic_random_generator<std::mt19937_64> generator(threadEngine());
    return generator();
}

}  // namespace korm::zero
