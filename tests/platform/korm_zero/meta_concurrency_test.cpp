// The meta registry across threads: the first getInstance() calls race; builds under the
// registry's mutex from several threads at once; readers of built meta objects alongside.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "korm/zero/meta/standard_types.hpp"
#include "sample.hpp"

namespace korm::zero::test {
namespace {

constexpr int THREADS = 8;

TEST(MetaRegistryConcurrency, FirstCallsFromManyThreadsSeeOneCompleteRegistry) {
    // This program's first use of the registry happens here, on all threads at once.
    std::vector<meta::MetaRegistry*> seen(THREADS, nullptr);
    std::vector<meta::Type::Impl const*> uuids(THREADS, nullptr);
    std::vector<meta::Class> classes(THREADS);
    arvex_test::runTogether(THREADS, [&](int i) {
        seen[i] = &meta::MetaRegistry::getInstance();
        uuids[i] = StandardTypes::get(StandardTypes::UUID_TYPE);
        classes[i] = ModelElement::metaClass();
    });
    for (int i = 0; i < THREADS; ++i) {
        EXPECT_EQ(seen[i], seen[0]);
        ASSERT_NE(uuids[i], nullptr);
        EXPECT_EQ(uuids[i], uuids[0]);
        EXPECT_TRUE(classes[i]);
        EXPECT_EQ(classes[i], classes[0]);
    }
}

TEST(MetaRegistryConcurrency, BuildsSerialiseOnTheRecursiveMutexWhileOthersRead) {
    SamplePackage shared;
    shared.buildCommitted();
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};

    std::vector<std::thread> readers;
    for (int i = 0; i < 2; ++i) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                ASSERT_TRUE(rec(shared.puppy)->conformsTo(shared.animal));
                ASSERT_EQ(rec(shared.puppy)->findProperty(u"Name"), shared.name);
                ASSERT_EQ(meta::MetaRegistry::getInstance().findClassByQualifiedName(shared.prefix +
                                                                                     ".Dog"),
                          shared.dog);
                reads.fetch_add(1);
            }
        });
    }
    std::vector<SamplePackage> built(THREADS);
    arvex_test::runTogether(THREADS, [&](int i) { built[i].buildCommitted(); });
    stop = true;
    for (auto& thread : readers) {
        thread.join();
    }
    EXPECT_GT(reads.load(), 0);
    for (auto const& s : built) {
        EXPECT_TRUE(s.puppy);
        EXPECT_TRUE(rec(s.puppy)->conformsTo(s.animal));
        EXPECT_EQ(meta::MetaRegistry::getInstance().findClassByNativeName(s.prefix + "::Puppy"),
                  s.puppy);
    }
}

}  // namespace
}  // namespace korm::zero::test
