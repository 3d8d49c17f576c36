// Package registration with missing parents, and what initialize() registers.

#include "zi_test_support.hpp"

namespace zi_test {
namespace {

using korm::zero::zi::EmptyParentPackage;

TEST_F(ZiTest, RegisteringCreatesEveryMissingParentAsAnEmptyPackage) {
    (new EmptyParentPackage("leaf", "zitop.mid"))->registerPackage();
    auto top = host::findPackage("zitop");
    auto mid = host::findPackage("zitop.mid");
    ASSERT_TRUE(top && mid);
    EXPECT_EQ(top->subPackages, std::vector<std::string>{"zitop.mid"});
    EXPECT_EQ(mid->subPackages, std::vector<std::string>{"zitop.mid.leaf"});
    EXPECT_TRUE(top->classes.empty());
}

TEST_F(ZiTest, AnExistingParentKeepsItsDescriptionAndGainsTheSubPackage) {
    olan::COSPackage* parent = (new EmptyParentPackage("ziexists", ""))->registerPackage();
    olan::COSPackageInfo const* description = &parent->getInfo();
    auto before = host::topLevelPackages().size();
    (new EmptyParentPackage("child", "ziexists"))->registerPackage();
    EXPECT_EQ(host::topLevelPackages().size(), before);
    EXPECT_EQ(&olan::COSPackage::getPackage(olan::internal::makeInterned("ziexists"))->getInfo(),
              description);
    EXPECT_EQ(host::findPackage("ziexists")->subPackages,
              std::vector<std::string>{"ziexists.child"});
}

TEST_F(ZiTest, TheElementBaseIsAnAbstractOpenHandleClass) {
    auto element = host::describeClass("korm.zero.ModelElement");
    EXPECT_TRUE(element.isAbstract && element.isHandleClass);
    EXPECT_FALSE(element.isSealed);
    EXPECT_ERROR_ID(host::construct("korm.zero.ModelElement", {}), "Zolmar:class:AbstractClass");
}

TEST_F(ZiTest, InitializeRunsOnceUnlessTheHostReRegistersEverySession) {
    auto info = [] {
        return &olan::COSPackage::getPackage(olan::internal::makeInterned("korm.zero"))->getInfo();
    };
    auto const* first = info();
    korm::zero::zi::initialize();  // would raise DuplicateName if it registered again
    EXPECT_EQ(info(), first);
    omSetOlanUsingUSM(true);
    korm::zero::zi::initialize();
    omSetOlanUsingUSM(false);
    EXPECT_NE(info(), first);
    EXPECT_TRUE(host::classExists("korm.zero.meta.Class"));
}

}  // namespace
}  // namespace zi_test
