// The built meta-package against its expected contents, written out here independently of the
// library's own tables: identities, names, URIs, indices, flags, qualifiers, multiplicities
// and types, the package tree and the registered names.

#include <gtest/gtest.h>

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/string_generator.hpp>
#include <boost/uuid/uuid_io.hpp>
#include <memory>
#include <string>
#include <vector>

#include "meta_test_support.hpp"

namespace arvex::utilities::test {
namespace {

using M = MetaPackageArvex_utilities;
namespace kmeta = korm::zero::meta;

struct ExpectedOperation {
    char const* owner;
    kmeta::Operation M::*handle;
    char const* name;
    char const* uuid;
    bool isStatic;
    char const* result;  // "" for void
    unsigned lower, upper;
};

struct ExpectedArgument {
    kmeta::Operation M::*operation;
    kmeta::Argument M::*handle;
    char const* name;
    char const* type;
    char const* uuid;
};

struct ExpectedProperty {
    char const* owner;
    kmeta::Property M::*handle;
    char const* name;
    std::size_t index;
    char const* type;
    unsigned flags;
    bool containment, ordered, unique;
    char const* qualifiedBy;  // "" for none
    bool qualificationUnique;
    unsigned upper;
    char const* uuid;
};

struct ExpectedClass {
    kmeta::Class M::*handle;
    char const* name;
    char const* uuid;
};

constexpr unsigned STAR = 4294967295U;

ExpectedClass const CLASSES[] = {
    {&M::FullPathAPIClass, "FullPathAPI", "d5755711-042c-3b49-a03c-c193aa06845d"},
    {&M::UUIDMapClass, "UUIDMap", "4fb5b94b-3d9b-3028-9e0b-2c091234bda6"},
    {&M::UUIDMapEntryClass, "UUIDMapEntry", "22458ff3-1ac9-3e78-ac3b-02e84d375bea"},
    {&M::UUIDMultiMapClass, "UUIDMultiMap", "1c8913c7-e321-3d27-9043-1e8b68918fc8"},
    {&M::UUIDToUUIDMapClass, "UUIDToUUIDMap", "4a43eb33-b1a3-3973-b25a-b1638e11e90c"},
    {&M::UUIDToUUIDMapEntryClass, "UUIDToUUIDMapEntry", "1aaefe7b-cf19-3815-be35-291bb6463c34"},
};

ExpectedProperty const PROPERTIES[] = {
    {"UUIDMap", &M::UUIDMap_Pairs, "Pairs", 1, "arvex.utilities.UUIDMapEntry", 6, true, false,
     false, "Key", true, STAR, "9fdb23dd-9f7c-35a6-ac6e-bfbaeedbe0ed"},
    {"UUIDMapEntry", &M::UUIDMapEntry_Key, "Key", 1, "UUID", 1, false, true, true, "", true, 1,
     "953a5cab-28a5-39b0-8ea8-280f0763c08d"},
    {"UUIDMapEntry", &M::UUIDMapEntry_Value, "Value", 2, "UUID", 1, false, true, true, "", true, 1,
     "7e402f0f-eca0-38cf-91f9-08e54e42a0b0"},
    {"UUIDMultiMap", &M::UUIDMultiMap_Pairs, "Pairs", 1, "arvex.utilities.UUIDMapEntry", 5, true,
     false, false, "Key", false, STAR, "b1560f90-648b-3515-a506-508e08e7da35"},
    {"UUIDToUUIDMap", &M::UUIDToUUIDMap_Pairs, "Pairs", 1, "arvex.utilities.UUIDToUUIDMapEntry", 6,
     true, false, false, "Key", true, STAR, "8184ebc8-c55f-30b8-88d7-e859616d635f"},
    {"UUIDToUUIDMapEntry", &M::UUIDToUUIDMapEntry_Key, "Key", 1, "UUID", 1, false, true, true, "",
     true, 1, "b7bd2cfb-6a21-3ad8-bb4e-cd618f315798"},
    {"UUIDToUUIDMapEntry", &M::UUIDToUUIDMapEntry_Value, "Value", 2, "arvex.utilities.UUIDMap", 1,
     true, true, true, "", true, 1, "bc0f7341-3d4e-3ae9-9b2d-96d8d1246e64"},
};

ExpectedOperation const OPERATIONS[] = {
    {"FullPathAPI", &M::FullPathAPI_getComponentNames, "getComponentNames",
     "261710f9-819b-3e44-aac7-a24bc6a8516f", true, "String", 0, STAR},
    {"UUIDMap", &M::UUIDMap_insertPair, "insertPair", "16996457-6a1a-38ed-a13b-649a33f71dce", false,
     "", 0, 1},
    {"UUIDMap", &M::UUIDMap_erasePairForKey, "erasePairForKey",
     "1bb2589d-c855-34de-98cf-57ca10301749", false, "", 0, 1},
    {"UUIDMap", &M::UUIDMap_erasePairsForValue, "erasePairsForValue",
     "da8a080f-1c52-3186-9451-6275dc275d59", false, "", 0, 1},
    {"UUIDMap", &M::UUIDMap_findValueForKey, "findValueForKey",
     "785cdf72-2303-3f7a-9e40-b9e05b3ebf5a", false, "UUID", 1, 1},
    {"UUIDMap", &M::UUIDMap_hasKey, "hasKey", "edbe7d3d-dd37-36b0-8a24-d8e18e089b97", false,
     "Boolean", 1, 1},
    {"UUIDMultiMap", &M::UUIDMultiMap_insertPair, "insertPair",
     "85756a4c-876c-318a-8de1-27703d98c403", false, "", 0, 1},
    {"UUIDMultiMap", &M::UUIDMultiMap_erasePairsForKey, "erasePairsForKey",
     "2693ce3e-c7e7-3cdd-b9a3-08ed6530ebad", false, "", 0, 1},
    {"UUIDMultiMap", &M::UUIDMultiMap_erasePairsKeyAndValue, "erasePairsKeyAndValue",
     "82ce579f-0edd-3f40-8a0a-b258baa62e13", false, "", 0, 1},
    {"UUIDMultiMap", &M::UUIDMultiMap_erasePairsForValue, "erasePairsForValue",
     "46d466f6-5a79-3707-8d74-067450b1b88e", false, "", 0, 1},
    {"UUIDMultiMap", &M::UUIDMultiMap_findValuesForKey, "findValuesForKey",
     "0575e493-f6ba-3f9c-950b-faa92089379a", false, "UUID", 0, STAR},
    {"UUIDMultiMap", &M::UUIDMultiMap_hasKey, "hasKey", "dc9a5943-35dc-3a5d-8ff6-54a459e90882",
     false, "Boolean", 1, 1},
    {"UUIDToUUIDMap", &M::UUIDToUUIDMap_insertPair, "insertPair",
     "e4dc5e12-dfe5-3309-9597-adc46b29494d", false, "", 0, 1},
    {"UUIDToUUIDMap", &M::UUIDToUUIDMap_erasePairForKey, "erasePairForKey",
     "1a76d337-0a8d-33c0-8681-5a03c6b23b9f", false, "", 0, 1},
    {"UUIDToUUIDMap", &M::UUIDToUUIDMap_erasePairForKeys, "erasePairForKeys",
     "de233a9c-3f73-3810-96e3-e100494b3bd5", false, "", 0, 1},
    {"UUIDToUUIDMap", &M::UUIDToUUIDMap_findValueForKey, "findValueForKey",
     "e07bf6bf-9e17-3d1b-b3a2-760783bd0242", false, "arvex.utilities.UUIDMap", 1, 1},
    {"UUIDToUUIDMap", &M::UUIDToUUIDMap_findValuesWithSubKey, "findValuesWithSubKey",
     "27ac633d-0a41-3576-8e32-ec0d412b88ec", false, "UUID", 0, STAR},
    {"UUIDToUUIDMap", &M::UUIDToUUIDMap_findValueForKeys, "findValueForKeys",
     "a24a0d83-cce1-3972-842c-435ca4133d59", false, "UUID", 1, 1},
    {"UUIDToUUIDMap", &M::UUIDToUUIDMap_hasKey, "hasKey", "d19087d1-c93c-3abc-a44c-ec8a33a942ab",
     false, "Boolean", 1, 1},
};

// In the order of their operations' argument lists.
ExpectedArgument const ARGUMENTS[] = {
    {&M::FullPathAPI_getComponentNames, &M::FullPathAPI_getComponentNames_namedPath, "namedPath",
     "String", "3b79c793-275e-368a-81c6-393081faa735"},
    {&M::UUIDMap_insertPair, &M::UUIDMap_insertPair_key, "key", "UUID",
     "da9f2082-d3d3-3106-8040-bce675bd4ec9"},
    {&M::UUIDMap_insertPair, &M::UUIDMap_insertPair_value, "value", "UUID",
     "efc7765a-58e6-3dcb-a40b-dc862f87f5ef"},
    {&M::UUIDMap_erasePairForKey, &M::UUIDMap_erasePairForKey_key, "key", "UUID",
     "e8ca8509-0aac-3852-8616-5474b6bb3fca"},
    {&M::UUIDMap_erasePairsForValue, &M::UUIDMap_erasePairsForValue_value, "value", "UUID",
     "51174ed0-babe-3d60-b0bf-1899cc7095ac"},
    {&M::UUIDMap_findValueForKey, &M::UUIDMap_findValueForKey_key, "key", "UUID",
     "3a1ed9f8-872a-35ab-a52d-80d0721dafc1"},
    {&M::UUIDMap_hasKey, &M::UUIDMap_hasKey_key, "key", "UUID",
     "56d5e095-b251-3432-ad08-de7ef146700c"},
    {&M::UUIDMultiMap_insertPair, &M::UUIDMultiMap_insertPair_key, "key", "UUID",
     "9cbab7da-8d9e-35fa-ad4f-de7b00b17464"},
    {&M::UUIDMultiMap_insertPair, &M::UUIDMultiMap_insertPair_value, "value", "UUID",
     "581b3997-2eae-38d4-a7b7-8beb06772071"},
    {&M::UUIDMultiMap_erasePairsForKey, &M::UUIDMultiMap_erasePairsForKey_key, "key", "UUID",
     "41cebeb5-2b14-3efb-a620-cfc8b046a87c"},
    {&M::UUIDMultiMap_erasePairsKeyAndValue, &M::UUIDMultiMap_erasePairsKeyAndValue_key, "key",
     "UUID", "68227c37-5f91-3ce2-8817-38c36f815a7a"},
    {&M::UUIDMultiMap_erasePairsKeyAndValue, &M::UUIDMultiMap_erasePairsKeyAndValue_value, "value",
     "UUID", "9126eac5-9ce8-3657-87dd-90166b4f1cd4"},
    {&M::UUIDMultiMap_erasePairsForValue, &M::UUIDMultiMap_erasePairsForValue_value, "value",
     "UUID", "eb131776-4d5c-3da9-9dfa-e96059e7d2f2"},
    {&M::UUIDMultiMap_findValuesForKey, &M::UUIDMultiMap_findValuesForKey_key, "key", "UUID",
     "5c28e2ca-51c8-3d8a-b719-48ad7ae395cc"},
    {&M::UUIDMultiMap_hasKey, &M::UUIDMultiMap_hasKey_key, "key", "UUID",
     "880a1b6a-85e6-3c21-8487-efe4f2873fb9"},
    {&M::UUIDToUUIDMap_insertPair, &M::UUIDToUUIDMap_insertPair_containerKey, "containerKey",
     "UUID", "fc56b8b4-7d6b-351b-ab50-5c7c8edbcd8c"},
    {&M::UUIDToUUIDMap_insertPair, &M::UUIDToUUIDMap_insertPair_subKey, "subKey", "UUID",
     "a63afa49-45b0-310c-aeed-362c449cde85"},
    {&M::UUIDToUUIDMap_insertPair, &M::UUIDToUUIDMap_insertPair_value, "value", "UUID",
     "db097edb-791b-3f72-8f17-53e7faa1c315"},
    {&M::UUIDToUUIDMap_erasePairForKey, &M::UUIDToUUIDMap_erasePairForKey_containerKey,
     "containerKey", "UUID", "92961013-7a59-308e-8935-114c67d0f5ba"},
    {&M::UUIDToUUIDMap_erasePairForKeys, &M::UUIDToUUIDMap_erasePairForKeys_containerKey,
     "containerKey", "UUID", "427958a7-185f-3947-9ef7-16254cf0bea1"},
    {&M::UUIDToUUIDMap_erasePairForKeys, &M::UUIDToUUIDMap_erasePairForKeys_subKey, "subKey",
     "UUID", "f2bf8317-121e-39cc-ab60-82e91315ae09"},
    {&M::UUIDToUUIDMap_findValueForKey, &M::UUIDToUUIDMap_findValueForKey_containerKey,
     "containerKey", "UUID", "f14a7589-18f6-3369-8b82-60f75e7f91d0"},
    {&M::UUIDToUUIDMap_findValuesWithSubKey, &M::UUIDToUUIDMap_findValuesWithSubKey_subKey,
     "subKey", "UUID", "dc7e66d4-a1a4-3b7a-be97-2aadbb54b7db"},
    {&M::UUIDToUUIDMap_findValueForKeys, &M::UUIDToUUIDMap_findValueForKeys_containerKey,
     "containerKey", "UUID", "9ad7efb1-e8e4-36bd-85a8-ca92579d5d2f"},
    {&M::UUIDToUUIDMap_findValueForKeys, &M::UUIDToUUIDMap_findValueForKeys_subKey, "subKey",
     "UUID", "8a6faa40-3fe2-3c0e-8c56-037ea6c73904"},
    {&M::UUIDToUUIDMap_hasKey, &M::UUIDToUUIDMap_hasKey_containerKey, "containerKey", "UUID",
     "10a25758-479f-33cc-8019-486cab8e52ad"},
};

kmeta::Class classNamed(std::string const& name) {
    return registry().findClassByQualifiedName("arvex.utilities." + name);
}

TEST(MetaPackage, ClassesHaveTheirIdentityOwnerAndSuperclass) {
    M const* const mp = M::getInstance();
    ASSERT_NE(mp, nullptr);
    EXPECT_EQ(M::getInstance(), mp);
    std::vector<kmeta::Type> expectedTypes;
    for (ExpectedClass const& c : CLASSES) {
        SCOPED_TRACE(c.name);
        std::string const qualified = std::string("arvex.utilities.") + c.name;
        kmeta::Class const& type = mp->*c.handle;
        ASSERT_TRUE(type);
        expectedTypes.push_back(type);
        EXPECT_EQ(registry().findClassByQualifiedName(qualified), type);
        EXPECT_EQ(registry().findClassByNativeName(std::string("arvex::utilities::") + c.name),
                  type);
        EXPECT_EQ(type->getUuid(), uuid(c.uuid));
        EXPECT_EQ(rec(type)->getName8(), c.name);
        EXPECT_EQ(rec(type)->getQualifiedName8(), qualified);
        EXPECT_FALSE(rec(type)->isAbstract());
        EXPECT_EQ(rec(type)->getOwningPackage(), mp->utilitiesPackage);
        EXPECT_EQ(rec(type)->getSuperclasses(),
                  std::vector<kmeta::Class>{korm::zero::ModelElement::metaClass()});
    }
    EXPECT_EQ(rec(mp->utilitiesPackage)->getTypes(), expectedTypes);
}

TEST(MetaPackage, PropertiesMatchTheirExpectedAttributes) {
    M const* const mp = M::getInstance();
    std::size_t count = 0;
    for (ExpectedClass const& c : CLASSES) {
        count += rec(mp->*c.handle)->getProperties().size();
    }
    EXPECT_EQ(count, std::size(PROPERTIES));
    for (ExpectedProperty const& p : PROPERTIES) {
        SCOPED_TRACE(std::string(p.owner) + "." + p.name);
        kmeta::Class const owner = classNamed(p.owner);
        kmeta::Property const property = rec(owner)->findPropertyByIndex(p.index);
        ASSERT_TRUE(property);
        EXPECT_EQ(mp->*p.handle, property);
        auto const* r = rec(property);
        EXPECT_EQ(property->getUuid(), uuid(p.uuid));
        EXPECT_EQ(r->getName8(), p.name);
        EXPECT_EQ(r->getOwningType(), owner);
        EXPECT_EQ(rec(r->getType())->getQualifiedName8(), p.type);
        EXPECT_EQ(static_cast<unsigned>(r->getValueFlags()), p.flags);
        EXPECT_EQ(r->isContainment(), p.containment);
        EXPECT_EQ(r->isOrdered(), p.ordered);
        EXPECT_EQ(r->isUnique(), p.unique);
        EXPECT_FALSE(r->getDefaultValue().has_value());
        EXPECT_EQ(r->getLower(), 0U);
        EXPECT_EQ(r->getUpper(), p.upper);
        EXPECT_EQ(r->isQualificationUnique(), p.qualificationUnique);
        if (*p.qualifiedBy == '\0') {
            EXPECT_TRUE(r->getQualifiedBy().isEmpty());
        } else {
            // Qualified by the held entry class's property of that name.
            EXPECT_EQ(r->getQualifiedBy(),
                      rec(kmeta::Class(r->getType().getImpl()))->findProperty(u"Key"));
        }
    }
}

TEST(MetaPackage, OperationsAndArgumentsMatchTheirExpectedAttributes) {
    M const* const mp = M::getInstance();
    std::size_t count = 0;
    for (ExpectedClass const& c : CLASSES) {
        count += rec(mp->*c.handle)->getOperations().size();
    }
    EXPECT_EQ(count, std::size(OPERATIONS));
    std::size_t argumentCount = 0;
    for (ExpectedOperation const& o : OPERATIONS) {
        SCOPED_TRACE(std::string(o.owner) + "." + o.name);
        kmeta::Class const owner = classNamed(o.owner);
        kmeta::Operation const operation = rec(owner)->findOperation(utf16(o.name));
        ASSERT_TRUE(operation);
        EXPECT_EQ(mp->*o.handle, operation);
        auto const* r = rec(operation);
        EXPECT_EQ(operation->getUuid(), uuid(o.uuid));
        EXPECT_EQ(r->getOwningType(), owner);
        EXPECT_EQ(r->isStatic(), o.isStatic);
        EXPECT_TRUE(r->isPublic());
        EXPECT_FALSE(r->isAbstract());
        EXPECT_FALSE(r->isEvent());
        EXPECT_EQ(r->isVoid(), *o.result == '\0');
        if (!r->isVoid()) {
            EXPECT_EQ(rec(r->getType())->getQualifiedName8(), o.result);
            EXPECT_EQ(r->getLower(), o.lower);
            EXPECT_EQ(r->getUpper(), o.upper);
        }
        std::vector<kmeta::Argument> const arguments = r->getArguments();
        std::size_t i = 0;
        for (ExpectedArgument const& e : ARGUMENTS) {
            if (e.operation != o.handle) {
                continue;
            }
            SCOPED_TRACE(e.name);
            ASSERT_LT(i, arguments.size());
            auto const* a = rec(arguments[i]);
            EXPECT_EQ(mp->*e.handle, arguments[i]);
            EXPECT_EQ(a->getName8(), e.name);
            EXPECT_EQ(arguments[i]->getUuid(), uuid(e.uuid));
            EXPECT_EQ(rec(a->getType())->getQualifiedName8(), e.type);
            EXPECT_EQ(a->getOperation(), operation);
            EXPECT_TRUE(a->isInput());
            EXPECT_EQ(a->getLower(), 1U);
            EXPECT_EQ(a->getUpper(), 1U);
            ++i;
        }
        EXPECT_EQ(arguments.size(), i);
        argumentCount += arguments.size();
    }
    EXPECT_EQ(argumentCount, 26U);
}

TEST(MetaPackage, PackageTreeHangsFromARegisteredNamelessRoot) {
    M const* const mp = M::getInstance();
    std::u16string const base = u"https://schemas.arvex.example/korm0/arvex_utilities/V3";
    auto const* root = rec(mp->rootPackage);
    EXPECT_EQ(mp->rootPackage->getUuid(), uuid(ROOT_UUID));
    EXPECT_EQ(root->getName(), u"");
    EXPECT_EQ(root->getUri(), base);
    EXPECT_TRUE(root->getParentPackage().isEmpty());
    EXPECT_EQ(root->getSubpackages(), std::vector<kmeta::Package>{mp->arvexPackage});
    EXPECT_EQ(registry().getRootPackage(base), mp->rootPackage);

    auto const* arvex = rec(mp->arvexPackage);
    EXPECT_EQ(arvex->getName(), u"arvex");
    EXPECT_EQ(arvex->getUri(), base + u"/arvex");
    EXPECT_EQ(arvex->getSubpackages(), std::vector<kmeta::Package>{mp->utilitiesPackage});

    auto const* utilities = rec(mp->utilitiesPackage);
    EXPECT_EQ(utilities->getName(), u"utilities");
    EXPECT_EQ(utilities->getUri(), base + u"/arvex.utilities");
    EXPECT_EQ(utilities->getParentPackage(), mp->arvexPackage);
    EXPECT_EQ(utilities->getQualifiedName(), u"arvex.utilities");
    EXPECT_TRUE(utilities->getSubpackages().empty());
}

// The invokers and the factories are installed once the model classes exist; until then the
// build registers the classes without them.
TEST(MetaPackage, EachClassIsRegisteredWithACollectionFactoryOfItsOwnClass) {
    M const* const mp = M::getInstance();
    // The factories make a sequence for an ordered property and a set otherwise, of whatever
    // class they serve; the property only lends its attributes here.
    korm::zero::meta::Property const& ordered = mp->UUIDMapEntry_Key;
    korm::zero::meta::Property const& unordered = mp->UUIDMap_Pairs;
    ASSERT_TRUE(ordered.getPropertyImpl()->isOrdered());
    ASSERT_FALSE(unordered.getPropertyImpl()->isOrdered());
    for (ExpectedClass const& c : CLASSES) {
        korm::zero::meta::Class const& metaClass = mp->*c.handle;
        for (auto const* property : {&ordered, &unordered}) {
            auto const collection = registry().createCollection(metaClass, nullptr, *property);
            ASSERT_NE(collection, nullptr) << c.name;
            EXPECT_EQ(collection->getCollectionType(), metaClass) << c.name;
            ASSERT_NE(collection->getGenericInterface(), nullptr) << c.name;
            EXPECT_EQ(collection->getGenericInterface()->isSequenceInterface(),
                      property == &ordered)
                << c.name;
        }
    }
}

TEST(MetaPackage, EachClassIsRegisteredWithABuilderFactoryCreatingInTheGivenModel) {
    M const* const mp = M::getInstance();
    korm::zero::Model const model = korm::zero::Model::create(u"builder factories");
    for (ExpectedClass const& c : CLASSES) {
        korm::zero::meta::Class const& metaClass = mp->*c.handle;
        auto const factory = registry().getBuilderFactory(metaClass);
        ASSERT_NE(factory, nullptr) << c.name;
        std::unique_ptr<korm::zero::ModelElement::Builder> const builder = factory(model);
        EXPECT_EQ(builder->getMetaClass(), metaClass) << c.name;
        korm::zero::Transaction transaction = model->beginTransaction(false);
        korm::zero::ModelElement const element = builder->create(boost::uuids::nil_uuid());
        transaction.commit();
        ASSERT_FALSE(element.isEmpty()) << c.name;
        EXPECT_EQ(element->getModel(), model) << c.name;
        EXPECT_EQ(element->getMetaClass(), metaClass) << c.name;
    }
}

TEST(MetaPackage, MetaModelIsFrozenAgainAfterTheBuild) {
    M const* const mp = M::getInstance();
    EXPECT_THROW(rec(mp->UUIDMapClass)->setName(u"Renamed"),
                 korm0::messages::CannotModifyFrozenModel);
    EXPECT_EQ(rec(mp->UUIDMapClass)->getName(), u"UUIDMap");
}

}  // namespace
}  // namespace arvex::utilities::test
