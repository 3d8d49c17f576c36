// Builders and their orchestrator: given bits, unknown properties, nested creation made once,
// a failed creation leaving nothing behind; and proxies made for a class object.

#include <gtest/gtest.h>

#include <stdexcept>

#include "sample.hpp"

namespace korm::zero::test {
namespace {

using tarsk::core::except::Exception;

std::unique_ptr<ModelElement::Builder> toy(boost::uuids::uuid const& label) {
    auto builder = std::make_unique<ItemBuilder>();
    builder->setOrAdd(holderPackage().label, uuidValue(label));
    return builder;
}

TEST(Builders, GivenValuesAreMarkedAndUnknownPropertiesReported) {
    Model model = Model::create();
    ItemBuilder builder(model);
    auto const label = ElementImpl::generateNewUuid();
    builder.setOrAdd(holderPackage().label, uuidValue(label));
    EXPECT_TRUE(builder.isGiven(1));
    EXPECT_FALSE(builder.isGiven(0));
    EXPECT_FALSE(builder.isGiven(99));
    EXPECT_THROW(builder.setOrAdd(holderPackage().name, uuidValue(label)),
                 Exception<korm0::messages::UnknownProperty>);
    std::unique_ptr<ModelElement::Builder> nested = toy(label);
    EXPECT_THROW(builder.setOrAdd(holderPackage().toys, nested),
                 Exception<korm0::messages::UnknownProperty>);
    EXPECT_NE(nested, nullptr) << "a refused builder stays with the caller";

    ModelElement const item = builder.create(boost::uuids::nil_uuid());
    ASSERT_TRUE(item);
    EXPECT_EQ(static_cast<Item&>(*item.getImpl()).getLabel(), label);
    EXPECT_EQ(model.findElement(item->getUuid()), item);
}

TEST(Builders, WithoutAModelNothingIsCreatedUntilOneIsSet) {
    ItemBuilder builder;
    EXPECT_THROW(builder.create(boost::uuids::nil_uuid()),
                 Exception<korm0::messages::CannotCreateWithoutModel>);
    Model model = Model::create();
    builder.setModel(model);
    EXPECT_TRUE(builder.create(boost::uuids::nil_uuid()));
}

TEST(Builders, ANestedCreationIsOneUndoStepWithEachElementMadeOnce) {
    Model model = Model::create();
    HolderBuilder builder(model);
    for (int i = 0; i < 2; ++i) {
        auto nested = toy(ElementImpl::generateNewUuid());
        builder.setOrAdd(holderPackage().toys, nested);
    }
    std::size_t const steps = model->getUndoCount();
    ModelElement const holder = builder.create(boost::uuids::nil_uuid());
    auto const toys = static_cast<Holder&>(*holder.getImpl()).toys().items();
    ASSERT_EQ(toys.size(), 2U);
    EXPECT_EQ(toys[0]->container(), holder);
    EXPECT_EQ(model->getElementCount(), 3U);
    EXPECT_EQ(model->getUndoCount(), steps + 1);
    EXPECT_EQ(builder.getOrchestrator(), nullptr);

    ModelElement::Builder::Orchestrator orchestrator(builder);
    ModelElement::Builder& nested = *builder.toys[0];
    orchestrator.addBuilder(nested);
    ModelElement const once = nested.create(boost::uuids::nil_uuid());
    EXPECT_EQ(nested.create(boost::uuids::nil_uuid()), once);
    EXPECT_NE(once, toys[0]) << "a new creation makes a new element";
    orchestrator.commit();

    model.undo();
    model.undo();
    EXPECT_EQ(model->getElementCount(), 0U);
}

TEST(Builders, AFailedCreationLeavesNothingBehind) {
    Model model = Model::create();
    Model other = Model::create();
    std::size_t const steps = model->getUndoCount();
    // Failing after the items were made, and failing in a nested creation (an item builder
    // bound to another model).
    for (bool nestedFails : {false, true}) {
        HolderBuilder builder(model);
        auto nested = toy(ElementImpl::generateNewUuid());
        nested->setModel(nestedFails ? other : model);
        builder.setOrAdd(holderPackage().toys, nested);
        builder.failInCascade = !nestedFails;
        Transaction outer = model.beginTransaction();
        EXPECT_THROW(builder.create(boost::uuids::nil_uuid()), std::exception);
        EXPECT_EQ(model->getElementCount(), 0U);
        EXPECT_EQ(other->getElementCount(), 0U);
        EXPECT_TRUE(model->isInTransaction()) << "the enclosing transaction stays open";
        EXPECT_EQ(builder.getOrchestrator(), nullptr);
        EXPECT_EQ(builder.toys[0]->getOrchestrator(), nullptr);
        outer.commit();
    }
    EXPECT_EQ(model->getUndoCount(), steps);
}

TEST(Proxies, AProxyIsMadeForAClassObjectThroughItsBuilder) {
    Model model = Model::create();
    ModelElement const target = Item::create(model);
    ModelElement const proxy =
        createProxy(model, holderPackage().rock, target->getPersistentProxyId(false));
    ASSERT_TRUE(proxy);
    EXPECT_TRUE(proxy->isProxy());
    EXPECT_TRUE(dynamic_cast<Item*>(proxy.getImpl()) != nullptr);
    EXPECT_EQ(model.findElement(proxy->getUuid()), ModelElement()) << "outside the index";
    EXPECT_EQ(model->resolveProxy(nullptr, proxy), target);
    EXPECT_FALSE(model->isInTransaction());

    EXPECT_THROW(createProxy(model, holderPackage().dog, ProxyId()),
                 Exception<korm0::messages::NoBuilderForClass>);
    EXPECT_THROW(createProxy(Model(), holderPackage().rock, ProxyId()),
                 Exception<korm0::messages::CannotCreateWithoutModel>);
}

}  // namespace
}  // namespace korm::zero::test
