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

// The direct call of a case, with `f` the fixture; DO for void operations, GET otherwise.
#define DO(call)                             \
    [](Fixture& f) {                         \
        call;                                \
        return boost::optional<kz::Value>(); \
    }
#define GET(call) [](Fixture& f) { return boost::optional<kz::Value>(makeValue(call)); }

struct Case {
    kz::meta::Operation M::*operation;
    std::vector<uuid> arguments;
    Direct direct;
};

TEST(Invokers, EveryOperationMatchesTheDirectCall) {
    M const* const mp = M::getInstance();
    // clang-format off
    std::vector<Case> const cases = {
        {&M::UUIDMap_insertPair, {key(4), key(40)}, DO(f.map->insertPair(key(4), key(40)))},
        {&M::UUIDMap_erasePairForKey, {key(2)}, DO(f.map->erasePairForKey(key(2)))},
        {&M::UUIDMap_erasePairsForValue, {key(10)}, DO(f.map->erasePairsForValue(key(10)))},
        {&M::UUIDMap_findValueForKey, {key(2)}, GET(f.map->findValueForKey(key(2)))},
        {&M::UUIDMap_findValueForKey, {key(9)}, GET(f.map->findValueForKey(key(9)))},
        {&M::UUIDMap_hasKey, {key(3)}, GET(f.map->hasKey(key(3)))},
        {&M::UUIDMultiMap_insertPair, {key(1), key(10)}, DO(f.multi->insertPair(key(1), key(10)))},
        {&M::UUIDMultiMap_erasePairsForKey, {key(2)}, DO(f.multi->erasePairsForKey(key(2)))},
        {&M::UUIDMultiMap_erasePairsKeyAndValue, {key(3), key(23)},
         DO(f.multi->erasePairsKeyAndValue(key(3), key(23)))},
        {&M::UUIDMultiMap_erasePairsForValue, {key(10)}, DO(f.multi->erasePairsForValue(key(10)))},
        {&M::UUIDMultiMap_findValuesForKey, {key(1)}, GET(f.multi->findValuesForKey(key(1)))},
        {&M::UUIDMultiMap_findValuesForKey, {key(9)}, GET(f.multi->findValuesForKey(key(9)))},
        {&M::UUIDMultiMap_hasKey, {key(9)}, GET(f.multi->hasKey(key(9)))},
        {&M::UUIDToUUIDMap_insertPair, {key(4), key(5), key(54)},
         DO(f.twoLevel->insertPair(key(4), key(5), key(54)))},
        {&M::UUIDToUUIDMap_erasePairForKey, {key(2)}, DO(f.twoLevel->erasePairForKey(key(2)))},
        {&M::UUIDToUUIDMap_erasePairForKeys, {key(1), key(6)},
         DO(f.twoLevel->erasePairForKeys(key(1), key(6)))},
        {&M::UUIDToUUIDMap_findValueForKey, {key(1)}, GET(f.twoLevel->findValueForKey(key(1)))},
        {&M::UUIDToUUIDMap_findValueForKey, {key(9)}, GET(f.twoLevel->findValueForKey(key(9)))},
        {&M::UUIDToUUIDMap_findValuesWithSubKey, {key(5)},
         GET(f.twoLevel->findValuesWithSubKey(key(5)))},
        {&M::UUIDToUUIDMap_findValueForKeys, {key(1), key(6)},
         GET(f.twoLevel->findValueForKeys(key(1), key(6)))},
        {&M::UUIDToUUIDMap_hasKey, {key(3)}, GET(f.twoLevel->hasKey(key(3)))},
    };
    // clang-format on
    for (std::size_t i = 0; i < cases.size(); ++i) {
        Case const& c = cases[i];
        kz::meta::Operation const& operation = mp->*c.operation;
        SCOPED_TRACE(rec(operation)->getName8() + " case " + std::to_string(i));
        Fixture reflective;
        Fixture direct;
        // The receiver is the fixture's map of the operation's class.
        kz::meta::Type const owner = rec(operation)->getOwningType();
        kz::ModelElement const receiver = owner == kz::meta::Type(UUIDMap::metaClass())
                                              ? kz::ModelElement(reflective.map)
                                          : owner == kz::meta::Type(UUIDMultiMap::metaClass())
                                              ? kz::ModelElement(reflective.multi)
                                              : kz::ModelElement(reflective.twoLevel);
        auto const got = reflective.invoke(operation, receiver, args(c.arguments));
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
    // Wrong argument count, either way; a receiver of another class, and no receiver at all.
    // Each message names the count or the receiver and says what was wanted.
    EXPECT_EQ(arvex_test::thrownWhat([&] {
                  f.invoke(mp->UUIDMap_hasKey, args({key(1), key(2)}));
              }),
              "korm0:messages:InvalidValue: The value 2 is not valid as the argument count of "
              "operation hasKey: it takes 1.");
    EXPECT_EQ(arvex_test::thrownWhat([&] { f.invoke(mp->UUIDMap_insertPair, args({key(5)})); }),
              "korm0:messages:InvalidValue: The value 1 is not valid as the argument count of "
              "operation insertPair: it takes 2.");
    EXPECT_EQ(arvex_test::thrownWhat([&] {
                  f.invoke(mp->UUIDMap_insertPair, f.multi, args({key(5), key(6)}));
              }),
              "korm0:messages:InvalidValue: The value <element of class "
              "arvex.utilities.UUIDMultiMap> is not valid as the receiver of operation "
              "insertPair: it is an operation of arvex.utilities.UUIDMap.");
    EXPECT_EQ(arvex_test::thrownWhat([&] {
                  registry().invoke(mp->UUIDMap_hasKey, kz::ModelElement(), args({key(1)}));
              }),
              "korm0:messages:InvalidValue: The value <empty handle> is not valid as the "
              "receiver of operation hasKey: it is an operation of arvex.utilities.UUIDMap.");
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
    std::size_t count = 0;
    for (auto const& metaClass : rec(M::getInstance()->utilitiesPackage)->getTypes()) {
        for (kz::meta::Operation const& operation :
             rec(kz::meta::Class(metaClass.getImpl()))->getOperations()) {
            EXPECT_NE(registry().hasInvoker(operation), rec(operation)->isStatic());
            ++count;
        }
    }
    EXPECT_EQ(count, 19U);
}

}  // namespace
}  // namespace arvex::utilities::test
