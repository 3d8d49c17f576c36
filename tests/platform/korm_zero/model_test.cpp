// Models, element membership, transactions, undo and redo, listeners and freezing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <boost/uuid/string_generator.hpp>
#include <set>

#include "allocation_faults.hpp"
#include "test_node.hpp"

namespace korm::zero::test {
namespace {

using korm0::messages::CannotModifyFrozenModel;
using korm0::messages::CannotUndoInTransaction;
using korm0::messages::ChangeOutsideTransaction;
using korm0::messages::TransactionOutOfOrder;
using korm0::messages::UniquenessConstraint;
using tarsk::core::except::Exception;

boost::uuids::uuid const kFixed =
    boost::uuids::string_generator()("0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0");

TEST(Elements, NilUuidGetsAFreshRandomOneAndADuplicateIsRefused) {
    Model model = Model::create();
    std::set<boost::uuids::uuid> seen;
    for (int i = 0; i < 200; ++i) {
        TestNode node = TestNode::create(model);
        EXPECT_FALSE(node->getUuid().is_nil());
        EXPECT_EQ(node->getUuid().version(), boost::uuids::uuid::version_random_number_based);
        EXPECT_TRUE(seen.insert(node->getUuid()).second);
        EXPECT_EQ(model->findElement(node->getUuid()), node.impl());
    }
    EXPECT_EQ(model->getElementCount(), 200U);
    TestNode fixed = TestNode::create(model, kFixed);
    EXPECT_EQ(model.findElement(kFixed), fixed);
    // A duplicate UUID is refused and changes nothing.
    EXPECT_THROW(TestNode::create(model, kFixed), Exception<UniquenessConstraint>);
    EXPECT_EQ(model->getElementCount(), 201U);
    EXPECT_EQ(model.findElement(kFixed), fixed);
    EXPECT_TRUE(fixed);
}

TEST(Elements, ChangesOutsideATransactionAreRefused) {
    Model model = Model::create();
    TestNode node(new TestNode::Impl(model, kFixed));
    EXPECT_THROW(node->notifyCreated(), Exception<ChangeOutsideTransaction>);
    EXPECT_FALSE(node);
    TestNode live = TestNode::create(model);
    EXPECT_THROW(live->notifyModifying(TestNode::Impl::WEIGHT),
                 Exception<ChangeOutsideTransaction>);
}

TEST(Elements, ReferencesBalanceAndRecordsOutliveTheirModelAsInvalid) {
    auto const before = ElementImpl::liveRecordCount();
    TestNode survivor;
    {
        Model model = Model::create();
        survivor = TestNode::create(model);
        TestNode::create(model);
        EXPECT_EQ(ElementImpl::liveRecordCount(), before + 2);
        EXPECT_EQ(survivor->getRefCount(), 2);  // the handle and the model
    }
    EXPECT_EQ(ElementImpl::liveRecordCount(), before + 1);
    EXPECT_FALSE(survivor);
    EXPECT_EQ(survivor->getModelImpl(), nullptr);
    EXPECT_FALSE(survivor->getModel());
    survivor.reset();
    EXPECT_EQ(ElementImpl::liveRecordCount(), before);
}

TEST(Transactions, NestedLevelsFoldIntoTheOutermostAndRollBackOnTheirOwn) {
    Model model = Model::create();
    TestNode node = TestNode::create(model);
    auto const steps = model->getUndoCount();
    {
        Transaction outer = model->beginTransaction(false);
        node->setWeight(1);
        {
            Transaction inner = model->beginTransaction(false);
            node->setWeight(2);
            node->setName(u"inner");
        }  // rolled back: only the inner changes go
        EXPECT_EQ(node->getWeight(), 1);
        EXPECT_EQ(node->getName(), u"");
        {
            Transaction inner = model->beginTransaction(false);
            node->setWeight(3);
            inner.commit();
        }
        EXPECT_EQ(node->getWeight(), 3);
        EXPECT_EQ(model->getUndoCount(), steps) << "only the outermost commit makes a step";
        outer.commit();
    }
    EXPECT_EQ(model->getUndoCount(), 2U);  // creation, then the outer transaction
    model.undo();
    EXPECT_EQ(node->getWeight(), 0);
}

TEST(Transactions, EndingOutOfOrderIsRefusedAndTheOuterDestructorRollsBackBoth) {
    Model model = Model::create();
    TestNode node = TestNode::create(model);
    auto outer = std::make_unique<Transaction>(model->beginTransaction(false));
    node->setWeight(5);
    Transaction inner = model->beginTransaction(false);
    node->setWeight(6);
    EXPECT_THROW(outer->commit(), Exception<TransactionOutOfOrder>);
    outer.reset();
    EXPECT_FALSE(model->isInTransaction());
    EXPECT_EQ(node->getWeight(), 0);
    inner.commit();  // its level is gone: nothing happens
    EXPECT_EQ(model->getUndoCount(), 1U);
}

TEST(Transactions, NonUndoableCommitsClearTheHistory) {
    Model model = Model::create();
    TestNode node = TestNode::create(model);
    node->setWeight(1);
    {
        Transaction transaction = model->beginTransaction(true);
        node->setWeight(2);
        transaction.commit();
    }
    EXPECT_FALSE(model.canUndo());
    EXPECT_EQ(node->getWeight(), 2);
}

TEST(UndoRedo, UndoneDestructionRestoresValidityAndTheIndex) {
    Model model = Model::create();
    TestNode node = TestNode::create(model, kFixed);
    node->setName(u"kept");
    node->destroy();
    EXPECT_FALSE(node);
    EXPECT_EQ(model->findElement(kFixed), nullptr);
    EXPECT_EQ(model->findElement(kFixed, FIND_INCLUDING_REMOVED), node.impl());
    model.undo();
    EXPECT_TRUE(node);
    EXPECT_EQ(node->getName(), u"kept");
    EXPECT_EQ(model->findElement(kFixed), node.impl());
}

TEST(UndoRedo, TheIndexKeepsRemovedElementsAcrossItsGrowth) {
    Model model = Model::create();
    std::vector<TestNode> nodes;
    auto const step = [&model](auto&& change) {
        Transaction transaction = model->beginTransaction(false);
        change();
        transaction.commit();
    };
    step([&] {
        for (int i = 0; i < 300; ++i) {
            nodes.push_back(TestNode::create(model));
        }
    });
    step([&] {
        for (std::size_t i = 0; i < nodes.size(); i += 2) {
            nodes[i]->destroy();
        }
    });
    step([&] {  // more elements, so that the table grows past the removed ones
        for (int i = 0; i < 300; ++i) {
            TestNode::create(model);
        }
    });
    EXPECT_EQ(model->getElementCount(), 450U);
    model.undo();
    model.undo();
    EXPECT_EQ(model->getElementCount(), 300U);
    for (auto const& node : nodes) {
        EXPECT_EQ(model->findElement(node->getUuid()), node.impl());
    }
}

TEST(UndoRedo, ANewStepClearsRedoAndReleasesWhatOnlyRedoCouldRevive) {
    Model model = Model::create();
    TestNode node = TestNode::create(model);
    auto const records = ElementImpl::liveRecordCount();
    model.undo();
    EXPECT_TRUE(model.canRedo());
    TestNode other = TestNode::create(model);
    EXPECT_FALSE(model.canRedo());
    EXPECT_FALSE(node);
    EXPECT_EQ(node->getModelImpl(), nullptr) << "detached for good";
    node.reset();
    EXPECT_EQ(ElementImpl::liveRecordCount(), records);  // `other` came, `node` went
}

TEST(UndoRedo, RefusedInsideATransactionAndOnAFrozenModel) {
    Model model = Model::create();
    TestNode node = TestNode::create(model);
    {
        Transaction transaction = model->beginTransaction(false);
        EXPECT_THROW(model.undo(), Exception<CannotUndoInTransaction>);
    }
    Model::Freezer freezer(model);
    EXPECT_THROW(model.undo(), Exception<CannotModifyFrozenModel>);
    EXPECT_TRUE(node);
}

TEST(Freezing, AFrozenModelRefusesChangesUntilThawed) {
    Model model = Model::create(u"frozen-model");
    TestNode node = TestNode::create(model);
    auto freezer = std::make_unique<Model::Freezer>(model);
    EXPECT_TRUE(model->isFrozen());
    EXPECT_THROW(TestNode::create(model), Exception<CannotModifyFrozenModel>);
    EXPECT_THROW(node->setWeight(3), Exception<CannotModifyFrozenModel>);
    EXPECT_THROW(node->destroy(), Exception<CannotModifyFrozenModel>);
    EXPECT_EQ(model->getElementCount(), 1U);
    EXPECT_EQ(node->getWeight(), 0);
    EXPECT_TRUE(node);
    {
        auto thawer = freezer->thaw();
        auto nested = freezer->thaw();
        node->setWeight(3);
        Model::Thawer moved(std::move(nested));
    }
    EXPECT_EQ(node->getWeight(), 3);
    EXPECT_THROW(node->setWeight(4), Exception<CannotModifyFrozenModel>);
    freezer.reset();
    node->setWeight(4);
    EXPECT_EQ(node->getWeight(), 4);
}

class RecordingListener : public ModelListener {
  public:
    struct Seen {
        ModelChangeEvent::Cause cause;
        std::vector<ModelElement> created;
        std::vector<ModelElement> destroyed;
        std::vector<std::pair<boost::uuids::uuid, std::vector<std::size_t>>> changed;
        boost::optional<Value> value;
    };
    void modelChanged(ModelChangeEvent const& event) override {
        Seen seen{event.cause, event.created, event.destroyed, {}, event.value};
        for (auto const& changes : event.changed) {
            std::vector<std::size_t> indices;
            for (auto i = changes->nextChanged(0); i != ModelElement::Impl::NO_INDEX;
                 i = changes->nextChanged(i + 1)) {
                indices.push_back(i);
            }
            seen.changed.emplace_back(changes->getUuid(), indices);
        }
        events.push_back(std::move(seen));
    }
    std::vector<Seen> events;
};

TEST(Listeners, ToldWhatChangedOnCommitUndoAndRedoButNotForEmptySteps) {
    Model model = Model::create();
    TestNode parent = TestNode::create(model);
    TestNode gone = TestNode::create(model);
    RecordingListener listener;
    model->addListener(&listener);
    TestNode child;
    {
        Transaction transaction = model->beginTransaction(false);
        child = TestNode::create(model);
        parent->addChild(child);
        parent->setWeight(7);
        gone->destroy();
        transaction.commit();
    }
    model->beginTransaction(false).commit();
    ASSERT_EQ(listener.events.size(), 1U);
    auto const& commit = listener.events[0];
    EXPECT_EQ(commit.cause, ModelChangeEvent::Cause::COMMIT);
    EXPECT_THAT(commit.created, testing::ElementsAre(child));
    EXPECT_THAT(commit.destroyed, testing::ElementsAre(gone));
    EXPECT_THAT(commit.changed,
                testing::ElementsAre(testing::Pair(
                    parent->getUuid(),
                    testing::ElementsAre(TestNode::Impl::WEIGHT, TestNode::Impl::CHILDREN))));
    model.undo();
    model.redo();
    ASSERT_EQ(listener.events.size(), 3U);
    EXPECT_EQ(listener.events[1].cause, ModelChangeEvent::Cause::UNDO);
    EXPECT_THAT(listener.events[1].created, testing::ElementsAre(gone));
    EXPECT_THAT(listener.events[1].destroyed, testing::ElementsAre(child));
    EXPECT_EQ(listener.events[2].cause, ModelChangeEvent::Cause::REDO);
    EXPECT_THAT(listener.events[2].created, testing::ElementsAre(child));
    model->removeListener(&listener);
    parent->setWeight(8);
    EXPECT_EQ(listener.events.size(), 3U);
}

TEST(Listeners, AThrowingListenerDoesNotUndoTheCommitAndOthersAreStillTold) {
    struct Throwing : ModelListener {
        void modelChanged(ModelChangeEvent const&) override { throw std::runtime_error("no"); }
    } throwing;
    Model model = Model::create();
    TestNode node = TestNode::create(model);
    RecordingListener recording;
    model->addListener(&throwing);
    model->addListener(&recording);
    EXPECT_THROW(node->setWeight(2), std::runtime_error);
    EXPECT_EQ(node->getWeight(), 2);
    EXPECT_FALSE(model->isInTransaction());
    EXPECT_EQ(recording.events.size(), 1U);
    model->removeListener(&throwing);
    model->removeListener(&recording);
}

TEST(Listeners, AListenerStillRegisteredIsToldWhenItsModelGoesAndIsForgotten) {
    struct Closing : ModelListener {
        void modelChanged(ModelChangeEvent const&) override {}
        void modelClosing(Model::Impl const& model) noexcept override { closed.push_back(&model); }
        std::vector<Model::Impl const*> closed;
    } kept, removed;
    Model model = Model::create();
    Model::Impl const* const impl = model.getImpl();
    model->addListener(&kept);
    model->addListener(&removed);
    model->removeListener(&removed);
    model = Model();
    EXPECT_EQ(kept.closed, std::vector<Model::Impl const*>{impl});
    EXPECT_TRUE(removed.closed.empty());
}

// Rolling a transaction back and closing a model cannot fail, so they must not depend on an
// allocation: run each with its K-th allocation failing, for every K it reaches, and check the
// outcome. Both used to gather the elements to let go of in a growing vector, and a failed
// allocation there ended the process.
template <class Setup, class Act, class Check>
void everyAllocationFailing(Setup setup, Act act, Check check) {
    for (long k = 1;; ++k) {
        auto state = setup();
        faults::armAllocationFailure(k);
        act(state);
        bool const failed = faults::allocationFailureHappened();
        faults::disarmAllocationFailure();
        check(state);
        if (!failed) {
            return;
        }
    }
}

TEST(NoFailurePartWay, RollbackLeavesTheModelAsItWasWhicheverAllocationFails) {
    struct State {
        Model model = Model::create();
        TestNode kept;
        std::vector<TestNode> created;
        std::unique_ptr<Transaction> transaction;
    };
    everyAllocationFailing(
        [] {
            auto state = std::make_unique<State>();
            state->kept = TestNode::create(state->model, kFixed);
            state->transaction =
                std::make_unique<Transaction>(state->model->beginTransaction(false));
            for (int i = 0; i < 20; ++i) {
                state->created.push_back(TestNode::create(state->model));
                state->kept->addChild(state->created.back());
            }
            state->kept->setWeight(7);
            state->created[3]->destroy();
            return state;
        },
        [](auto& state) { state->transaction.reset(); },
        [](auto const& state) {
            EXPECT_FALSE(state->model->isInTransaction());
            EXPECT_EQ(state->model->getElementCount(), 1U);
            EXPECT_EQ(state->kept->getWeight(), 0);
            EXPECT_TRUE(state->kept->getChildren().empty());
            for (auto const& node : state->created) {
                EXPECT_FALSE(node);
                EXPECT_EQ(node->getModelImpl(), nullptr);
            }
        });
}

TEST(NoFailurePartWay, AClosedModelDetachesEveryMemberWhicheverAllocationFails) {
    struct State {
        Model model = Model::create();
        TestNode live, destroyed, undone;
    };
    everyAllocationFailing(
        [] {
            auto state = std::make_unique<State>();
            state->live = TestNode::create(state->model);
            state->destroyed = TestNode::create(state->model);
            state->live->setPartner(state->destroyed);
            state->destroyed->destroy();  // revivable by undo
            state->undone = TestNode::create(state->model);
            state->model.undo();  // revivable by redo
            return state;
        },
        [](auto& state) { state->model = Model(); },
        [](auto const& state) {
            for (TestNode const* node : {&state->live, &state->destroyed, &state->undone}) {
                EXPECT_FALSE(*node);
                EXPECT_EQ((*node)->getModelImpl(), nullptr);
                EXPECT_EQ((*node)->getRefCount(), 1) << "only the test's handle is left";
            }
        });
}

}  // namespace
}  // namespace korm::zero::test
