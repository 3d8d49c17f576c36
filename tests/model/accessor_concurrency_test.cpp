// Many threads make the first calls of the static query accessors at once: each accessor is
// built once, and every thread gets that one complete object.

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "arvex/utilities/queries.hpp"
#include "arvex_utilities.hpp"
#include "test_support.hpp"

namespace arvex::utilities::test {
namespace {

constexpr int THREADS = 8;
constexpr std::size_t ACCESSORS = 8;

TEST(AccessorConcurrency, RacingFirstCallsShareOneAccessorEach) {
    std::vector<std::array<void const*, ACCESSORS>> seen(THREADS);
    std::vector<int> complete(THREADS, 0);  // not vector<bool>: one object per thread
    arvex_test::runTogether(THREADS, [&](int i) {
        seen[i] = {&UUIDMapEntry::key(),         &UUIDMapEntry::value(), &UUIDToUUIDMapEntry::key(),
                   &UUIDToUUIDMapEntry::value(), &UUIDMap::pairs(),      &UUIDMultiMap::pairs(),
                   &UUIDToUUIDMap::pairs(),      &UUIDMapEntry::Uuid()};
        // Each object is bound to its property by the time any thread sees it.
        complete[i] = UUIDMapEntry::key().getProperty() == detail::Meta::uuidMapEntryKey() &&
                      UUIDToUUIDMap::pairs().getProperty() == detail::Meta::uuidToUUIDMapPairs();
    });
    for (int i = 0; i < THREADS; ++i) {
        EXPECT_EQ(seen[i], seen[0]) << "thread " << i;
        EXPECT_TRUE(complete[i]) << "thread " << i;
    }
}

}  // namespace
}  // namespace arvex::utilities::test
