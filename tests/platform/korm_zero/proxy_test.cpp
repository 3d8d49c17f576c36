// Proxies: creation, resolution in the same model and through the open-model registry,
// unresolvable proxies, the resolution counter and conversion of elements to proxies.

#include <gtest/gtest.h>

#include <boost/uuid/uuid_io.hpp>

#include "test_node.hpp"

namespace korm::zero::test {
namespace {

using korm0::messages::CannotModifyProxy;
using korm0::messages::UniquenessConstraint;
using tarsk::core::except::Exception;

ProxyId idOf(TestNode const& node, boost::optional<std::u16string> model = boost::none) {
    return ProxyId::forElement(node->getUuid(), {}, std::move(model));
}

TEST(ProxyIds, EqualityComparesAllThreePartsAndTheUuidIsParsedStrictly) {
    ProxyId const a(u"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0", u"c", boost::none);
    EXPECT_EQ(a, ProxyId(u"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0", u"c"));
    EXPECT_NE(a, ProxyId(a.getElementId(), u"c", std::u16string()));
    EXPECT_NE(a, ProxyId(a.getElementId(), u"d"));
    EXPECT_EQ(a.hash(), ProxyId(a.getElementId(), u"c").hash());
    ASSERT_TRUE(a.getTargetUuid());
    EXPECT_EQ(boost::uuids::to_string(*a.getTargetUuid()), "0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0");
    EXPECT_TRUE(ProxyId(u"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0", u"").getTargetUuid());
    EXPECT_FALSE(ProxyId(u"0f1e2d3c4b5a69788796a5b4c3d2e1f0", u"").getTargetUuid());
    EXPECT_FALSE(ProxyId(u"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1fg", u"").getTargetUuid());
}

TEST(Proxies, AProxyIsValidButOutsideTheModelAndRefusesChanges) {
    Model model = Model::create();
    TestNode target = TestNode::create(model);
    TestNode proxy = createProxy<TestNode>(model, idOf(target));
    EXPECT_TRUE(proxy);
    EXPECT_TRUE(proxy->isProxy());
    EXPECT_NE(proxy->getUuid(), target->getUuid());
    EXPECT_EQ(model->getElementCount(), 1U);
    EXPECT_EQ(proxy->getPersistentProxyId(true), idOf(target));
    EXPECT_THROW(proxy->setWeight(1), Exception<CannotModifyProxy>);
    EXPECT_EQ(target->getPersistentProxyId(false), idOf(target));
}

TEST(Proxies, ResolveInTheSameModelAndKeepUnresolvableOnesAsProxies) {
    Model model = Model::create();
    TestNode target = TestNode::create(model);
    TestNode owner = TestNode::create(model);
    TestNode proxy = createProxy<TestNode>(model, idOf(target));
    EXPECT_EQ(model->resolveProxy(owner.impl(), proxy), target);
    EXPECT_EQ(model->peekResolveProxy(owner.impl(), proxy), target);
    EXPECT_EQ(model->resolveProxy(owner.impl(), target), target) << "not a proxy";
    EXPECT_TRUE(model->resolveProxy(owner.impl(), ModelElement()).isEmpty());

    target->destroy();
    EXPECT_EQ(model->resolveProxy(owner.impl(), proxy), proxy) << "destroyed target";
    TestNode junk = createProxy<TestNode>(model, ProxyId(u"not a uuid", u""));
    EXPECT_EQ(model->resolveProxy(owner.impl(), junk), junk);
}

TEST(Proxies, AHeldProxyIsReplacedByItsTargetWhenRead) {
    Model model = Model::create();
    TestNode owner = TestNode::create(model);
    TestNode target = TestNode::create(model);
    owner->setPartner(createProxy<TestNode>(model, idOf(target)));
    EXPECT_TRUE(owner->peekPartner()->isProxy());
    EXPECT_EQ(owner->getPartner(), target);
    EXPECT_EQ(owner->peekPartner(), target);
}

TEST(Proxies, CrossModelResolutionGoesThroughTheOpenModels) {
    Model home = Model::create(u"proxy-home");
    TestNode owner = TestNode::create(home);
    TestNode proxy;
    boost::uuids::uuid targetId;
    {
        Model away = Model::create(u"proxy-away");
        EXPECT_EQ(OpenModels::find(u"proxy-away"), away);
        TestNode target = TestNode::create(away);
        targetId = target->getUuid();
        proxy = createProxy<TestNode>(home, idOf(target, std::u16string(u"proxy-away")));
        EXPECT_EQ(target->getPersistentProxyId(true), proxy->getPersistentProxyId(false));
        EXPECT_EQ(home->resolveProxy(owner.impl(), proxy), target);
        EXPECT_THROW(Model::create(u"proxy-away"), Exception<UniquenessConstraint>);
    }
    EXPECT_FALSE(OpenModels::find(u"proxy-away")) << "a model leaves the registry with its "
                                                     "last handle";
    EXPECT_EQ(home->resolveProxy(owner.impl(), proxy), proxy);
    EXPECT_TRUE(proxy->isProxy());

    // An opener may open the model on demand; peeking never asks it.
    Model reopened;
    int openerCalls = 0;
    int counterInOpener = -1;
    OpenModels::setOpener([&](std::u16string const& name) {
        ++openerCalls;
        counterInOpener = Model::Impl::getProxyResolutionCounter();
        if (name != u"proxy-away") {
            return Model();
        }
        reopened = Model::create(name);
        Transaction transaction = reopened->beginTransaction(false);
        TestNode again = TestNode::create(reopened, targetId);
        // An accessor used while the framework resolves leaves proxies alone.
        again->setPartner(createProxy<TestNode>(
            reopened,
            ProxyId(proxy->getProxyId()->getElementId(), u"", std::u16string(u"proxy-away"))));
        EXPECT_TRUE(again->getPartner()->isProxy());
        transaction.commit();
        return reopened;
    });
    EXPECT_EQ(home->peekResolveProxy(owner.impl(), proxy), proxy);
    EXPECT_EQ(openerCalls, 0);
    ModelElement const resolved = home->resolveProxy(owner.impl(), proxy);
    OpenModels::setOpener({});
    EXPECT_EQ(openerCalls, 1);
    EXPECT_GT(counterInOpener, 0);
    EXPECT_EQ(Model::Impl::getProxyResolutionCounter(), 0);
    ASSERT_FALSE(resolved.isEmpty());
    EXPECT_FALSE(resolved->isProxy());
    EXPECT_EQ(resolved->getUuid(), targetId);
}

TEST(Proxies, ConvertingAnElementToAProxyIsUndoable) {
    Model model = Model::create(u"proxy-convert");
    TestNode parent = TestNode::create(model);
    TestNode node = TestNode::create(model);
    parent->addChild(node);
    node->convertToProxy(idOf(node, std::u16string(u"elsewhere")));
    EXPECT_TRUE(node);
    EXPECT_TRUE(node->isProxy());
    EXPECT_EQ(model->findElement(node->getUuid()), nullptr);
    EXPECT_TRUE(parent->getChildren().empty());
    model.undo();
    EXPECT_FALSE(node->isProxy());
    EXPECT_EQ(model->findElement(node->getUuid()), node.impl());
    EXPECT_EQ(node->basicContainer(), parent.impl());
    model.redo();
    EXPECT_TRUE(node->isProxy());
    EXPECT_EQ(*node->getProxyId(), idOf(node, std::u16string(u"elsewhere")));
    model->clearUndoHistory();
    EXPECT_TRUE(node->isProxy()) << "stays a proxy once nothing can undo the conversion";
    EXPECT_TRUE(node);
}

}  // namespace
}  // namespace korm::zero::test
