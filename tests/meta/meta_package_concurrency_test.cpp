// Many threads ask for the meta-package at once: one build, one instance, complete for all.

#include <gtest/gtest.h>

#include <vector>

#include "meta_test_support.hpp"

namespace arvex::utilities::test {
namespace {

using M = MetaPackageArvex_utilities;

constexpr int THREADS = 8;

TEST(MetaPackageConcurrency, FirstCallsFromManyThreadsShareOneCompleteBuild) {
    korm::zero::Model const& model = registry().getMetaModel();
    std::size_t const before = model->getElementCount();

    std::vector<M*> seen(THREADS, nullptr);
    std::vector<meta::Class> classes(THREADS);
    arvex_test::runTogether(THREADS, [&](int i) {
        seen[i] = M::getInstance();
        // What a model class reads first: its class and a property's type.
        classes[i] = meta::Class(rec(seen[i]->UUIDToUUIDMapEntry_Value)->getType().getImpl());
    });

    ASSERT_NE(seen[0], nullptr);
    for (int i = 0; i < THREADS; ++i) {
        EXPECT_EQ(seen[i], seen[0]);
        EXPECT_EQ(classes[i], seen[0]->UUIDMapClass);
    }
    // One build: exactly one tree was added, and no later build replaced it (its objects
    // would be invalid then).
    EXPECT_EQ(model->getElementCount(), before + M::HANDLE_COUNT);
    M const* const mp = seen[0];
    for (korm::zero::ModelElement const& handle :
         {korm::zero::ModelElement(mp->rootPackage), korm::zero::ModelElement(mp->UUIDMapClass),
          korm::zero::ModelElement(mp->UUIDToUUIDMap_hasKey_containerKey)}) {
        EXPECT_TRUE(handle);
    }
    EXPECT_EQ(registry().getRootPackages().size(), 2U);  // the framework's and this one
}

}  // namespace
}  // namespace arvex::utilities::test
