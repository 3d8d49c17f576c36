// The sequence (order, uniqueness, positions, Bloom filter, proxies in their slots) and the
// unordered set (proxy table, references into other models).

#include <functional>
#include <stdexcept>

#include "arvex/utilities/collections/collection_factory.hpp"
#include "collection_test_support.hpp"
#include "korm/zero/collections/saturated_bloom_filter.hpp"

namespace korm::zero::colltest {
namespace {

class SequencesAndSets : public ::testing::Test {
  protected:
    Model model = Model::create(u"home");
    Holder holder = Holder::create(model);
    Holder::Impl::Seq& seq = holder->seq();
    Holder::Impl::Set& set = holder->set();
};

TEST_F(SequencesAndSets, SequenceKeepsInsertionOrderAndEachElementOnce) {
    Entry const a = Entry::create(model), b = Entry::create(model), c = Entry::create(model);
    seq.add(a);
    seq.add(b);
    seq.add(a);  // unique: nothing
    seq.insertAt(0, c);
    EXPECT_EQ(seq.getAllValues(), (std::vector<ModelElement>{c, a, b}));
    EXPECT_EQ(a->containmentFeature(), CollectionTestMeta::get().seq);

    auto* generic = static_cast<GenericSequenceInterface*>(seq.getGenericInterface());
    EXPECT_TRUE(generic->isSequenceInterface());
    EXPECT_EQ(generic->genericGetAt(1), a);
    EXPECT_TRUE(generic->genericGetAt(9).isEmpty());
    generic->genericEnsureAt(b, 0);  // moves b to the front
    EXPECT_EQ(seq.getAllValues(), (std::vector<ModelElement>{b, c, a}));
    generic->genericRemoveAt(1);
    EXPECT_EQ(c->basicContainer(), nullptr);
    EXPECT_TRUE(c);

    Entry const d = Entry::create(model);
    seq.set(0, d);
    EXPECT_EQ(seq.getAllValues(), (std::vector<ModelElement>{d, a}));
    EXPECT_EQ(b->basicContainer(), nullptr);
    EXPECT_EQ(d->basicContainer(), holder.getImpl());
    seq.set(0, d);  // the same element again: nothing

    arvex_test::expectFailuresChangeNothing(
        [&] { return state(holder); },
        {
            {"empty handle", [&] { seq.set(0, Entry()); },
             "korm0:messages:CannotAddNonExistentObject"},
            {"second copy", [&] { seq.set(0, a); }, "korm0:messages:CannotAddSecondObject"},
            {"position out of range", [&] { generic->genericSetAt(5, b); },
             "korm0:messages:InvalidValue"},
            {"foreign class", [&] { generic->genericAdd(Stranger::create(model)); },
             "korm0:messages:CannotAddIncompatibleTypes"},
            {"other model", [&] { seq.add(Entry::create(Model::create())); },
             "korm0:messages:CannotCreateCrossModelAssociation"},
        });
    EXPECT_THROW(seq.set(7, b), std::out_of_range);
}

TEST_F(SequencesAndSets, BloomFilterFollowsTheMembers) {
    Entry const a = Entry::create(model), b = Entry::create(model);
    seq.add(a);
    seq.setBloomFilter(std::make_unique<SaturatedBloomFilter>(16));
    seq.add(b);
    EXPECT_TRUE(seq.getBloomFilter()->contains(a->getUuid()));
    EXPECT_TRUE(seq.contains(b));
    seq.remove(b);
    EXPECT_FALSE(seq.contains(b));
    EXPECT_FALSE(seq.getBloomFilter()->contains(b->getUuid()));
    seq.clear();
    EXPECT_FALSE(seq.getBloomFilter()->contains(a->getUuid()));
    EXPECT_EQ(a->basicContainer(), nullptr);
}

TEST_F(SequencesAndSets, SequenceProxiesResolveInTheirSlots) {
    Entry const a = Entry::create(model), target = Entry::create(model);
    Entry const proxy = proxyOf(model, target);
    seq.add(a);
    seq.add(proxy);
    EXPECT_FALSE(seq.empty());
    EXPECT_EQ(seq.getAllValues().size(), 1U);
    EXPECT_EQ(seq.getAllValuesAndProxies(), (std::vector<ModelElement>{a, proxy}));
    EXPECT_FALSE(seq.contains(proxy));
    seq.resolveLocal();
    EXPECT_EQ(seq.getAllValues(), (std::vector<ModelElement>{a, target}));

    Holder const other = Holder::create(model);
    other->seq().add(proxyOf(model, target));
    EXPECT_TRUE(other->seq().empty());
    Entry const replacement = Entry::create(model);
    other->seq().set(0, replacement);  // the proxy is resolved first, then replaced
    EXPECT_EQ(other->seq().getAllValues(), std::vector<ModelElement>{replacement});
}

TEST_F(SequencesAndSets, SetHoldsEachElementOnceAndKeepsProxiesApart) {
    Entry const a = Entry::create(model), b = Entry::create(model);
    set.add(a);
    set.add(a);
    set.add(b);
    EXPECT_EQ(set.size(), 2U);
    EXPECT_EQ(a->basicContainer(), nullptr);  // a reference, not a containment
    EXPECT_TRUE(set.getGenericInterface()->genericContains(b));
    EXPECT_FALSE(set.getGenericInterface()->genericContains(Stranger::create(model)));
    set.getGenericInterface()->genericRemove(b);
    EXPECT_FALSE(set.contains(b));

    // References into other models are allowed here: resolveLocal leaves them, resolveAll
    // resolves them.
    Model const away = Model::create(u"away");
    Entry const remote = Entry::create(away), local = Entry::create(model);
    set.add(proxyOf(model, remote, std::u16string(u"away")));
    set.add(proxyOf(model, local));
    EXPECT_EQ(set.proxyCount(), 2U);
    set.resolveLocal();
    EXPECT_TRUE(set.contains(local));
    EXPECT_EQ(set.proxyCount(), 1U);
    set.resolveAll();
    EXPECT_TRUE(set.contains(remote));
    EXPECT_EQ(set.proxyCount(), 0U);
    set.getGenericInterface()->genericClear();
    EXPECT_EQ(set.size(), 0U);
}

TEST_F(SequencesAndSets, ChangesRollBackUndoAndRedo) {
    Entry const a = Entry::create(model), b = Entry::create(model), c = Entry::create(model);
    seq.add(a);
    seq.add(b);
    set.add(a);
    seq.add(proxyOf(model, c));
    std::vector<arvex_test::NamedChange> const changes = {
        {"add", [&] { seq.add(c); }},           {"insert", [&] { seq.insertAt(0, c); }},
        {"set", [&] { seq.set(1, c); }},        {"remove", [&] { seq.remove(a); }},
        {"clear", [&] { seq.clear(); }},        {"set add", [&] { set.add(c); }},
        {"set remove", [&] { set.remove(a); }}, {"set proxy", [&] { set.add(proxyOf(model, b)); }},
    };
    // Outside a transaction, each change is its own step.
    arvex_test::expectRollbackUndoRedo(
        model, [&] { return state(holder); }, changes, false);
}

TEST_F(SequencesAndSets, DestroyingTheHolderDestroysResolvedEntriesAndLeavesProxies) {
    Entry const a = Entry::create(model, key(1)), target = Entry::create(model, key(2));
    holder->map().insert(a, CollisionResolution::REPORT);
    Entry const proxy = proxyOf(model, target);
    holder->map().insert(proxy, CollisionResolution::REPORT);
    holder->destroy();
    EXPECT_FALSE(a);
    EXPECT_TRUE(proxy);
    EXPECT_TRUE(holder->map().getAllValues().empty());
    model.undo();
    EXPECT_TRUE(a);
    EXPECT_EQ(holder->map().find(key(1)), a);
    EXPECT_EQ(a->basicContainer(), holder.getImpl());
}

}  // namespace
}  // namespace korm::zero::colltest

namespace korm::zero::colltest {
namespace {

TEST(CollectionFactory, OrderedPropertiesGetSequencesAndOthersSets) {
    Model const model = Model::create();
    Holder const holder = Holder::create(model);
    auto const& meta = CollectionTestMeta::get();
    std::unique_ptr<ReferenceCollection> const seq(
        createElementCollection<Entry>(holder.getImpl(), meta.seq));
    std::unique_ptr<ReferenceCollection> const set(
        createElementCollection<Entry>(holder.getImpl(), meta.set));
    ASSERT_NE(dynamic_cast<ElementSequence<Entry>*>(seq.get()), nullptr);
    EXPECT_TRUE(static_cast<ElementSequence<Entry>&>(*seq).isUnique());
    EXPECT_NE(dynamic_cast<UnorderedElementSet<Entry>*>(set.get()), nullptr);
    EXPECT_EQ(seq->getCollectionType(), Entry::metaClass());
}

}  // namespace
}  // namespace korm::zero::colltest
