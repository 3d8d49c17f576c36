#include "test_node.hpp"

#include <algorithm>
#include <atomic>
#include <boost/uuid/uuid_io.hpp>
#include <sstream>
#include <stdexcept>

#include "tarsk/core/text.hpp"

namespace korm::zero::test {

TestNode::TestNode(Impl* record) noexcept : ModelElement(record) {}

TestNode::TestNode(ModelElement const& element) noexcept : ModelElement(element) {}

TestNode::Impl* TestNode::operator->() const noexcept {
    return impl();
}

TestNode::Impl* TestNode::impl() const noexcept {
    return static_cast<Impl*>(m_impl);
}

TestNode TestNode::create(Model const& model, boost::uuids::uuid const& id) {
    Transaction transaction = model->beginTransaction(false);
    TestNode node(new Impl(model, id));
    node->notifyCreated();
    transaction.commit();
    return node;
}

TestNode::Impl::Impl(Model const& model, boost::uuids::uuid const& id)
    : ModelElement::Impl(model, id) {}

TestNode::Impl::~Impl() {
    m_refCount.store(REFCOUNT_DELETING);
    std::atomic_thread_fence(std::memory_order_seq_cst);
}

TestNode TestNode::Impl::This() const {
    return TestNode(const_cast<Impl*>(this));
}

void TestNode::Impl::checkNotProxy() const {
    if (isProxy()) {
        reportException(korm0::messages::CannotModifyProxy());
    }
}

template <class T>
void TestNode::Impl::change(T& member, T const& value, std::size_t index) {
    checkNotProxy();
    if (value == member) {
        return;
    }
    Transaction transaction = getModel()->beginTransaction(false);
    notifyModifying(index);
    member = value;
    transaction.commit();
}

void TestNode::Impl::setName(std::u16string const& name) {
    change(m_name, name, NAME);
}

void TestNode::Impl::setWeight(std::int64_t weight) {
    change(m_weight, weight, WEIGHT);
}

void TestNode::Impl::addChild(TestNode const& child) {
    checkNotProxy();
    if (!child || child->basicContainer() == this) {
        return;
    }
    checkCompatibleModel(child.impl(), meta::Property());
    for (ModelElement::Impl* up = this; up != nullptr; up = up->basicContainer()) {
        if (up == child.impl()) {
            throw std::invalid_argument("a node cannot contain its own container");
        }
    }
    Transaction transaction = getModel()->beginTransaction(false);
    notifyModifying(CHILDREN);
    m_children.push_back(child);
    _setContainedByThis(child.impl(), meta::Property(), CHILDREN);
    transaction.commit();
}

void TestNode::Impl::removeChild(TestNode const& child) {
    checkNotProxy();
    auto const it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end()) {
        return;
    }
    Transaction transaction = getModel()->beginTransaction(false);
    notifyModifying(CHILDREN);
    m_children.erase(it);
    _basicSetUncontained(child.impl());
    transaction.commit();
}

TestNode TestNode::Impl::getPartner() {
    if (m_partner.isEmpty() || !m_partner->isProxy() ||
        Model::Impl::getProxyResolutionCounter() > 0 || getModelImpl() == nullptr) {
        return m_partner;
    }
    ModelElement resolved = getModelImpl()->resolveProxy(this, m_partner);
    if (resolved && !resolved->isProxy()) {
        m_partner = TestNode(resolved);
    }
    return m_partner;
}

void TestNode::Impl::setPartner(TestNode const& partner) {
    checkNotProxy();
    if (partner == m_partner) {
        return;
    }
    checkCompatibleModel(partner.impl(), meta::Property());
    Transaction transaction = getModel()->beginTransaction(false);
    notifyModifying(PARTNER);
    m_partner = partner;
    transaction.commit();
}

meta::Class TestNode::Impl::getMetaClass() const {
    return meta::Class();
}

void TestNode::Impl::doDestroy(bool disassociate, bool toProxies) {
    if (!m_children.empty()) {
        auto const snapshot = m_children;
        for (auto const& child : snapshot) {
            child->destroyRecursively(disassociate, false, toProxies);
        }
        notifyModifying(CHILDREN);
        m_children.clear();
    }
    ModelElement::Impl::doDestroy(disassociate, toProxies);
}

void TestNode::Impl::inverseAdd(ModelElement const& element, meta::Property const& /*p*/) {
    TestNode const child(element);
    if (std::find(m_children.begin(), m_children.end(), child) == m_children.end()) {
        notifyModifying(CHILDREN);
        m_children.push_back(child);
    }
}

void TestNode::Impl::inverseRemove(ModelElement const& element, meta::Property const& /*p*/) {
    auto const it = std::find(m_children.begin(), m_children.end(), element);
    if (it != m_children.end()) {
        notifyModifying(CHILDREN);
        m_children.erase(it);
    }
}

void TestNode::Impl::basicDisassociateAll() {
    m_children.clear();
    m_partner.reset();
}

std::unique_ptr<ModelElement::Impl::Changes> TestNode::Impl::createChanges() const {
    return std::make_unique<Changes>(getUuid(), getModel(), getMetaClass(), BIT_COUNT - 1);
}

std::unique_ptr<ModelElement::Impl::Storage> TestNode::Impl::createStorage() const {
    return std::make_unique<Storage>(getUuid(), getModel(), getMetaClass(), BIT_COUNT);
}

void TestNode::Impl::copyValue(ModelElement::Impl::Storage& storage, std::size_t index) const {
    auto& own = static_cast<Storage&>(storage);
    switch (index) {
        case NAME:
            own.oldName = m_name;
            break;
        case WEIGHT:
            own.oldWeight = m_weight;
            break;
        case CHILDREN:
            own.oldChildren = m_children;
            break;
        case PARTNER:
            own.oldPartner = m_partner;
            break;
        default:
            ModelElement::Impl::copyValue(storage, index);
    }
}

void TestNode::Impl::copyStateFromStorage(ModelElement::Impl::Storage const& storage) {
    auto const& own = static_cast<Storage const&>(storage);
    if (own.isChanged(NAME)) {
        m_name = own.oldName;
    }
    if (own.isChanged(WEIGHT)) {
        m_weight = own.oldWeight;
    }
    if (own.isChanged(CHILDREN)) {
        m_children = own.oldChildren;
    }
    if (own.isChanged(PARTNER)) {
        m_partner = own.oldPartner;
    }
    ModelElement::Impl::copyStateFromStorage(storage);
}

void TestNode::Impl::Storage::revertUnchanged(ModelElement::Impl const& record) {
    auto const& node = static_cast<TestNode::Impl const&>(record);
    if (isChanged(NAME) && oldName == node.m_name) {
        clearChanged(NAME);
    }
    if (isChanged(WEIGHT) && oldWeight == node.m_weight) {
        clearChanged(WEIGHT);
    }
    if (isChanged(CHILDREN) && oldChildren == node.m_children) {
        clearChanged(CHILDREN);
    }
    if (isChanged(PARTNER) && oldPartner == node.m_partner) {
        clearChanged(PARTNER);
    }
    ModelElement::Impl::Storage::revertUnchanged(record);
}

std::string dump(Model const& model) {
    auto elements = model->getElements();
    std::sort(elements.begin(), elements.end(),
              [](auto const& a, auto const& b) { return a->getUuid() < b->getUuid(); });
    auto const text = [](ModelElement::Impl const* element) {
        return element == nullptr ? std::string("-") : boost::uuids::to_string(element->getUuid());
    };
    std::ostringstream out;
    for (auto const& element : elements) {
        TestNode const node(element);
        out << text(node.impl()) << " name=" << tarsk::core::text::toUtf8(node->getName())
            << " weight=" << node->getWeight() << " valid=" << bool(node)
            << " container=" << text(node->basicContainer())
            << " index=" << static_cast<long long>(node->containmentIndex()) << " children=[";
        for (auto const& child : node->getChildren()) {
            out << text(child.impl()) << (child ? "" : "(invalid)") << ' ';
        }
        out << "] partner=";
        TestNode const& partner = node->peekPartner();
        if (partner.isEmpty()) {
            out << '-';
        } else if (partner->isProxy()) {
            out << "proxy:" << tarsk::core::text::toUtf8(partner->getProxyId()->getElementId());
        } else {
            out << text(partner.impl()) << (partner ? "" : "(invalid)");
        }
        out << '\n';
    }
    return out.str();
}

}  // namespace korm::zero::test
