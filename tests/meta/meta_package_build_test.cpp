// The first build of a process. Builds that fail at any creation leave nothing behind and the
// next call tries again; a root package left by an earlier load of the library is replaced.
// One test: the program must start without a meta-package.

#include <gtest/gtest.h>

#include "korm/zero/meta/meta_package.hpp"
#include "korm/zero/transaction.hpp"
#include "meta_test_support.hpp"

namespace arvex::utilities::test {
namespace {

using M = MetaPackageArvex_utilities;
namespace kmeta = korm::zero::meta;

std::u16string const ROOT_URI = u"https://schemas.arvex.example/korm0/arvex_utilities/V3";

/// What an earlier load of the library leaves in the meta model: the root package under its
/// fixed UUID, registered, with "arvex", "utilities" and the class UUIDMap under its UUID.
struct StaleTree : kmeta::AbstractMetaPackage {
    kmeta::Package root, arvex, utilities;
    kmeta::Class map;

    void build() {
        arvex_test::MetaBuildScope scope;
        root = kmeta::Package::create(registry().getMetaModel(), uuid(ROOT_UUID));
        rec(root)->setUri(ROOT_URI);
        arvex = createPackage(u"arvex", ROOT_URI + u"/arvex");
        utilities = createPackage(u"utilities", ROOT_URI + u"/arvex.utilities");
        map = createClass(u"UUIDMap", "arvex.utilities.UUIDMap", false,
                          "4fb5b94b-3d9b-3028-9e0b-2c091234bda6");
        rec(arvex)->setParentPackage(root);
        rec(utilities)->setParentPackage(arvex);
        rec(map)->setOwningPackage(utilities);
        scope.commit();
        registerRootPackage(root);
    }
};

TEST(MetaPackageBuild, FailedBuildsLeaveNothingAndAStaleRootIsReplaced) {
    korm::zero::Model const& model = registry().getMetaModel();
    std::size_t const before = model->getElementCount();

    // The build makes 61 meta objects; make each creation fail in turn.
    for (int n = 1; n <= static_cast<int>(M::HANDLE_COUNT); ++n) {
        SCOPED_TRACE(n);
        kmeta::testing::armFailure(n);
        EXPECT_THROW(M::getInstance(), kmeta::testing::InjectedFailure);
        kmeta::testing::disarmFailure();
        EXPECT_EQ(model->getElementCount(), before);
        EXPECT_EQ(model->findElement(uuid(ROOT_UUID), korm::zero::FIND_INCLUDING_REMOVED), nullptr);
        EXPECT_TRUE(registry().getRootPackage(ROOT_URI).isEmpty());
        EXPECT_TRUE(registry().findClassByQualifiedName("arvex.utilities.UUIDMap").isEmpty());
    }

    StaleTree stale;
    stale.build();
    ASSERT_EQ(model->getElementCount(), before + 4);
    ASSERT_EQ(registry().getRootPackage(ROOT_URI), stale.root);

    // No 62nd creation happens: this build succeeds.
    kmeta::testing::armFailure(static_cast<int>(M::HANDLE_COUNT) + 1);
    M const* const mp = M::getInstance();
    kmeta::testing::disarmFailure();
    ASSERT_NE(mp, nullptr);
    EXPECT_EQ(M::getInstance(), mp);

    // The stale tree is gone; one tree of 61 objects stands in its place.
    EXPECT_EQ(model->getElementCount(), before + M::HANDLE_COUNT);
    for (korm::zero::ModelElement const& old :
         {korm::zero::ModelElement(stale.root), korm::zero::ModelElement(stale.arvex),
          korm::zero::ModelElement(stale.utilities), korm::zero::ModelElement(stale.map)}) {
        EXPECT_FALSE(old);
    }
    EXPECT_EQ(korm::zero::ModelElement(
                  model->findElement(uuid(ROOT_UUID), korm::zero::FIND_INCLUDING_REMOVED)),
              mp->rootPackage);
    EXPECT_EQ(registry().getRootPackage(ROOT_URI), mp->rootPackage);
    EXPECT_EQ(registry().findClassByQualifiedName("arvex.utilities.UUIDMap"), mp->UUIDMapClass);
    EXPECT_EQ(mp->UUIDMapClass->getUuid(), stale.map->getUuid());
    EXPECT_TRUE(mp->UUIDToUUIDMapEntry_Value);
}

}  // namespace
}  // namespace arvex::utilities::test
