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

/// "key:value" of every pair in order, by last byte.
std::string dump(UUIDMap const& map) {
    std::string text;
    for (auto const& node : UUIDMap::Impl::entriesOf(map->peekPairs())) {
        text += std::to_string(node.first.data[15]) + ":" +
                std::to_string(node.second->getValue().data[15]) + " ";
    }
    return text;
}

/// A model name no other open model has.
std::u16string modelName() {
    static int count = 0;
    std::string const text = "invoker" + std::to_string(++count);
    return std::u16string(text.begin(), text.end());
}

struct Fixture {
    kz::Model model = kz::Model::create(modelName());
    UUIDMap map;
    Fixture() {
        kz::Transaction transaction = model->beginTransaction(false);
        map = UUIDMap::create(model);
        map->insertPair(key(1), key(10));
        map->insertPair(key(2), key(20));
        map->insertPair(key(3), key(10));
        transaction.commit();
    }
    boost::optional<kz::Value> invoke(kz::meta::Operation const& operation,
                                      std::vector<kz::Value> const& values) {
        kz::Transaction transaction = model->beginTransaction(false);
        auto result = registry().invoke(operation, map, values);
        transaction.commit();
        return result;
    }
};

struct MapCase {
    char const* name;
    kz::meta::Operation M::*operation;
    std::vector<uuid> arguments;
    std::function<boost::optional<kz::Value>(UUIDMap::Impl&)> direct;
};

TEST(Invokers, UUIDMapOperationsMatchTheDirectCall) {
    M const* const mp = M::getInstance();
    std::vector<MapCase> const cases = {
        {"insertPair",
         &M::UUIDMap_insertPair,
         {key(4), key(40)},
         [](UUIDMap::Impl& m) {
             m.insertPair(key(4), key(40));
             return boost::optional<kz::Value>();
         }},
        {"erasePairForKey",
         &M::UUIDMap_erasePairForKey,
         {key(2)},
         [](UUIDMap::Impl& m) {
             m.erasePairForKey(key(2));
             return boost::optional<kz::Value>();
         }},
        {"erasePairsForValue",
         &M::UUIDMap_erasePairsForValue,
         {key(10)},
         [](UUIDMap::Impl& m) {
             m.erasePairsForValue(key(10));
             return boost::optional<kz::Value>();
         }},
        {"findValueForKey",
         &M::UUIDMap_findValueForKey,
         {key(2)},
         [](UUIDMap::Impl& m) {
             return boost::optional<kz::Value>(makeValue(m.findValueForKey(key(2))));
         }},
        {"findValueForKey absent",
         &M::UUIDMap_findValueForKey,
         {key(9)},
         [](UUIDMap::Impl& m) {
             return boost::optional<kz::Value>(makeValue(m.findValueForKey(key(9))));
         }},
        {"hasKey",
         &M::UUIDMap_hasKey,
         {key(3)},
         [](UUIDMap::Impl& m) { return boost::optional<kz::Value>(makeValue(m.hasKey(key(3)))); }},
    };
    for (MapCase const& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture reflective;
        Fixture direct;
        auto const got = reflective.invoke(mp->*c.operation, args(c.arguments));
        kz::Transaction transaction = direct.model->beginTransaction(false);
        auto const expected = c.direct(*direct.map.getImpl());
        transaction.commit();
        ASSERT_EQ(got.has_value(), expected.has_value());
        if (got) {
            EXPECT_TRUE(*got == *expected);
            // Typed by the operation's declared type.
            EXPECT_EQ(got->getType(), (mp->*c.operation).getOperationImpl()->getType());
        }
        EXPECT_EQ(dump(reflective.map), dump(direct.map));
    }
}

TEST(Invokers, RefusalsComeBeforeAnyChange) {
    M const* const mp = M::getInstance();
    Fixture f;
    std::string const before = dump(f.map);
    // Wrong argument count, either way.
    EXPECT_EQ(arvex_test::thrownId([&] {
                  f.invoke(mp->UUIDMap_hasKey, args({key(1), key(2)}));
              }),
              "korm0:messages:InvalidValue");
    EXPECT_EQ(arvex_test::thrownId([&] { f.invoke(mp->UUIDMap_insertPair, args({key(5)})); }),
              "korm0:messages:InvalidValue");
    // A receiver of another class, and no receiver at all.
    UUIDMultiMap other;
    {
        kz::Transaction transaction = f.model->beginTransaction(false);
        other = UUIDMultiMap::create(f.model);
        transaction.commit();
    }
    EXPECT_EQ(arvex_test::thrownId([&] {
                  registry().invoke(mp->UUIDMap_insertPair, other, args({key(5), key(6)}));
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
    EXPECT_EQ(dump(f.map), before);
    // What the operation reports passes through.
    EXPECT_EQ(arvex_test::thrownId([&] {
                  f.invoke(mp->UUIDMap_insertPair, args({key(1), key(99)}));
              }),
              "korm0:messages:UniquenessConstraint");
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

TEST(Invokers, EveryNonStaticOperationHasOneInvokerAndTheStaticOneNone) {
    M const* const mp = M::getInstance();
    EXPECT_FALSE(registry().hasInvoker(mp->FullPathAPI_getComponentNames));
    for (auto const operation :
         {&M::UUIDMap_insertPair, &M::UUIDMap_erasePairForKey, &M::UUIDMap_erasePairsForValue,
          &M::UUIDMap_findValueForKey, &M::UUIDMap_hasKey}) {
        EXPECT_TRUE(registry().hasInvoker(mp->*operation));
    }
}

}  // namespace
}  // namespace arvex::utilities::test
