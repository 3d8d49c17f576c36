#include "link.hpp"

namespace korm::zero::test {

namespace {

class LinkMetaPackage : public meta::AbstractMetaPackage {
  public:
    LinkPackage build() {
        LinkPackage p;
        p.package = createPackage(u"links", u"test:/links");
        p.link = createClass(u"Link", "links.Link", false, "6c696e6b-0000-4000-8000-000000000001");
        p.target =
            createProperty(u"Target", VALUE_PLAIN, false, "6c696e6b-0000-4000-8000-000000000002");
        setPropertyIndex(p.target, 1);
        rec(p.link)->setOwningPackage(p.package);
        rec(p.link)->setSuperclass(registry().getModelElementClass());
        rec(p.target)->setOwningType(p.link);
        rec(p.target)->setType(holderPackage().dog);
        return p;
    }
};

}  // namespace

LinkPackage const& linkPackage() {
    static LinkPackage const package = [] {
        holderPackage();  // the type of Target
        MetaBuildScope scope;
        LinkPackage p = LinkMetaPackage().build();
        scope.commit();
        registry().registerType(p.link, nullptr,
                                [](Model const& model) -> std::unique_ptr<ModelElement::Builder> {
                                    return std::make_unique<LinkBuilder>(model);
                                });
        return p;
    }();
    return package;
}

class Link::Storage : public ModelElement::Impl::Storage {
  public:
    using ModelElement::Impl::Storage::Storage;
    ModelElement oldTarget;
};

Link::Link(Model const& model, boost::uuids::uuid const& id) : ModelElement::Impl(model, id) {}

Link::Link(ModelElement::Builder& builder, boost::uuids::uuid const& id)
    : ModelElement::Impl(builder, id) {}

ModelElement Link::create(Model const& model, ModelElement const& target) {
    Transaction transaction = model->beginTransaction(false);
    ModelElement element(new Link(model, boost::uuids::nil_uuid()));
    element->notifyCreated();
    static_cast<Link*>(element.getImpl())->setTarget(target);
    transaction.commit();
    return element;
}

ModelElement Link::getTarget() const {
    if (m_target.isEmpty() || !m_target->isProxy() ||
        Model::Impl::getProxyResolutionCounter() > 0 || getModelImpl() == nullptr) {
        return m_target;
    }
    ModelElement const resolved = getModelImpl()->resolveProxy(this, m_target);
    if (!resolved->isProxy() && resolved->getMetaClass() == holderPackage().dog) {
        m_target = resolved;
    }
    return m_target;
}

void Link::setTarget(ModelElement const& target) {
    if (target == m_target) {
        return;
    }
    checkCompatibleModel(target.getImpl(), linkPackage().target);
    Transaction transaction = getModel()->beginTransaction(false);
    notifyModifying(1);
    m_target = target;
    transaction.commit();
}

meta::Class Link::getMetaClass() const {
    return linkPackage().link;
}

meta::Property Link::getPropertyByIndex(std::size_t index) const {
    return index == 1 ? linkPackage().target : ModelElement::Impl::getPropertyByIndex(index);
}

Value Link::getPropertyValue(meta::Property const& property, AccessTag tag) const {
    if (property != linkPackage().target) {
        return ModelElement::Impl::getPropertyValue(property, tag);
    }
    if (tag == PUBLIC_ACCESS) {
        getTarget();
    }
    // The value refers to the held handle, which lives as long as the element.
    return m_target.isEmpty() ? Value() : Value::reference(ValueMeta(property), &m_target);
}

void Link::setPropertyValue(meta::Property const& property, Value const& value, AccessTag tag) {
    if (property != linkPackage().target) {
        ModelElement::Impl::setPropertyValue(property, value, tag);
        return;
    }
    auto const* held = static_cast<ModelElement const*>(value.getPayload());
    setTarget(held != nullptr ? *held : ModelElement());
}

std::unique_ptr<ModelElement::Impl::Storage> Link::createStorage() const {
    return std::make_unique<Storage>(getUuid(), getModel(), getMetaClass(), 2);
}

void Link::copyValue(ModelElement::Impl::Storage& storage, std::size_t index) const {
    if (index == 1) {
        static_cast<Storage&>(storage).oldTarget = m_target;
    } else {
        ModelElement::Impl::copyValue(storage, index);
    }
}

void Link::copyStateFromStorage(ModelElement::Impl::Storage const& storage) {
    if (storage.isChanged(1)) {
        m_target = static_cast<Storage const&>(storage).oldTarget;
    }
    ModelElement::Impl::copyStateFromStorage(storage);
}

meta::Class LinkBuilder::getMetaClass() const {
    return linkPackage().link;
}

ModelElement LinkBuilder::doCreate(bool unannounced, boost::uuids::uuid const& id) {
    // Links own nothing: a creation is the element alone.
    Orchestrator orchestrator(*this);
    ModelElement element(new Link(*this, id));
    if (!unannounced) {
        element->notifyCreated();
    }
    orchestrator.commit();
    return element;
}

}  // namespace korm::zero::test
