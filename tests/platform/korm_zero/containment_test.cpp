// Containment bookkeeping, destruction and the cross-model check.

#include <gtest/gtest.h>

#include <vector>

#include "test_node.hpp"

namespace korm::zero::test {
namespace {

using korm0::messages::CannotCreateCrossModelAssociation;
using tarsk::core::except::Exception;

TEST(Containment, MovingAChildTakesItOutOfItsOldContainer) {
    Model model = Model::create();
    TestNode a = TestNode::create(model);
    TestNode b = TestNode::create(model);
    TestNode child = TestNode::create(model);
    a->addChild(child);
    EXPECT_EQ(child->container(), a);
    EXPECT_EQ(child->containmentIndex(), TestNode::Impl::CHILDREN);
    b->addChild(child);
    EXPECT_TRUE(a->getChildren().empty());
    ASSERT_EQ(b->getChildren().size(), 1U);
    EXPECT_EQ(child->basicContainer(), b.impl());
    b->removeChild(child);
    EXPECT_EQ(child->basicContainer(), nullptr);
    EXPECT_EQ(child->containmentIndex(), ModelElement::Impl::NO_INDEX);
    EXPECT_TRUE(child) << "removing does not destroy";
}

TEST(Destruction, DestroyingTwiceOrAfterRollbackIsHarmless) {
    Model model = Model::create();
    TestNode node = TestNode::create(model);
    {
        Transaction transaction = model->beginTransaction(false);
        node->destroy();
        node->destroy();
        EXPECT_FALSE(node);
    }
    EXPECT_TRUE(node);
    node->destroy();
    node->destroy();
    EXPECT_EQ(model->getElementCount(), 0U);
}

TEST(Destruction, AUuidFreedByDestructionCanBeReusedAndUndoSortsThemOut) {
    Model model = Model::create();
    TestNode first = TestNode::create(model);
    auto const id = first->getUuid();
    TestNode second;
    {
        Transaction transaction = model->beginTransaction(false);
        first->destroy();
        second = TestNode::create(model, id);
        transaction.commit();
    }
    EXPECT_EQ(model->findElement(id), second.impl());
    model.undo();
    EXPECT_EQ(model->findElement(id), first.impl());
    EXPECT_FALSE(second);
    EXPECT_EQ(model->getElementCount(), 1U);
    EXPECT_EQ(model->getElements().size(), 1U);
    model.redo();
    EXPECT_EQ(model->findElement(id), second.impl());
    EXPECT_FALSE(first);
}

// Destroy joins an open transaction: the container's old children are saved once however
// many children go, while an explicit nested transaction is still a savepoint of its own.
TEST(Destruction, DestroysInOneTransactionSaveTheContainerOnceAndRollBackExactly) {
    Model model = Model::create();
    TestNode root = TestNode::create(model);
    std::vector<TestNode> children;
    {
        Transaction transaction = model->beginTransaction(false);
        for (int i = 0; i < 8; ++i) {
            children.push_back(TestNode::create(model));
            root->addChild(children.back());
        }
        transaction.commit();
    }
    auto const rootRecords = [&] { return Model::Impl::getOldValueRecordCount(*root.impl()); };
    {
        Transaction transaction = model->beginTransaction(false);
        for (int i = 0; i < 6; ++i) {
            children[i]->destroy();
        }
        EXPECT_EQ(rootRecords(), 1U);
        {
            Transaction savepoint = model->beginTransaction(false);
            children[6]->destroy();
            EXPECT_EQ(rootRecords(), 2U);
        }  // rolled back: only the savepoint's destruction comes back
        EXPECT_EQ(rootRecords(), 1U);
        ASSERT_EQ(root->getChildren().size(), 2U);
        EXPECT_EQ(root->getChildren()[0], children[6]);
        EXPECT_TRUE(children[6]);
    }
    EXPECT_EQ(root->getChildren(), children);
    EXPECT_EQ(model->getElementCount(), 9U);
    {
        Transaction transaction = model->beginTransaction(false);
        for (int i = 0; i < 8; i += 2) {
            children[i]->destroy();
        }
        transaction.commit();
    }
    EXPECT_EQ(root->getChildren().size(), 4U);
    model.undo();
    EXPECT_EQ(root->getChildren(), children);
    for (auto const& child : children) {
        EXPECT_EQ(child->basicContainer(), root.impl());
    }
    model.redo();
    EXPECT_EQ(model->getElementCount(), 5U);
    EXPECT_FALSE(children[0]);
    EXPECT_TRUE(children[1]);
}

TEST(CrossModel, AnElementOfAnotherModelIsRefusedWithTheMessage) {
    Model here = Model::create(u"here");
    Model there = Model::create(u"there");
    TestNode parent = TestNode::create(here);
    TestNode stranger = TestNode::create(there);
    try {
        parent->addChild(stranger);
        FAIL() << "expected CannotCreateCrossModelAssociation";
    } catch (Exception<CannotCreateCrossModelAssociation> const& e) {
        ASSERT_EQ(e.getArguments().size(), 3U);
        EXPECT_EQ(std::get<std::u16string>(e.getArguments()[1]), u"there");
        EXPECT_EQ(std::get<std::u16string>(e.getArguments()[2]), u"here");
    }
    EXPECT_TRUE(parent->getChildren().empty());
    EXPECT_EQ(stranger->basicContainer(), nullptr);
    EXPECT_THROW(parent->setPartner(stranger), Exception<CannotCreateCrossModelAssociation>);
}

}  // namespace
}  // namespace korm::zero::test
