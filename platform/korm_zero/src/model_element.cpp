// The element record's own operations: construction, announcements, containment, destruction
// and the framework's versions of the virtual operations. What touches the model's index and
// transaction logs is in model_impl.cpp.

#include <boost/uuid/uuid_io.hpp>
#include <utility>

#include "korm/zero/changes.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/proxy.hpp"
#include "korm/zero/reflection.hpp"
#include "korm/zero/uuid_text.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero {

namespace {

Model::Impl* requireModel(Model const& model) {
    if (!model) {
        reportException(korm0::messages::CannotCreateWithoutModel());
    }
    return model.getImpl();
}

}  // namespace

ModelElement::Impl::Impl(Model const& model, boost::uuids::uuid const& id)
    : m_uuid(id.is_nil() ? generateNewUuid() : id), m_model(requireModel(model)) {
    // Until announced the record keeps its model alive; the model has no reference to it yet.
    m_model->addRef();
}

ModelElement::Impl::~Impl() {
    m_refCount.store(REFCOUNT_DELETING, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_seq_cst);
    switch (m_state) {
        case State::UNANNOUNCED:
            m_model->removeRef();
            break;
        case State::PROXY:
            m_model->proxyGone(this);
            break;
        case State::MEMBER:
        case State::DETACHED:
            break;
    }
    // Old values left from an interrupted transaction (cannot normally happen: the model
    // holds a reference while they exist).
    delete m_txStorage;
}

void ModelElement::Impl::removeRef() const noexcept {
    ElementImpl::removeRef();
}

ProxyId ModelElement::Impl::getPersistentProxyId(bool withModelName) const {
    if (m_proxyId) {
        return *m_proxyId;
    }
    meta::Class const metaClass = getMetaClass();
    boost::optional<std::u16string> modelName;
    if (withModelName && m_model != nullptr && !m_model->getName().empty()) {
        modelName = m_model->getName();
    }
    return ProxyId::forElement(m_uuid,
                               metaClass.isEmpty() ? boost::uuids::uuid{} : metaClass->getUuid(),
                               std::move(modelName));
}

void ModelElement::Impl::requireModifiable() const {
    if (isProxy()) {
        reportException(korm0::messages::CannotModifyProxy());
    }
    if (!isLive() || m_model == nullptr) {
        reportException(korm0::messages::CannotModifyRemovedElement(uuidText16(m_uuid)));
    }
}

Transaction ModelElement::Impl::beginChange() {
    requireModifiable();
    return m_model->joinOrBeginTransaction();
}

void ModelElement::Impl::notifyCreated() {
    if (m_state != State::UNANNOUNCED) {
        return;
    }
    m_model->elementCreated(this);
    didCreate();
}

void ModelElement::Impl::notifyModifying(std::size_t index) {
    if (m_state != State::MEMBER || m_proxyId || !isValid()) {
        return;
    }
    m_model->elementModifying(this, index);
}

void ModelElement::Impl::announceAsProxy(ProxyId id) {
    if (m_state != State::UNANNOUNCED) {
        return;
    }
    m_proxyId = std::make_unique<ProxyId>(std::move(id));
    m_model->proxyAnnounced(this);
}

// ---- containment ------------------------------------------------------------------------

ModelElement ModelElement::Impl::container() const {
    return ModelElement(m_container);
}

meta::Property ModelElement::Impl::containmentFeature() const {
    return meta::Property(m_containmentFeature.getImpl());
}

void ModelElement::Impl::basicSetContainer(Impl* container, meta::Property const& property,
                                           std::size_t index) {
    notifyModifying(0);
    m_container = container;
    m_containmentFeature = property;
    m_containmentIndex = container != nullptr ? toStoredIndex(index) : NO_CONTAINMENT_INDEX;
}

void ModelElement::Impl::_setContainedByThis(Impl* child, meta::Property const& property,
                                             std::size_t index) {
    if (child == nullptr) {
        return;
    }
    checkCompatibleModel(child, property);
    Impl* const old = child->m_container;
    if (old != nullptr && (old != this || !(child->m_containmentFeature == property))) {
        // The child moves: its old container lets go of it first.
        child->_inverseRemoveThis(old, child->containmentFeature());
    }
    child->basicSetContainer(this, property, index);
}

void ModelElement::Impl::_basicSetUncontained(Impl* child) {
    if (child != nullptr && child->m_container == this) {
        child->basicSetContainer(nullptr, meta::Property(), NO_INDEX);
    }
}

void ModelElement::Impl::_inverseAddThis(Impl* other, meta::Property const& property,
                                         bool setContainer) {
    if (other == nullptr) {
        return;
    }
    other->inverseAdd(ModelElement(this), property);
    if (setContainer) {
        basicSetContainer(other, property, containmentIndex());
    }
}

void ModelElement::Impl::_inverseRemoveThis(Impl* other, meta::Property const& property) {
    if (other != nullptr) {
        other->inverseRemove(ModelElement(this), property);
    }
}

void ModelElement::Impl::checkCompatibleModel(Impl const* element,
                                              meta::Property const& /*property*/) const {
    if (element == nullptr || element->m_model == m_model) {
        return;
    }
    auto const name = [](Model::Impl const* model) {
        return model != nullptr ? model->getName() : std::u16string();
    };
    reportException(korm0::messages::CannotCreateCrossModelAssociation(
        uuidText16(element->m_uuid), name(element->m_model), name(m_model)));
}

// ---- destruction ------------------------------------------------------------------------

void ModelElement::Impl::destroy() {
    destroyRecursively(true, true, false);
}

void ModelElement::Impl::destroyRecursively(bool disassociate, bool detachFromContainer,
                                            bool toProxies) {
    if (!isLive()) {
        return;
    }
    // Keep the record alive even when its container held the last handle to it.
    ModelElement const self(this);
    Model const model(m_model);
    // Joins an open transaction (see Model::Impl::joinOrBeginTransaction): destroying N
    // entries of a collection in one transaction saves the collection's old value once.
    Transaction transaction = model->joinOrBeginTransaction();
    notifyDestroying();
    if (detachFromContainer && m_container != nullptr) {
        _inverseRemoveThis(m_container, containmentFeature());
        basicSetContainer(nullptr, meta::Property(), NO_INDEX);
    }
    doDestroy(disassociate, toProxies);
    transaction.commit();
}

void ModelElement::Impl::doDestroy(bool disassociate, bool toProxies) {
    // What the element itself holds stays: undo may bring it back. The model drops it
    // (basicDisassociateAll) when the element can no longer come back.
    if (disassociate) {
        if (toProxies) {
            convertReferencesToProxies();
        } else {
            disassociateIncoming();
        }
    }
    if (m_state == State::MEMBER && m_model != nullptr) {
        m_model->elementRemoved(this, false);
    }
}

void ModelElement::Impl::notifyDestroying() {
    if (m_model != nullptr) {
        m_model->checkModifiable();
    }
    aboutToDestroy();
}

void ModelElement::Impl::convertToProxy(ProxyId const& id) {
    if (!isLive()) {
        return;
    }
    ModelElement const self(this);
    Model const model(m_model);
    Transaction transaction = model->joinOrBeginTransaction();
    model->checkModifiable();
    if (m_container != nullptr) {
        _inverseRemoveThis(m_container, containmentFeature());
        basicSetContainer(nullptr, meta::Property(), NO_INDEX);
    }
    m_proxyId = std::make_unique<ProxyId>(id);
    model->elementRemoved(this, true);
    transaction.commit();
}

// ---- virtual operations: the framework's versions ---------------------------------------

Model ModelElement::Impl::getModel() const {
    return Model(m_model);
}

void ModelElement::Impl::invalidate() {
    setValidFlag(false);
}

bool ModelElement::Impl::hasPropertyValue(meta::Property const& /*property*/,
                                          AccessTag /*tag*/) const {
    return false;
}

Value ModelElement::Impl::getPropertyValue(meta::Property const& /*property*/,
                                           AccessTag /*tag*/) const {
    return Value();
}

void ModelElement::Impl::setPropertyValue(meta::Property const& property, Value const& /*value*/,
                                          AccessTag /*tag*/) {
    reportException(korm0::messages::UnknownProperty(
        uuidText16(m_uuid),
        property.isEmpty() ? std::u16string() : uuidText16(property->getUuid())));
}

Value ModelElement::Impl::invoke(meta::Operation const& operation,
                                 std::vector<Value> const& arguments) {
    InvokeHandler const handler = getInvokeHandler();
    if (handler == nullptr) {
        reportException(korm0::messages::CannotInvokeOperation(
            operation.isEmpty() ? std::u16string() : uuidText16(operation->getUuid()),
            uuidText16(m_uuid)));
    }
    return handler(*this, operation, arguments);
}

std::u16string ModelElement::Impl::identifier() const {
    return uuidText16(m_uuid);
}

void ModelElement::Impl::inverseAdd(ModelElement const& /*element*/,
                                    meta::Property const& property) {
    reportException(korm0::messages::UnknownProperty(
        uuidText16(m_uuid),
        property.isEmpty() ? std::u16string() : uuidText16(property->getUuid())));
}

void ModelElement::Impl::inverseRemove(ModelElement const& /*element*/,
                                       meta::Property const& property) {
    reportException(korm0::messages::UnknownProperty(
        uuidText16(m_uuid),
        property.isEmpty() ? std::u16string() : uuidText16(property->getUuid())));
}

bool ModelElement::Impl::inverseContainsProxyTo(ModelElement const& /*element*/,
                                                meta::Property const& /*property*/) {
    return false;
}

void ModelElement::Impl::disassociateIncoming() {}

void ModelElement::Impl::convertReferencesToProxies() {}

void ModelElement::Impl::aboutToDestroy() {}

void ModelElement::Impl::didCreate() {}

void ModelElement::Impl::basicDisassociateAll() {}

std::unique_ptr<ModelElement::Impl::Changes> ModelElement::Impl::createChanges() const {
    return std::make_unique<Changes>(m_uuid, getModel(), getMetaClass(), 0);
}

std::unique_ptr<ModelElement::Impl::Storage> ModelElement::Impl::createStorage() const {
    return std::make_unique<Storage>(m_uuid, getModel(), getMetaClass(), 1);
}

void ModelElement::Impl::copyValue(Storage& storage, std::size_t index) const {
    if (index == 0) {
        storage.setOldContainer(m_container, containmentFeature(), containmentIndex());
    }
}

void ModelElement::Impl::copyStateFromStorage(Storage const& storage) {
    if (storage.isChanged(0)) {
        m_container = storage.getOldContainer();
        m_containmentFeature = storage.m_oldContainmentFeature;
        m_containmentIndex = toStoredIndex(storage.getOldContainmentIndex());
    }
}

void ModelElement::Impl::moveStateFromStorage(Storage& storage) noexcept {
    copyStateFromStorage(storage);
}

meta::Property ModelElement::Impl::getPropertyByIndex(std::size_t /*index*/) const {
    return meta::Property();
}

}  // namespace korm::zero
