// The keyed collections (map and multimap) and the proxy table they share with the set:
// order, collisions, bookkeeping, re-filing under a new key, failures that change nothing,
// rollback, undo and redo, proxies.

#include <functional>
#include <stdexcept>

#include "arvex/utilities/collections/typed_values.hpp"
#include "collection_test_support.hpp"
#include "korm/zero/model_impl.hpp"

namespace korm::zero::colltest {
namespace {

using CR = CollisionResolution;
using Keyed = KeyedCollectionInterface<boost::uuids::uuid>;

/// Re-files `entry` in `collection` under `newKey`, the entry storing the key on the way.
void rekey(Keyed& collection, Entry const& entry, boost::uuids::uuid const& newKey) {
    collection.rekey(entry, newKey, [&] { entry->storeKey(newKey); });
}

class KeyedCollections : public ::testing::Test {
  protected:
    Model model = Model::create();
    Holder holder = Holder::create(model);
    Holder::Impl::Map& map = holder->map();
    Holder::Impl::Multi& multi = holder->multi();
};

TEST_F(KeyedCollections, KeysOrderAsUnsignedBytesAndLookupsAnswerAbsenceQuietly) {
    for (std::uint8_t b : {0x80, 0x00, 0xff, 0x7f}) {
        map.insert(Entry::create(model, key(b)), CR::REPORT);
    }
    std::vector<boost::uuids::uuid> keys;
    for (auto const& node : map.getContainer()) {
        keys.push_back(node.first);
    }
    EXPECT_EQ(keys, (std::vector{key(0x00), key(0x7f), key(0x80), key(0xff)}));
    auto const values = map.getAllKeys();
    ASSERT_EQ(values.size(), 4U);
    EXPECT_EQ(values[3].getValue<boost::uuids::uuid>(), key(0xff));
    EXPECT_EQ(map.getGenericInterface()->isMapInterface(), true);

    auto* generic = static_cast<GenericMapInterface*>(map.getGenericInterface());
    EXPECT_EQ(generic->genericGet(arvex::utilities::makeValue(key(0x7f))), map.find(key(0x7f)));
    EXPECT_TRUE(generic->genericGet(arvex::utilities::makeValue(key(0x01))).isEmpty());
    EXPECT_EQ(generic->genericKeys().size(), 4U);
    EXPECT_EQ(generic->getQualifierType(),
              CollectionTestMeta::get().key.getPropertyImpl()->getType());
    EXPECT_EQ(thrownId([&] { generic->genericGet(arvex::utilities::makeValue(true)); }),
              "korm0:messages:CannotCastIncompatibleTypes");
    EXPECT_EQ(map.findRecord(key(0x80)), map.find(key(0x80)).getImpl());
    EXPECT_EQ(map.findRecord(key(0x01)), nullptr);
    EXPECT_FALSE(map.hasKey(key(0x01)));
    EXPECT_TRUE(map.find(key(0x01)).isEmpty());
}

TEST_F(KeyedCollections, TheSameEntryTwiceLeavesOneNode) {
    Entry const a = Entry::create(model, key(1));
    for (int i = 0; i < 2; ++i) {
        for (auto mode : {CR::REPORT, CR::IGNORE, CR::REPLACE}) {
            map.insert(a, mode);
        }
        multi.insert(Entry::create(model, key(9)));
    }
    Entry const b = Entry::create(model, key(2));
    multi.insert(b);
    multi.insert(b);
    EXPECT_EQ(map.size(), 1U);
    EXPECT_EQ(multi.count(key(2)), 1U);
}

TEST_F(KeyedCollections, CollisionModes) {
    Entry const first = Entry::create(model, key(5));
    Entry const second = Entry::create(model, key(5));
    map.insert(first, CR::REPORT);
    std::string const before = state(holder);

    EXPECT_EQ(thrownId([&] { map.insert(second, CR::REPORT); }),
              "korm0:messages:UniquenessConstraint");
    EXPECT_EQ(state(holder), before);
    map.insert(second, CR::IGNORE);
    EXPECT_EQ(state(holder), before);
    EXPECT_EQ(second->basicContainer(), nullptr);

    map.insert(second, CR::REPLACE);
    EXPECT_EQ(map.find(key(5)), second);
    EXPECT_EQ(second->basicContainer(), holder.getImpl());
    EXPECT_EQ(first->basicContainer(), nullptr);
    EXPECT_TRUE(first);  // let go, not destroyed

    // A multimap keeps both, in filing order, and lists the key once.
    Entry const third = Entry::create(model, key(5));
    multi.insert(first);
    multi.insert(third);
    multi.insert(Entry::create(model, key(1)));
    EXPECT_EQ(multi.findAll(key(5)), (std::vector{first, third}));
    auto* generic = static_cast<GenericMultimapInterface*>(multi.getGenericInterface());
    EXPECT_EQ(generic->genericGet(arvex::utilities::makeValue(key(5))),
              (std::vector<ModelElement>{first, third}));
    EXPECT_EQ(multi.getAllKeys().size(), 2U);
}

TEST_F(KeyedCollections, RemovalLeavesALiveUncontainedEntryAndMovingTakesItFromItsOldHolder) {
    Entry const a = Entry::create(model, key(1));
    map.insert(a, CR::REPORT);
    EXPECT_EQ(a->containmentFeature(), CollectionTestMeta::get().map);
    map.remove(a);
    EXPECT_TRUE(a);
    EXPECT_EQ(a->basicContainer(), nullptr);
    EXPECT_TRUE(map.empty());

    map.insert(a, CR::REPORT);
    Holder const other = Holder::create(model);
    other->map().insert(a, CR::REPORT);
    EXPECT_TRUE(map.empty());
    EXPECT_EQ(a->basicContainer(), other.getImpl());
}

// Each change, made in a transaction that is rolled back, leaves the holder as it was; made
// and committed, undo gives the state before and redo the state after.
TEST_F(KeyedCollections, EveryChangeRollsBackUndoesAndRedoes) {
    Model const elsewhere = Model::create();
    Entry const a = Entry::create(model, key(1));
    Entry const b = Entry::create(model, key(2));
    Entry const c = Entry::create(model, key(2));
    Entry const free = Entry::create(model, key(3));
    Entry const target = Entry::create(model, key(2));
    map.insert(a, CR::REPORT);
    map.insert(b, CR::REPORT);
    multi.insert(c);
    map.addProxy(proxyOf(model, target));
    auto* mapGeneric = map.getGenericInterface();

    std::vector<arvex_test::NamedChange> const changes = {
        {"insert", [&] { map.insert(free, CR::REPORT); }},
        {"insert into multimap", [&] { multi.insert(free); }},
        {"replace", [&] { map.insert(c, CR::REPLACE); }},
        {"remove", [&] { map.remove(a); }},
        {"generic remove", [&] { mapGeneric->genericRemove(b); }},
        {"clear", [&] { mapGeneric->genericClear(); }},
        {"clear multimap", [&] { multi.clear(); }},
        {"add proxy", [&] { map.addProxy(proxyOf(model, free)); }},
        {"remove proxy", [&] { map.removeProxy(map.getProxyTable()->begin()->second); }},
        {"set key", [&] { a->setKey(key(7)); }},
        {"set key in multimap", [&] { c->setKey(key(0)); }},
        {"set key then insert",
         [&] {
             a->setKey(key(3));
             multi.insert(free);
         }},
    };
    arvex_test::expectRollbackUndoRedo(
        model, [&] { return state(holder); }, changes);
}

TEST_F(KeyedCollections, FailuresChangeNothing) {
    Model const elsewhere = Model::create(u"elsewhere");
    Entry const a = Entry::create(model, key(1));
    map.insert(a, CR::REPORT);
    Stranger const stranger = Stranger::create(model);
    auto* generic = map.getGenericInterface();

    arvex_test::expectFailuresChangeNothing(
        [&] { return state(holder); },
        {
            {"duplicate key", [&] { map.insert(Entry::create(model, key(1)), CR::REPORT); },
             "korm0:messages:UniquenessConstraint"},
            {"foreign class", [&] { generic->genericAdd(stranger); },
             "korm0:messages:CannotAddIncompatibleTypes"},
            {"foreign class removed", [&] { multi.getGenericInterface()->genericRemove(stranger); },
             "korm0:messages:CannotAddIncompatibleTypes"},
            {"element of another model",
             [&] { map.insert(Entry::create(elsewhere, key(2)), CR::REPORT); },
             "korm0:messages:CannotCreateCrossModelAssociation"},
            {"proxy into another model",
             [&] {
                 map.addProxy(
                     proxyOf(model, Entry::create(elsewhere), std::u16string(u"elsewhere")));
             },
             "korm0:messages:CannotCreateCrossModelAssociation"},
            {"empty handle", [&] { map.insert(Entry(), CR::REPORT); }, ""},
            {"destroyed entry",
             [&] {
                 Entry const gone = Entry::create(model, key(4));
                 gone->destroy();
                 map.insert(gone, CR::REPORT);
                 generic->genericRemove(gone);
             },
             ""},
        });
    EXPECT_FALSE(generic->genericContains(stranger));
    try {
        generic->genericAdd(stranger);
    } catch (std::exception const& e) {
        std::string const what = e.what();
        EXPECT_LT(what.find("colltest.Stranger"), what.find("colltest.Entry")) << what;
    }

    Holder::Impl::Map noKeys(ModelElement::CollectionPrivateTag(), {}, holder.getImpl(),
                             CollectionTestMeta::get().map, nullptr);
    EXPECT_THROW(noKeys.insert(Entry::create(model, key(9)), CR::REPORT), std::bad_function_call);
    EXPECT_TRUE(noKeys.empty());
}

TEST_F(KeyedCollections, ProxiesAreFiledApartAndResolvedUnlessTheirKeyIsTaken) {
    EXPECT_EQ(map.getProxyTable(), nullptr);
    Entry const target = Entry::create(model, key(4));
    Entry const rival = Entry::create(model, key(4));
    Entry const loner = Entry::create(model, key(6));
    Entry const p1 = proxyOf(model, target);
    map.insert(p1, CR::REPORT);
    ASSERT_NE(map.getProxyTable(), nullptr);
    map.insert(proxyOf(model, target), CR::REPORT);  // same ProxyId: the first one stays
    EXPECT_TRUE(map.holdsProxy(p1));
    map.addProxy(proxyOf(model, loner));
    map.insert(rival, CR::REPORT);
    EXPECT_EQ(map.proxyCount(), 2U);
    EXPECT_EQ(map.getAllValuesAndProxies().front(), rival);
    EXPECT_EQ(map.getAllValuesAndProxies().size(), 3U);

    map.resolveLocal();
    EXPECT_EQ(map.find(key(6)), loner);
    EXPECT_EQ(map.find(key(4)), rival);  // the proxy for target stays: its key is taken
    EXPECT_EQ(map.proxyCount(), 1U);

    map.remove(rival);
    EXPECT_TRUE(map.basicContainsProxyTo(target));
    EXPECT_EQ(map.find(key(4)), target);
    EXPECT_EQ(map.proxyCount(), 0U);
    EXPECT_FALSE(map.basicContainsProxyTo(target));

    // Only proxies: empty, but they are still listed.
    Holder const other = Holder::create(model);
    other->multi().insert(proxyOf(model, target));
    EXPECT_TRUE(other->multi().empty());
    EXPECT_EQ(other->multi().getAllValuesAndProxies().size(), 1U);
    Transaction transaction = model->beginTransaction(false);
    other->multi().replaceProxy(target, 0);
    transaction.commit();
    EXPECT_EQ(other->multi().findAll(key(4)), std::vector{target});
    EXPECT_EQ(target->basicContainer(), other.getImpl());
}

TEST_F(KeyedCollections, SetKeyRefilesTheEntry) {
    Entry const a = Entry::create(model, key(1));
    Entry const b = Entry::create(model, key(2));
    map.insert(a, CR::REPORT);
    map.insert(b, CR::REPORT);
    a->setKey(key(3));
    EXPECT_FALSE(map.hasKey(key(1)));
    EXPECT_EQ(map.find(key(3)), a);
    EXPECT_EQ(thrownId([&] { a->setKey(key(2)); }), "korm0:messages:UniquenessConstraint");
    EXPECT_EQ(map.find(key(3)), a);

    Holder const other = Holder::create(model);
    Entry const c = Entry::create(model, key(5));
    Entry const d = Entry::create(model, key(6));
    other->multi().insert(c);
    other->multi().insert(d);
    c->setKey(key(6));  // joins the end of its new key's group
    EXPECT_EQ(other->multi().findAll(key(6)), (std::vector{d, c}));
}

/// For the rekey tests: a (key 1) and b (key 2) filed in the map; c (key 3), d and e (key 4)
/// filed in the multimap, in that order.
class Rekey : public KeyedCollections {
  protected:
    Rekey() {
        map.insert(a);
        map.insert(b);
        for (auto const& entry : {c, d, e}) {
            multi.insert(entry);
        }
    }

    Entry const a = Entry::create(model, key(1));
    Entry const b = Entry::create(model, key(2));
    Entry const c = Entry::create(model, key(3));
    Entry const d = Entry::create(model, key(4));
    Entry const e = Entry::create(model, key(4));
};

// Entries find the keyed collection they are filed in from their containment alone. A map
// refuses a taken key before anything changes (the key change does not even run), and a key
// change that fails part way is rolled back with the call. A re-filed entry is found under its
// new key only; a multimap files it last in its new key's group and keeps the order of the
// others. A collection that does not hold the entry only changes its key.
TEST_F(Rekey, RefilesAHeldEntryUnderItsNewKey) {
    Entry const loose = Entry::create(model, key(5));
    Entry const inSequence = Entry::create(model, key(6));
    holder->seq().add(inSequence);
    EXPECT_EQ(Keyed::holding(*a.getImpl()), static_cast<Keyed*>(&map));
    EXPECT_EQ(Keyed::holding(*d.getImpl()), static_cast<Keyed*>(&multi));
    EXPECT_EQ(Keyed::holding(*inSequence.getImpl()), nullptr);
    EXPECT_EQ(Keyed::holding(*loose.getImpl()), nullptr);

    std::string const before = state(holder);
    bool ran = false;
    EXPECT_EQ(thrownId([&] { map.rekey(a, key(2), [&] { ran = true; }); }),
              "korm0:messages:UniquenessConstraint");
    EXPECT_EQ(thrownId([&] { map.rekey(Stranger::create(model), key(9), [&] { ran = true; }); }),
              "korm0:messages:CannotAddIncompatibleTypes");
    EXPECT_FALSE(ran);
    EXPECT_THROW(multi.rekey(d, key(9), [] { throw std::runtime_error("no key"); }),
                 std::runtime_error);
    EXPECT_EQ(state(holder), before);

    rekey(map, a, key(7));
    EXPECT_FALSE(map.hasKey(key(1)));
    EXPECT_EQ(map.find(key(7)), a);
    EXPECT_EQ(a->getKey(), key(7));
    rekey(map, b, key(1));  // the key a left is free
    EXPECT_EQ(map.find(key(1)), b);
    rekey(multi, c, key(4));
    EXPECT_EQ(multi.findAll(key(4)), (std::vector{d, e, c}));
    EXPECT_FALSE(multi.hasKey(key(3)));
    rekey(multi, d, key(0));
    EXPECT_EQ(multi.findAll(key(4)), (std::vector{e, c}));
    EXPECT_EQ(multi.findAll(key(0)), std::vector{d});

    std::string const settled = state(holder);
    rekey(map, loose, key(8));
    EXPECT_EQ(loose->getKey(), key(8));
    EXPECT_EQ(state(holder), settled);
}

TEST_F(Rekey, RollsBackUndoesAndRedoes) {
    arvex_test::expectRollbackUndoRedo(
        model, [&] { return state(holder); },
        {
            {"map", [&] { rekey(map, a, key(7)); }},
            {"map, into a key just left",
             [&] {
                 rekey(map, a, key(7));
                 rekey(map, b, key(1));
             }},
            {"multimap, into a group", [&] { rekey(multi, c, key(4)); }},
            {"multimap, out of a group", [&] { rekey(multi, d, key(0)); }},
        });
}

}  // namespace
}  // namespace korm::zero::colltest
