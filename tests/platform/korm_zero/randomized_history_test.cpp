// Random sequences of creations, property changes, containment changes and destructions,
// checked against full dumps of the model: rollback must give back the dump from before the
// transaction, undo the dump from before each step and redo the dump from after it. Nested
// transactions are committed or rolled back at random along the way, and a transaction whose
// changes cancel out must leave no undo step.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "test_node.hpp"

namespace korm::zero::test {
namespace {

class RandomEditor {
  public:
    RandomEditor(Model model, unsigned seed) : m_model(std::move(model)), m_random(seed) {}

    // One random change, or a nested transaction of a few changes that is committed or
    // rolled back (checked against the dump taken when it began).
    void step(int nesting = 0) {
        std::uniform_int_distribution<int> pick(0, 9);
        switch (pick(m_random)) {
            case 0:
            case 1:
                create();
                break;
            case 2:
                nodeOrNone([&](TestNode const& n) { n->setName(u"n" + number()); });
                break;
            case 3:
                nodeOrNone([&](TestNode const& n) { n->setWeight(m_random() % 100); });
                break;
            case 4:
                move();
                break;
            case 5:
                nodeOrNone([&](TestNode const& n) {
                    if (n->basicContainer() != nullptr) {
                        TestNode(n->container())->removeChild(n);
                    }
                });
                break;
            case 6:
                nodeOrNone([](TestNode const& n) { n->destroy(); });
                break;
            case 7:
                nodeOrNone([&](TestNode const& n) { n->setPartner(randomNode()); });
                break;
            case 8:
                // Set and set back: nothing changes in the end.
                nodeOrNone([&](TestNode const& n) {
                    auto const weight = n->getWeight();
                    n->setWeight(weight + 1);
                    n->setWeight(weight);
                });
                break;
            default:
                if (nesting < 3) {
                    nested(nesting + 1);
                }
                break;
        }
    }

    std::vector<TestNode> const& created() const { return m_created; }

  private:
    void nested(int nesting) {
        auto const before = dump(m_model);
        Transaction transaction = m_model->beginTransaction(false);
        int const count = 1 + static_cast<int>(m_random() % 6);
        for (int i = 0; i < count; ++i) {
            step(nesting);
        }
        if (m_random() % 2 == 0) {
            transaction.commit();
        } else {
            transaction = Transaction();  // rolls back
            EXPECT_EQ(dump(m_model), before) << "nested rollback at depth " << nesting;
        }
    }

    void create() {
        TestNode node = TestNode::create(m_model, uuid());
        node->setWeight(m_random() % 100);
        m_created.push_back(node);
        if (m_random() % 3 != 0) {
            if (TestNode parent = randomNode(); parent && parent != node) {
                parent->addChild(node);
            }
        }
    }

    void move() {
        TestNode child = randomNode();
        TestNode parent = randomNode();
        if (!child || !parent || child == parent) {
            return;
        }
        for (ModelElement::Impl* up = parent.impl(); up != nullptr; up = up->basicContainer()) {
            if (up == child.impl()) {
                return;  // would make a cycle
            }
        }
        parent->addChild(child);
    }

    template <class F>
    void nodeOrNone(F&& f) {
        if (TestNode node = randomNode()) {
            f(node);
        }
    }

    TestNode randomNode() {
        auto elements = m_model->getElements();
        if (elements.empty()) {
            return TestNode();
        }
        std::sort(elements.begin(), elements.end(),
                  [](auto const& a, auto const& b) { return a->getUuid() < b->getUuid(); });
        return TestNode(elements[m_random() % elements.size()]);
    }

    boost::uuids::uuid uuid() {
        boost::uuids::uuid id{};
        for (auto& byte : id.data) {
            byte = static_cast<std::uint8_t>(m_random());
        }
        return id;
    }

    std::u16string number() {
        auto const text = std::to_string(m_random() % 1000);
        return std::u16string(text.begin(), text.end());
    }

    Model m_model;
    std::mt19937 m_random;
    std::vector<TestNode> m_created;
};

class RandomizedHistory : public ::testing::TestWithParam<unsigned> {};

TEST_P(RandomizedHistory, RollbackRestoresTheDumpBeforeTheTransaction) {
    Model model = Model::create();
    RandomEditor editor(model, GetParam());
    {
        Transaction setup = model->beginTransaction(false);
        for (int i = 0; i < 30; ++i) {
            editor.step();
        }
        setup.commit();
    }
    for (int round = 0; round < 20; ++round) {
        auto const before = dump(model);
        auto const createdBefore = editor.created().size();
        {
            Transaction transaction = model->beginTransaction(false);
            for (int i = 0; i < 25; ++i) {
                editor.step();
            }
        }
        ASSERT_EQ(dump(model), before) << "round " << round;
        for (auto i = createdBefore; i < editor.created().size(); ++i) {
            EXPECT_FALSE(editor.created()[i]) << "an element created in a rolled-back "
                                                 "transaction must stay invalid";
        }
    }
}

TEST_P(RandomizedHistory, UndoAndRedoWalkBackAndForthThroughTheDumps) {
    Model model = Model::create();
    RandomEditor editor(model, GetParam() + 1000);
    std::vector<std::string> dumps{dump(model)};
    for (int round = 0; round < 15; ++round) {
        Transaction transaction = model->beginTransaction(false);
        for (int i = 0; i < 20; ++i) {
            editor.step();
        }
        transaction.commit();
        auto current = dump(model);
        if (current != dumps.back()) {
            dumps.push_back(std::move(current));
        }
    }
    ASSERT_EQ(model->getUndoCount(), dumps.size() - 1);
    for (auto i = dumps.size() - 1; i-- > 0;) {
        model.undo();
        ASSERT_EQ(dump(model), dumps[i]) << "undo to state " << i;
    }
    EXPECT_FALSE(model.canUndo());
    for (std::size_t i = 1; i < dumps.size(); ++i) {
        model.redo();
        ASSERT_EQ(dump(model), dumps[i]) << "redo to state " << i;
    }
    EXPECT_FALSE(model.canRedo());
    // Once more back to the middle and forward again: the saved redo values are reused.
    auto const middle = dumps.size() / 2;
    for (auto i = dumps.size() - 1; i > middle; --i) {
        model.undo();
    }
    ASSERT_EQ(dump(model), dumps[middle]);
    for (auto i = middle + 1; i < dumps.size(); ++i) {
        model.redo();
    }
    EXPECT_EQ(dump(model), dumps.back());
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomizedHistory, ::testing::Values(1U, 7U, 42U, 2024U));

TEST(RandomizedHistoryCounts, EveryRecordIsReleasedWithItsModel) {
    auto const before = ElementImpl::liveRecordCount();
    {
        Model model = Model::create();
        RandomEditor editor(model, 99);
        for (int round = 0; round < 5; ++round) {
            Transaction transaction = model->beginTransaction(false);
            for (int i = 0; i < 30; ++i) {
                editor.step();
            }
            transaction.commit();
        }
        model.undo();
        model.undo();
        ASSERT_GT(ElementImpl::liveRecordCount(), before);
    }
    EXPECT_EQ(ElementImpl::liveRecordCount(), before);
}

}  // namespace
}  // namespace korm::zero::test
