// The built meta-package: every meta object has a distinct name-based identity that resolves
// back to it, the classes, properties and operations have the shapes the maps rely on, and the
// registry serves a collection and a builder factory for every class.

#include <gtest/gtest.h>

#include <boost/uuid/name_generator_md5.hpp>
#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid_io.hpp>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "meta_test_support.hpp"

namespace arvex::utilities::test {
namespace {

using M = MetaPackageArvex_utilities;
namespace kmeta = korm::zero::meta;

kmeta::Class const M::*const CLASSES[] = {
    &M::FullPathAPIClass,  &M::UUIDMapClass,       &M::UUIDMapEntryClass,
    &M::UUIDMultiMapClass, &M::UUIDToUUIDMapClass, &M::UUIDToUUIDMapEntryClass,
};

std::string typeName(kmeta::Type const& type) {
    return rec(type)->getQualifiedName8();
}

// "Owner.name(arg:Type,...)" followed by ":Result[lower..upper]" unless void.
std::string signature(kmeta::Operation const& operation) {
    auto const* r = rec(operation);
    std::string text = std::string(r->isStatic() ? "static " : "") +
                       rec(r->getOwningType())->getName8() + "." + r->getName8() + "(";
    for (kmeta::Argument const& argument : r->getArguments()) {
        auto const* a = rec(argument);
        EXPECT_EQ(a->getOperation(), operation);
        EXPECT_TRUE(a->isInput());
        EXPECT_EQ(a->getLower(), 1U);
        EXPECT_EQ(a->getUpper(), 1U);
        text += (text.back() == '(' ? "" : ",") + a->getName8() + ":" + typeName(a->getType());
    }
    text += ")";
    if (!r->isVoid()) {
        text += ":" + typeName(r->getType()) + "[" + std::to_string(r->getLower()) + ".." +
                (r->getUpper() == 4294967295U ? "*" : std::to_string(r->getUpper())) + "]";
    }
    return text;
}

TEST(MetaPackage, IdentitiesAreDistinctNameBasedAndResolveToTheirObjects) {
    M const* const mp = M::getInstance();
    ASSERT_NE(mp, nullptr);
    EXPECT_EQ(M::getInstance(), mp);
    korm::zero::Model const& metaModel = registry().getMetaModel();
    std::set<boost::uuids::uuid> seen;
    std::string fixedIdentities;  // stored models refer to these: they must never change
    auto const check = [&](korm::zero::ModelElement const& object, bool nameBased = true) {
        boost::uuids::uuid const id = object->getUuid();
        EXPECT_NE(id, boost::uuids::nil_uuid());
        if (nameBased) {
            fixedIdentities += boost::uuids::to_string(id);
            EXPECT_EQ(id.version(), boost::uuids::uuid::version_name_based_md5);
        }
        EXPECT_TRUE(seen.insert(id).second) << "duplicate identity";
        EXPECT_EQ(metaModel.findElement(id), object);
    };
    check(mp->rootPackage);
    check(mp->arvexPackage, false);  // the framework gives sub-packages fresh identities
    check(mp->utilitiesPackage, false);
    EXPECT_EQ(mp->rootPackage->getUuid(), uuid(ROOT_UUID));
    std::vector<kmeta::Type> expectedTypes;
    for (auto const handle : CLASSES) {
        kmeta::Class const& type = mp->*handle;
        ASSERT_TRUE(type);
        std::string const name = rec(type)->getName8();
        SCOPED_TRACE(name);
        expectedTypes.push_back(type);
        check(type);
        EXPECT_EQ(registry().findClassByQualifiedName("arvex.utilities." + name), type);
        EXPECT_EQ(registry().findClassByNativeName("arvex::utilities::" + name), type);
        EXPECT_FALSE(rec(type)->isAbstract());
        EXPECT_EQ(rec(type)->getOwningPackage(), mp->utilitiesPackage);
        EXPECT_EQ(rec(type)->getSuperclasses(),
                  std::vector<kmeta::Class>{korm::zero::ModelElement::metaClass()});
        for (kmeta::Property const& property : rec(type)->getProperties()) {
            check(property);
            EXPECT_EQ(rec(property)->getOwningType(), type);
        }
        for (kmeta::Operation const& operation : rec(type)->getOperations()) {
            check(operation);
            EXPECT_EQ(rec(type)->findOperation(rec(operation)->getName()), operation);
            EXPECT_TRUE(rec(operation)->isPublic());
            EXPECT_FALSE(rec(operation)->isAbstract());
            EXPECT_FALSE(rec(operation)->isEvent());
            for (kmeta::Argument const& argument : rec(operation)->getArguments()) {
                check(argument);
            }
        }
    }
    EXPECT_EQ(rec(mp->utilitiesPackage)->getTypes(), expectedTypes);
    // One fingerprint of every fixed identity in build order, instead of a table of them all.
    EXPECT_EQ(boost::uuids::to_string(
                  boost::uuids::name_generator_md5(boost::uuids::ns::oid())(fixedIdentities)),
              "10e80541-d78a-3b1f-aca6-87a6bed082ea");
}

// The attributes the maps depend on: which properties contain their values, which are keyed by
// the entry's Key, and whether a key may repeat.
TEST(MetaPackage, PropertiesHaveTheShapesTheMapsRelyOn) {
    struct Expected {
        kmeta::Property M::*handle;
        std::size_t index;
        char const* type;
        bool containment, keyed, uniqueKeys, many;
    };
    Expected const expected[] = {
        {&M::UUIDMap_Pairs, 1, "arvex.utilities.UUIDMapEntry", true, true, true, true},
        {&M::UUIDMapEntry_Key, 1, "UUID", false, false, true, false},
        {&M::UUIDMapEntry_Value, 2, "UUID", false, false, true, false},
        {&M::UUIDMultiMap_Pairs, 1, "arvex.utilities.UUIDMapEntry", true, true, false, true},
        {&M::UUIDToUUIDMap_Pairs, 1, "arvex.utilities.UUIDToUUIDMapEntry", true, true, true, true},
        {&M::UUIDToUUIDMapEntry_Key, 1, "UUID", false, false, true, false},
        {&M::UUIDToUUIDMapEntry_Value, 2, "arvex.utilities.UUIDMap", true, false, true, false},
    };
    M const* const mp = M::getInstance();
    std::size_t count = 0;
    for (auto const handle : CLASSES) {
        count += rec(mp->*handle)->getProperties().size();
    }
    EXPECT_EQ(count, std::size(expected));
    for (Expected const& e : expected) {
        kmeta::Property const& property = mp->*e.handle;
        auto const* r = rec(property);
        SCOPED_TRACE(r->getName8());
        kmeta::Class const owner(r->getOwningType().getImpl());
        EXPECT_EQ(rec(owner)->findPropertyByIndex(e.index), property);
        EXPECT_EQ(typeName(r->getType()), e.type);
        EXPECT_EQ(r->isContainment(), e.containment);
        EXPECT_FALSE(r->getDefaultValue().has_value());
        EXPECT_EQ(r->getLower(), 0U);
        EXPECT_EQ(r->getUpper(), e.many ? 4294967295U : 1U);
        EXPECT_EQ(r->isQualificationUnique(), e.uniqueKeys);
        EXPECT_EQ(r->getQualifiedBy().isEmpty(), !e.keyed);
        if (e.keyed) {
            EXPECT_EQ(r->getQualifiedBy(),
                      rec(kmeta::Class(r->getType().getImpl()))->findProperty(u"Key"));
        }
    }
}

TEST(MetaPackage, OperationsHaveTheirSignatures) {
    std::vector<std::string> const expected = {
        "static FullPathAPI.getComponentNames(namedPath:String):String[0..*]",
        "UUIDMap.insertPair(key:UUID,value:UUID)",
        "UUIDMap.erasePairForKey(key:UUID)",
        "UUIDMap.erasePairsForValue(value:UUID)",
        "UUIDMap.findValueForKey(key:UUID):UUID[1..1]",
        "UUIDMap.hasKey(key:UUID):Boolean[1..1]",
        "UUIDMultiMap.insertPair(key:UUID,value:UUID)",
        "UUIDMultiMap.erasePairsForKey(key:UUID)",
        "UUIDMultiMap.erasePairsKeyAndValue(key:UUID,value:UUID)",
        "UUIDMultiMap.erasePairsForValue(value:UUID)",
        "UUIDMultiMap.findValuesForKey(key:UUID):UUID[0..*]",
        "UUIDMultiMap.hasKey(key:UUID):Boolean[1..1]",
        "UUIDToUUIDMap.insertPair(containerKey:UUID,subKey:UUID,value:UUID)",
        "UUIDToUUIDMap.erasePairForKey(containerKey:UUID)",
        "UUIDToUUIDMap.erasePairForKeys(containerKey:UUID,subKey:UUID)",
        "UUIDToUUIDMap.findValueForKey(containerKey:UUID):arvex.utilities.UUIDMap[1..1]",
        "UUIDToUUIDMap.findValuesWithSubKey(subKey:UUID):UUID[0..*]",
        "UUIDToUUIDMap.findValueForKeys(containerKey:UUID,subKey:UUID):UUID[1..1]",
        "UUIDToUUIDMap.hasKey(containerKey:UUID):Boolean[1..1]",
    };
    M const* const mp = M::getInstance();
    std::vector<std::string> actual;
    for (auto const handle : CLASSES) {
        for (kmeta::Operation const& operation : rec(mp->*handle)->getOperations()) {
            actual.push_back(signature(operation));
        }
    }
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(signature(mp->UUIDToUUIDMap_insertPair), expected[12]);
    EXPECT_EQ(rec(mp->UUIDToUUIDMap_insertPair)->getArguments().back(),
              mp->UUIDToUUIDMap_insertPair_value);
}

TEST(MetaPackage, PackageTreeHangsFromARegisteredNamelessRoot) {
    M const* const mp = M::getInstance();
    std::u16string const base = u"https://schemas.arvex.example/korm0/arvex_utilities/V3";
    auto const* root = rec(mp->rootPackage);
    EXPECT_EQ(root->getName(), u"");
    EXPECT_EQ(root->getUri(), base);
    EXPECT_TRUE(root->getParentPackage().isEmpty());
    EXPECT_EQ(root->getSubpackages(), std::vector<kmeta::Package>{mp->arvexPackage});
    EXPECT_EQ(registry().getRootPackage(base), mp->rootPackage);
    EXPECT_EQ(rec(mp->arvexPackage)->getUri(), base + u"/arvex");
    EXPECT_EQ(rec(mp->arvexPackage)->getSubpackages(),
              std::vector<kmeta::Package>{mp->utilitiesPackage});
    auto const* utilities = rec(mp->utilitiesPackage);
    EXPECT_EQ(utilities->getUri(), base + u"/arvex.utilities");
    EXPECT_EQ(utilities->getParentPackage(), mp->arvexPackage);
    EXPECT_EQ(utilities->getQualifiedName(), u"arvex.utilities");
    EXPECT_TRUE(utilities->getSubpackages().empty());
}

// The factories make a sequence for an ordered property and a set otherwise, of whatever class
// they serve (the property only lends its attributes); the builders create in the given model.
TEST(MetaPackage, EachClassHasCollectionAndBuilderFactories) {
    M const* const mp = M::getInstance();
    kmeta::Property const& ordered = mp->UUIDMapEntry_Key;
    kmeta::Property const& unordered = mp->UUIDMap_Pairs;
    ASSERT_TRUE(ordered.getPropertyImpl()->isOrdered());
    ASSERT_FALSE(unordered.getPropertyImpl()->isOrdered());
    korm::zero::Model const model = korm::zero::Model::create(u"builder factories");
    for (auto const handle : CLASSES) {
        kmeta::Class const& metaClass = mp->*handle;
        SCOPED_TRACE(rec(metaClass)->getName8());
        for (auto const* property : {&ordered, &unordered}) {
            auto const collection = registry().createCollection(metaClass, nullptr, *property);
            ASSERT_NE(collection, nullptr);
            EXPECT_EQ(collection->getCollectionType(), metaClass);
            ASSERT_NE(collection->getGenericInterface(), nullptr);
            EXPECT_EQ(collection->getGenericInterface()->isSequenceInterface(),
                      property == &ordered);
        }
        auto const factory = registry().getBuilderFactory(metaClass);
        ASSERT_NE(factory, nullptr);
        std::unique_ptr<korm::zero::ModelElement::Builder> const builder = factory(model);
        EXPECT_EQ(builder->getMetaClass(), metaClass);
        korm::zero::Transaction transaction = model->beginTransaction(false);
        korm::zero::ModelElement const element = builder->create(boost::uuids::nil_uuid());
        transaction.commit();
        ASSERT_FALSE(element.isEmpty());
        EXPECT_EQ(element->getModel(), model);
        EXPECT_EQ(element->getMetaClass(), metaClass);
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
