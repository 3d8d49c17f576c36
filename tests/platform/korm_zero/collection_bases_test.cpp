// The collection bases: the change bracket (own or joined transaction, rollback), the model
// check, composite bookkeeping, the defaults of the generic interfaces and the saturating
// Bloom filter.

#include <gtest/gtest.h>

#include <stdexcept>

#include "korm/zero/collections/saturated_bloom_filter.hpp"
#include "sample.hpp"

namespace korm::zero::test {
namespace {

using tarsk::core::except::Exception;

Holder& holder(ModelElement const& e) {
    return static_cast<Holder&>(*e.getImpl());
}

TEST(CollectionBases, AChangeOutsideATransactionIsItsOwnUndoableStep) {
    Model model = Model::create();
    ModelElement const h = Holder::create(model);
    ModelElement const item = Item::create(model);
    std::size_t const steps = model->getUndoCount();
    holder(h).toys().add(item);
    EXPECT_EQ(model->getUndoCount(), steps + 1);
    EXPECT_EQ(item->container(), h);
    model.undo();
    EXPECT_TRUE(holder(h).toys().empty());
    EXPECT_TRUE(item->container().isEmpty());
    model.redo();
    EXPECT_EQ(holder(h).toys().items(), std::vector<ModelElement>{item});
}

TEST(CollectionBases, AChangeInsideATransactionJoinsItAndAFailedOneLeavesNothing) {
    Model model = Model::create();
    ModelElement const h = Holder::create(model);
    ModelElement const first = Item::create(model);
    ModelElement const second = Item::create(model);
    {
        Transaction outer = model.beginTransaction();
        holder(h).toys().add(first);
        EXPECT_EQ(model->getTransactionDepth(), 1U) << "the bracket closed into the outer one";
        EXPECT_THROW(holder(h).toys().add(second, true), std::runtime_error);
        EXPECT_EQ(holder(h).toys().items(), std::vector<ModelElement>{first})
            << "the failed bracket rolled back only its own change";
        EXPECT_TRUE(second->container().isEmpty());
        EXPECT_TRUE(model->isInTransaction());
    }  // rolled back
    EXPECT_TRUE(holder(h).toys().empty());
    EXPECT_TRUE(first->container().isEmpty());
}

TEST(CollectionBases, ElementsOfAnotherModelAreRefused) {
    Model model = Model::create();
    Model other = Model::create();
    ModelElement const h = Holder::create(model);
    ModelElement const foreign = Item::create(other);
    std::size_t const steps = model->getUndoCount();
    EXPECT_THROW(holder(h).toys().add(foreign),
                 Exception<korm0::messages::CannotCreateCrossModelAssociation>);
    EXPECT_TRUE(holder(h).toys().empty());
    EXPECT_EQ(model->getUndoCount(), steps);
    EXPECT_TRUE(foreign->container().isEmpty());
}

TEST(CollectionBases, DefaultsForwardToTheGenericInterface) {
    Model model = Model::create();
    ModelElement const h = Holder::create(model);
    TestSequence& toys = holder(h).toys();
    EXPECT_TRUE(toys.isComposite());
    GenericCollectionInterface* generic = toys.getGenericInterface();
    ASSERT_NE(generic, nullptr);
    EXPECT_TRUE(generic->isSequenceInterface());
    EXPECT_FALSE(generic->isMapInterface() || generic->isMultimapInterface());

    ModelElement const a = Item::create(model), b = Item::create(model), c = Item::create(model);
    toys.genericAdd(a);
    toys.genericAdd(b);
    EXPECT_EQ(toys.getAllValuesAndProxies(), toys.getAllValues());
    auto& sequence = static_cast<GenericSequenceInterface&>(*generic);
    sequence.genericEnsureAt(b, 0);  // moves b to the front
    sequence.genericEnsureAt(c, 7);  // past the end: appended
    sequence.genericEnsureAt(c, 2);  // already there
    EXPECT_EQ(toys.items(), (std::vector<ModelElement>{b, a, c}));
    EXPECT_EQ(sequence.genericIndexOf(a), 1U);
    toys.genericRemove(a);
    EXPECT_EQ(sequence.genericIndexOf(a), GenericSequenceInterface::NO_POSITION);

    ModelElement const copy = Holder::create(model);
    holder(copy).toys().copyContents(toys);
    EXPECT_EQ(holder(copy).toys().items(), (std::vector<ModelElement>{b, c}));
}

TEST(SaturatedBloomFilter, NoFalseNegativesAndCountersSaturate) {
    SaturatedBloomFilter filter(100);
    std::vector<boost::uuids::uuid> ids;
    for (int i = 0; i < 100; ++i) {
        ids.push_back(ElementImpl::generateNewUuid());
        filter.add(ids.back());
    }
    for (auto const& id : ids) {
        EXPECT_TRUE(filter.contains(id));
    }
    int falsePositives = 0;
    for (int i = 0; i < 1000; ++i) {
        falsePositives += filter.contains(ElementImpl::generateNewUuid()) ? 1 : 0;
    }
    EXPECT_LT(falsePositives, 50);
    for (auto const& id : ids) {
        filter.remove(id);
    }
    EXPECT_FALSE(filter.contains(ids.front())) << "all additions removed";

    boost::uuids::uuid const hot = ids.front();
    for (int i = 0; i < 300; ++i) {
        filter.add(hot);
    }
    for (int i = 0; i < 300; ++i) {
        filter.remove(hot);
    }
    EXPECT_TRUE(filter.contains(hot)) << "saturated counters never go down";
    filter.clear();
    EXPECT_FALSE(filter.contains(hot));
}

}  // namespace
}  // namespace korm::zero::test
