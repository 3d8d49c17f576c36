// Start-up through the exported entry points, and the class descriptions the host sees.

#include <algorithm>

#include "bindings_test_support.hpp"

namespace bindings_test {
namespace {

TEST(StartUp, InitialisationRegistersThePackageWithoutBuildingTheMetaPackage) {
    if (metaPackageBuilt()) {
        GTEST_SKIP() << "the meta-package was built by an earlier test of this process";
    }
    entryPoint("ZRTerminate_arvex_utilities")();  // harmless before initialisation
    loadAndInitialise();
    auto const arvex = host::findPackage("arvex");
    ASSERT_TRUE(arvex.has_value());
    EXPECT_EQ(arvex->subPackages, std::vector<std::string>{"arvex.utilities"});
    EXPECT_EQ(host::findPackage("arvex.utilities")->classes,
              (std::vector<std::string>{PathClass, MapClass, EntryClass, MultiMapClass,
                                        TwoLevelClass, TwoLevelEntryClass}));
    EXPECT_FALSE(metaPackageBuilt());

    // The first request for a meta-class builds it.
    Value const metaClass = std::move(host::call(MapClass, "StaticMetaClass", {}, 1).outputs.at(0));
    EXPECT_TRUE(metaPackageBuilt());
    EXPECT_EQ(host::className(metaClass.get()), korm::zero::zi::MetaClassClassName);
    EXPECT_EQ(textOf(host::getProperty(metaClass.get(), "QualifiedName")), MapClass);
}

TEST(StartUp, OnceOutsideTheSessionModeAndEveryTimeInIt) {
    loadAndInitialise();
    olan::COSPackageInfo const* const first =
        &olan::COSPackage::getPackage(olan::internal::makeInterned("arvex.utilities"))->getInfo();
    // Outside the session mode a second registration would raise DuplicateName.
    EXPECT_NO_THROW(loadAndInitialise());
    EXPECT_EQ(
        &olan::COSPackage::getPackage(olan::internal::makeInterned("arvex.utilities"))->getInfo(),
        first);

    omSetOlanUsingUSM(true);
    loadAndInitialise();
    EXPECT_NE(
        &olan::COSPackage::getPackage(olan::internal::makeInterned("arvex.utilities"))->getInfo(),
        first);
    omSetOlanUsingUSM(false);
    EXPECT_EQ(host::findPackage("arvex.utilities")->classes.size(), 6u);
}

struct Member {
    host::MemberKind kind;
    std::string name;
    std::string output;
    std::vector<std::string> inputs;
};

std::vector<Member> membersOf(char const* className) {
    std::vector<Member> members;
    for (auto const& m : host::describeClass(className).members) {
        members.push_back({m.kind, m.name,
                           m.kind == host::MemberKind::Property ? m.type : m.signature.outputType,
                           m.signature.inputTypes});
    }
    return members;
}

TEST(StartUp, EveryClassListsItsMembersInOrderWithTheirSignatures) {
    loadAndInitialise();
    using K = host::MemberKind;
    std::string const model = korm::zero::zi::ModelClassName;
    std::string const meta = korm::zero::zi::MetaClassClassName;
    std::string const set = "korm.zero.Set";
    std::string const scalar = "OlanFactoryString scalar";
    auto constructor = [&](std::string const& cls, std::string const& shortName) {
        return Member{K::Constructor, shortName, cls, {model, "any", "any"}};
    };
    Member const base{K::Superclass, korm::zero::zi::ModelElementClassName, "", {}};
    Member const metaClass{K::Method, "StaticMetaClass", meta, {}};
    std::string const m = MapClass, mm = MultiMapClass, t = TwoLevelClass, e = EntryClass,
                      te = TwoLevelEntryClass;
    struct Expected {
        char const* cls;
        std::vector<Member> members;
    };
    std::vector<Expected> const table{
        {PathClass,
         {base,
          constructor(PathClass, "FullPathAPI"),
          metaClass,
          {K::Method, "getComponentNames", "OlanFactoryString vector", {scalar}}}},
        {MapClass,
         {base,
          constructor(m, "UUIDMap"),
          {K::Property, "Pairs", set, {}},
          {K::Method, "createIntoPairs", e, {m, "any", "char"}},
          metaClass,
          {K::Method, "insertPair", "void", {m, "char", "char"}},
          {K::Method, "erasePairForKey", "void", {m, "char"}},
          {K::Method, "erasePairsForValue", "void", {m, "char"}},
          {K::Method, "findValueForKey", "char", {m, "char"}},
          {K::Method, "hasKey", "logical scalar", {m, "char"}}}},
        {EntryClass,
         {base,
          constructor(e, "UUIDMapEntry"),
          {K::Property, "Key", scalar, {}},
          {K::Property, "Value", scalar, {}},
          metaClass}},
        {MultiMapClass,
         {base,
          constructor(mm, "UUIDMultiMap"),
          {K::Property, "Pairs", set, {}},
          {K::Method, "createIntoPairs", e, {mm, "any", "char"}},
          metaClass,
          {K::Method, "insertPair", "void", {mm, "char", "char"}},
          {K::Method, "erasePairsForKey", "void", {mm, "char"}},
          {K::Method, "erasePairsKeyAndValue", "void", {mm, "char", "char"}},
          {K::Method, "erasePairsForValue", "void", {mm, "char"}},
          {K::Method, "findValuesForKey", "OlanFactoryString vector", {mm, "char"}},
          {K::Method, "hasKey", "logical scalar", {mm, "char"}}}},
        {TwoLevelClass,
         {base,
          constructor(t, "UUIDToUUIDMap"),
          {K::Property, "Pairs", set, {}},
          {K::Method, "createIntoPairs", te, {t, "any", "char"}},
          metaClass,
          {K::Method, "insertPair", "void", {t, "char", "char", "char"}},
          {K::Method, "erasePairForKey", "void", {t, "char"}},
          {K::Method, "erasePairForKeys", "void", {t, "char", "char"}},
          {K::Method, "findValueForKey", m, {t, "char"}},
          {K::Method, "findValuesWithSubKey", "OlanFactoryString vector", {t, "char"}},
          {K::Method, "findValueForKeys", "char", {t, "char", "char"}},
          {K::Method, "hasKey", "logical scalar", {t, "char"}}}},
        {TwoLevelEntryClass,
         {base,
          constructor(te, "UUIDToUUIDMapEntry"),
          {K::Property, "Key", scalar, {}},
          {K::Property, "Value", m, {}},
          {K::Method, "createIntoValue", m, {te, "any", "char"}},
          metaClass}},
    };
    for (auto const& [cls, expected] : table) {
        SCOPED_TRACE(cls);
        auto const actual = membersOf(cls);
        ASSERT_EQ(actual.size(), expected.size());
        for (std::size_t i = 0; i < actual.size(); ++i) {
            SCOPED_TRACE(expected[i].name);
            EXPECT_EQ(actual[i].kind, expected[i].kind);
            EXPECT_EQ(actual[i].name, expected[i].name);
            EXPECT_EQ(actual[i].output, expected[i].output);
            EXPECT_EQ(actual[i].inputs, expected[i].inputs);
        }
        // Only StaticMetaClass and getComponentNames are static.
        for (auto const& member : host::describeClass(cls).members) {
            bool const isStatic =
                member.name == "StaticMetaClass" || member.name == "getComponentNames";
            EXPECT_EQ(member.isStatic, isStatic) << member.name;
            if (member.kind == K::Constructor) {
                EXPECT_EQ(member.signature.argumentNames,
                          (std::vector<std::string>{"model", "opt_init", "opt_uuid"}));
                EXPECT_EQ(member.signature.optionalInputCount, 2);
            }
            if (member.name.starts_with("createInto")) {
                EXPECT_EQ(member.signature.optionalInputCount, 2);
            }
            if (member.name == "StaticMetaClass") {
                EXPECT_EQ(member.attributes, 520u);
            }
        }
    }
}

}  // namespace
}  // namespace bindings_test
