// Start-up through the exported entry points, and the class descriptions the host sees.

#include "bindings_test_support.hpp"

namespace bindings_test {
namespace {

olan::COSPackageInfo const* packageInfo() {
    return &olan::COSPackage::getPackage(olan::internal::makeInterned("arvex.utilities"))
                ->getInfo();
}

TEST(StartUp, InitialisationRegistersThePackageWithoutBuildingTheMetaPackage) {
    if (metaPackageBuilt()) {
        GTEST_SKIP() << "the meta-package was built by an earlier test of this process";
    }
    entryPoint("ZRTerminate_arvex_utilities")();  // harmless before initialisation
    loadAndInitialise();
    EXPECT_EQ(host::findPackage("arvex")->subPackages, std::vector<std::string>{"arvex.utilities"});
    EXPECT_EQ(host::findPackage("arvex.utilities")->classes,
              (std::vector<std::string>{PathClass, MapClass, EntryClass, MultiMapClass,
                                        TwoLevelClass, TwoLevelEntryClass}));
    EXPECT_FALSE(metaPackageBuilt());

    // The first request for a meta-class builds it.
    Value const metaClass = std::move(host::call(MapClass, "StaticMetaClass", {}, 1).outputs[0]);
    EXPECT_TRUE(metaPackageBuilt());
    EXPECT_EQ(host::className(metaClass.get()), korm::zero::zi::MetaClassClassName);
}

TEST(StartUp, OnceOutsideTheSessionModeAndEveryTimeInIt) {
    loadAndInitialise();
    olan::COSPackageInfo const* const first = packageInfo();
    // Outside the session mode a second registration would raise DuplicateName.
    EXPECT_NO_THROW(loadAndInitialise());
    EXPECT_EQ(packageInfo(), first);

    omSetOlanUsingUSM(true);
    loadAndInitialise();
    EXPECT_NE(packageInfo(), first);
    omSetOlanUsingUSM(false);
    EXPECT_EQ(host::findPackage("arvex.utilities")->classes.size(), 6u);
}

// One member as text: "<kind> <name>: <output>(<inputs>) [static <attributes>]
// [<argument names>] [opt<optional count>]".
std::string describe(host::MemberDescription const& m) {
    static char const* const kinds[] = {"super", "new", "prop", "method"};
    std::string text = std::string(kinds[static_cast<int>(m.kind)]) + " " + m.name;
    if (m.kind == host::MemberKind::Property) {
        return text + ": " + m.type;
    }
    if (m.kind == host::MemberKind::Superclass) {
        return text;
    }
    text += ": " + m.signature.outputType + "(";
    for (std::size_t i = 0; i < m.signature.inputTypes.size(); ++i) {
        text += (i == 0 ? "" : ",") + m.signature.inputTypes[i];
    }
    text += ")";
    if (m.isStatic) {
        text += " static " + std::to_string(m.attributes);
    }
    for (auto const& name : m.signature.argumentNames) {
        text += " " + name;
    }
    if (m.signature.optionalInputCount != 0) {
        text += " opt" + std::to_string(m.signature.optionalInputCount);
    }
    return text;
}

TEST(StartUp, EveryClassListsItsMembersInOrderWithTheirSignatures) {
    loadAndInitialise();
    std::string const base = "super korm.zero.ModelElement";
    std::string const meta = "method StaticMetaClass: korm.zero.meta.Class() static 520";
    auto ctor = [](std::string const& shortName) {
        return "new " + shortName + ": arvex.utilities." + shortName +
               "(korm.zero.Model,any,any) model opt_init opt_uuid opt2";
    };
    std::string const m = "arvex.utilities.UUIDMap", mm = "arvex.utilities.UUIDMultiMap",
                      t = "arvex.utilities.UUIDToUUIDMap", te = t + "Entry";
    std::string const pairs = "prop Pairs: korm.zero.Set", str = "OlanFactoryString ",
                      init = " opt2";
    std::vector<std::pair<char const*, std::vector<std::string>>> const expected{
        {PathClass,
         {base, ctor("FullPathAPI"), meta,
          "method getComponentNames: " + str + "vector(" + str + "scalar) static 8"}},
        {MapClass,
         {base, ctor("UUIDMap"), pairs,
          "method createIntoPairs: " + m + "Entry(" + m + ",any,char)" + init, meta,
          "method insertPair: void(" + m + ",char,char)",
          "method erasePairForKey: void(" + m + ",char)",
          "method erasePairsForValue: void(" + m + ",char)",
          "method findValueForKey: char(" + m + ",char)",
          "method hasKey: logical scalar(" + m + ",char)"}},
        {EntryClass,
         {base, ctor("UUIDMapEntry"), "prop Key: " + str + "scalar",
          "prop Value: " + str + "scalar", meta}},
        {MultiMapClass,
         {base, ctor("UUIDMultiMap"), pairs,
          "method createIntoPairs: " + m + "Entry(" + mm + ",any,char)" + init, meta,
          "method insertPair: void(" + mm + ",char,char)",
          "method erasePairsForKey: void(" + mm + ",char)",
          "method erasePairsKeyAndValue: void(" + mm + ",char,char)",
          "method erasePairsForValue: void(" + mm + ",char)",
          "method findValuesForKey: " + str + "vector(" + mm + ",char)",
          "method hasKey: logical scalar(" + mm + ",char)"}},
        {TwoLevelClass,
         {base, ctor("UUIDToUUIDMap"), pairs,
          "method createIntoPairs: " + te + "(" + t + ",any,char)" + init, meta,
          "method insertPair: void(" + t + ",char,char,char)",
          "method erasePairForKey: void(" + t + ",char)",
          "method erasePairForKeys: void(" + t + ",char,char)",
          "method findValueForKey: " + m + "(" + t + ",char)",
          "method findValuesWithSubKey: " + str + "vector(" + t + ",char)",
          "method findValueForKeys: char(" + t + ",char,char)",
          "method hasKey: logical scalar(" + t + ",char)"}},
        {TwoLevelEntryClass,
         {base, ctor("UUIDToUUIDMapEntry"), "prop Key: " + str + "scalar", "prop Value: " + m,
          "method createIntoValue: " + m + "(" + te + ",any,char)" + init, meta}},
    };
    for (auto const& [cls, members] : expected) {
        std::vector<std::string> actual;
        for (auto const& member : host::describeClass(cls).members) {
            actual.push_back(describe(member));
        }
        EXPECT_EQ(actual, members) << cls;
    }
}

}  // namespace
}  // namespace bindings_test
