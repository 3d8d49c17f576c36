// Reflective invocation of the model operations: each gives what the direct call gives and
// leaves the same model state, and every refusal comes before anything changes.

#include <gtest/gtest.h>

#include <boost/optional.hpp>
#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <functional>
#include <string>
#include <vector>

#include "arvex_utilities.hpp"
#include "korm/zero/zero.hpp"
#include "meta_test_support.hpp"
#include "test_support.hpp"

namespace arvex::utilities::test {
namespace {

namespace kz = korm::zero;
using boost::uuids::uuid;
using M = MetaPackageArvex_utilities;

uuid key(unsigned char n) {
    uuid u = boost::uuids::nil_uuid();
    u.data[15] = n;
    return u;
}

kz::Value arg(uuid const& u) {
    return makeValue(u);
}

std::vector<kz::Value> args(std::vector<uuid> const& ids) {
    std::vector<kz::Value> values;
    for (auto const& u : ids) {
        values.push_back(arg(u));
    }
    return values;
}

/// A model name no other open model has.
std::u16string modelName() {
    static int count = 0;
    std::string const text = "invoker" + std::to_string(++count);
    return std::u16string(text.begin(), text.end());
}

/// "key:value" of every pair in order, by last byte.
template <class Nodes>
std::string dumpPairs(Nodes const& nodes) {
    std::string text;
    for (auto const& node : nodes) {
        text += std::to_string(node.first.data[15]) + ":" +
                std::to_string(node.second->getValue().data[15]) + " ";
    }
    return text;
}

std::string dump(UUIDMap const& map) {
    return dumpPairs(UUIDMap::Impl::entriesOf(map->peekPairs()));
}

/// A model with one map of each kind, each holding a few pairs.
struct Fixture {
    kz::Model model = kz::Model::create(modelName());
    UUIDMap map;
    UUIDMultiMap multi;
    UUIDToUUIDMap twoLevel;

    Fixture() {
        kz::Transaction transaction = model->beginTransaction(false);
        map = UUIDMap::create(model);
        multi = UUIDMultiMap::create(model);
        twoLevel = UUIDToUUIDMap::create(model);
        for (unsigned char k = 1; k <= 3; ++k) {
            map->insertPair(key(k), key(k % 2 == 0 ? 20 : 10));
            multi->insertPair(key(k), key(10));
            multi->insertPair(key(k), key(20 + k));
            twoLevel->insertPair(key(k), key(5), key(50 + k));
        }
        twoLevel->insertPair(key(1), key(6), key(60));
        transaction.commit();
    }

    std::string state() const {
        std::string text =
            dump(map) + "| " + dumpPairs(UUIDMultiMap::Impl::entriesOf(multi->peekPairs())) + "|";
        for (auto const& node : UUIDToUUIDMap::Impl::entriesOf(twoLevel->peekPairs())) {
            text += " " + std::to_string(node.first.data[15]) + "{" +
                    (node.second->hasValue() ? dump(node.second->getValue()) : "-") + "}";
        }
        return text;
    }

    boost::optional<kz::Value> invoke(kz::meta::Operation const& operation,
                                      kz::ModelElement const& receiver,
                                      std::vector<kz::Value> const& values) {
        kz::Transaction transaction = model->beginTransaction(false);
        auto result = registry().invoke(operation, receiver, values);
        transaction.commit();
        return result;
    }
    boost::optional<kz::Value> invoke(kz::meta::Operation const& operation,
                                      std::vector<kz::Value> const& values) {
        return invoke(operation, map, values);
    }
};

using Direct = std::function<boost::optional<kz::Value>(Fixture&)>;
using Receiver = kz::ModelElement (*)(Fixture const&);

kz::ModelElement mapOf(Fixture const& f) {
    return f.map;
}
kz::ModelElement multiOf(Fixture const& f) {
    return f.multi;
}
kz::ModelElement twoLevelOf(Fixture const& f) {
    return f.twoLevel;
}

template <class F>
Direct none(F f) {
    return [f](Fixture& fixture) {
        f(fixture);
        return boost::optional<kz::Value>();
    };
}
template <class F>
Direct some(F f) {
    return [f](Fixture& fixture) { return boost::optional<kz::Value>(makeValue(f(fixture))); };
}

struct Case {
    char const* name;
    kz::meta::Operation M::*operation;
    Receiver receiver;
    std::vector<uuid> arguments;
    Direct direct;
};

TEST(Invokers, EveryOperationMatchesTheDirectCall) {
    M const* const mp = M::getInstance();
    std::vector<Case> const cases = {
        {"map insertPair", &M::UUIDMap_insertPair, mapOf, {key(4), key(40)}, none([](Fixture& f) {
             f.map->insertPair(key(4), key(40));
         })},
        {"map erasePairForKey", &M::UUIDMap_erasePairForKey, mapOf, {key(2)}, none([](Fixture& f) {
             f.map->erasePairForKey(key(2));
         })},
        {"map erasePairsForValue",
         &M::UUIDMap_erasePairsForValue,
         mapOf,
         {key(10)},
         none([](Fixture& f) { f.map->erasePairsForValue(key(10)); })},
        {"map findValueForKey", &M::UUIDMap_findValueForKey, mapOf, {key(2)}, some([](Fixture& f) {
             return f.map->findValueForKey(key(2));
         })},
        {"map findValueForKey absent",
         &M::UUIDMap_findValueForKey,
         mapOf,
         {key(9)},
         some([](Fixture& f) { return f.map->findValueForKey(key(9)); })},
        {"map hasKey", &M::UUIDMap_hasKey, mapOf, {key(3)}, some([](Fixture& f) {
             return f.map->hasKey(key(3));
         })},
        {"multi insertPair",
         &M::UUIDMultiMap_insertPair,
         multiOf,
         {key(1), key(10)},
         none([](Fixture& f) { f.multi->insertPair(key(1), key(10)); })},
        {"multi erasePairsForKey",
         &M::UUIDMultiMap_erasePairsForKey,
         multiOf,
         {key(2)},
         none([](Fixture& f) { f.multi->erasePairsForKey(key(2)); })},
        {"multi erasePairsKeyAndValue",
         &M::UUIDMultiMap_erasePairsKeyAndValue,
         multiOf,
         {key(3), key(23)},
         none([](Fixture& f) { f.multi->erasePairsKeyAndValue(key(3), key(23)); })},
        {"multi erasePairsForValue",
         &M::UUIDMultiMap_erasePairsForValue,
         multiOf,
         {key(10)},
         none([](Fixture& f) { f.multi->erasePairsForValue(key(10)); })},
        {"multi findValuesForKey",
         &M::UUIDMultiMap_findValuesForKey,
         multiOf,
         {key(1)},
         some([](Fixture& f) { return f.multi->findValuesForKey(key(1)); })},
        {"multi findValuesForKey absent",
         &M::UUIDMultiMap_findValuesForKey,
         multiOf,
         {key(9)},
         some([](Fixture& f) { return f.multi->findValuesForKey(key(9)); })},
        {"multi hasKey", &M::UUIDMultiMap_hasKey, multiOf, {key(9)}, some([](Fixture& f) {
             return f.multi->hasKey(key(9));
         })},
        {"two-level insertPair",
         &M::UUIDToUUIDMap_insertPair,
         twoLevelOf,
         {key(4), key(5), key(54)},
         none([](Fixture& f) { f.twoLevel->insertPair(key(4), key(5), key(54)); })},
        {"two-level erasePairForKey",
         &M::UUIDToUUIDMap_erasePairForKey,
         twoLevelOf,
         {key(2)},
         none([](Fixture& f) { f.twoLevel->erasePairForKey(key(2)); })},
        {"two-level erasePairForKeys",
         &M::UUIDToUUIDMap_erasePairForKeys,
         twoLevelOf,
         {key(1), key(6)},
         none([](Fixture& f) { f.twoLevel->erasePairForKeys(key(1), key(6)); })},
        {"two-level findValueForKey",
         &M::UUIDToUUIDMap_findValueForKey,
         twoLevelOf,
         {key(1)},
         some([](Fixture& f) { return f.twoLevel->findValueForKey(key(1)); })},
        {"two-level findValueForKey absent",
         &M::UUIDToUUIDMap_findValueForKey,
         twoLevelOf,
         {key(9)},
         some([](Fixture& f) { return f.twoLevel->findValueForKey(key(9)); })},
        {"two-level findValuesWithSubKey",
         &M::UUIDToUUIDMap_findValuesWithSubKey,
         twoLevelOf,
         {key(5)},
         some([](Fixture& f) { return f.twoLevel->findValuesWithSubKey(key(5)); })},
        {"two-level findValueForKeys",
         &M::UUIDToUUIDMap_findValueForKeys,
         twoLevelOf,
         {key(1), key(6)},
         some([](Fixture& f) { return f.twoLevel->findValueForKeys(key(1), key(6)); })},
        {"two-level hasKey", &M::UUIDToUUIDMap_hasKey, twoLevelOf, {key(3)}, some([](Fixture& f) {
             return f.twoLevel->hasKey(key(3));
         })},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture reflective;
        Fixture direct;
        auto const got =
            reflective.invoke(mp->*c.operation, c.receiver(reflective), args(c.arguments));
        kz::Transaction transaction = direct.model->beginTransaction(false);
        auto const expected = c.direct(direct);
        transaction.commit();
        ASSERT_EQ(got.has_value(), expected.has_value());
        if (got) {
            if (got->getType() == kz::meta::Type(UUIDMap::metaClass())) {
                // An inner map (the fixtures' maps are different elements: compare what they
                // hold), or a null handle for an absent container key.
                UUIDMap const map = got->getValue<UUIDMap>();
                UUIDMap const want = expected->getValue<UUIDMap>();
                ASSERT_EQ(map.isEmpty(), want.isEmpty());
                if (!map.isEmpty()) {
                    EXPECT_EQ(dump(map), dump(want));
                }
            } else {
                EXPECT_TRUE(*got == *expected);
                EXPECT_EQ(got->getType(), (mp->*c.operation).getOperationImpl()->getType());
            }
        }
        EXPECT_EQ(reflective.state(), direct.state());
    }
}

TEST(Invokers, RefusalsComeBeforeAnyChange) {
    M const* const mp = M::getInstance();
    Fixture f;
    std::string const before = f.state();
    // Wrong argument count, either way.
    EXPECT_EQ(arvex_test::thrownId([&] {
                  f.invoke(mp->UUIDMap_hasKey, args({key(1), key(2)}));
              }),
              "korm0:messages:InvalidValue");
    EXPECT_EQ(arvex_test::thrownId([&] { f.invoke(mp->UUIDMap_insertPair, args({key(5)})); }),
              "korm0:messages:InvalidValue");
    // A receiver of another class, and no receiver at all.
    EXPECT_EQ(arvex_test::thrownId([&] {
                  f.invoke(mp->UUIDMap_insertPair, f.multi, args({key(5), key(6)}));
              }),
              "korm0:messages:InvalidValue");
    EXPECT_EQ(arvex_test::thrownId([&] {
                  registry().invoke(mp->UUIDMap_hasKey, kz::ModelElement(), args({key(1)}));
              }),
              "korm0:messages:InvalidValue");
    // A valid first argument does not let the call through when the second is no UUID.
    EXPECT_EQ(arvex_test::thrownId([&] {
                  f.invoke(mp->UUIDMap_insertPair, {arg(key(7)), makeValue(true)});
              }),
              "korm0:messages:CannotCastIncompatibleTypes");
    EXPECT_EQ(f.state(), before);
    // What the operation reports passes through.
    EXPECT_EQ(arvex_test::thrownId([&] {
                  f.invoke(mp->UUIDMap_insertPair, args({key(1), key(99)}));
              }),
              "korm0:messages:UniquenessConstraint");
}

TEST(Invokers, AnOperationIsFoundByItsClassAndName) {
    Fixture f;
    auto const found =
        registry().invoke(UUIDMultiMap::metaClass(), u"findValuesForKey", f.multi, args({key(2)}));
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->getValue<UUIDVector>(), (UUIDVector{key(10), key(22)}));
    EXPECT_EQ(arvex_test::thrownId([&] {
                  registry().invoke(UUIDMultiMap::metaClass(), u"noSuchOperation", f.multi, {});
              }),
              "korm0:messages:CannotInvokeOperation");
}

TEST(Invokers, ACompatibleArgumentWithoutDataReadsAsTheNilUuid) {
    M const* const mp = M::getInstance();
    Fixture f;
    kz::Value const empty(kz::ValueMeta((mp->UUIDMap_hasKey_key).getTypedElementImpl()->getType(),
                                        kz::ValueMeta::KIND_SINGLE),
                          nullptr, kz::Value::Operations{});
    f.invoke(mp->UUIDMap_insertPair, {empty, arg(key(50))});
    EXPECT_EQ(f.map->findValueForKey(boost::uuids::nil_uuid()), key(50));
}

TEST(Invokers, EveryNonStaticOperationHasAnInvokerAndTheStaticOneNone) {
    M const* const mp = M::getInstance();
    EXPECT_FALSE(registry().hasInvoker(mp->FullPathAPI_getComponentNames));
    for (auto const operation :
         {&M::UUIDMap_insertPair, &M::UUIDMap_erasePairForKey, &M::UUIDMap_erasePairsForValue,
          &M::UUIDMap_findValueForKey, &M::UUIDMap_hasKey, &M::UUIDMultiMap_insertPair,
          &M::UUIDMultiMap_erasePairsForKey, &M::UUIDMultiMap_erasePairsKeyAndValue,
          &M::UUIDMultiMap_erasePairsForValue, &M::UUIDMultiMap_findValuesForKey,
          &M::UUIDMultiMap_hasKey, &M::UUIDToUUIDMap_insertPair, &M::UUIDToUUIDMap_erasePairForKey,
          &M::UUIDToUUIDMap_erasePairForKeys, &M::UUIDToUUIDMap_findValueForKey,
          &M::UUIDToUUIDMap_findValuesWithSubKey, &M::UUIDToUUIDMap_findValueForKeys,
          &M::UUIDToUUIDMap_hasKey}) {
        EXPECT_TRUE(registry().hasInvoker(mp->*operation));
    }
}

}  // namespace
}  // namespace arvex::utilities::test
