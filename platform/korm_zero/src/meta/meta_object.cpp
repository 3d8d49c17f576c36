// The common part of meta objects: state changes inside transactions, ownership through the
// framework's containment, rollback of the state, destruction of owned objects.

#include <algorithm>
#include <boost/uuid/uuid_io.hpp>
#include <utility>

#include "internal.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_registry.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/uuid_text.hpp"
#include "tarsk/core/text.hpp"

namespace korm::zero::meta {

// ---- handles ----------------------------------------------------------------------------

Type::Impl* Type::getTypeImpl() const noexcept {
    return static_cast<Type::Impl*>(m_impl);
}
PrimitiveType::Impl* PrimitiveType::getPrimitiveTypeImpl() const noexcept {
    return static_cast<PrimitiveType::Impl*>(m_impl);
}
Class::Impl* Class::getClassImpl() const noexcept {
    return static_cast<Class::Impl*>(m_impl);
}
TypedElement::Impl* TypedElement::getTypedElementImpl() const noexcept {
    return static_cast<TypedElement::Impl*>(m_impl);
}
Property::Impl* Property::getPropertyImpl() const noexcept {
    return static_cast<Property::Impl*>(m_impl);
}
Operation::Impl* Operation::getOperationImpl() const noexcept {
    return static_cast<Operation::Impl*>(m_impl);
}
Argument::Impl* Argument::getArgumentImpl() const noexcept {
    return static_cast<Argument::Impl*>(m_impl);
}
Package::Impl* Package::getPackageImpl() const noexcept {
    return static_cast<Package::Impl*>(m_impl);
}

Class::Impl* asClassImpl(ModelElement const& element) noexcept {
    return dynamic_cast<Class::Impl*>(element.getImpl());
}

Type::Impl* asTypeImpl(ModelElement const& element) noexcept {
    return dynamic_cast<Type::Impl*>(element.getImpl());
}

std::u16string qualifiedNameOf(Type const& type) {
    Type::Impl const* const record = asTypeImpl(type);
    return record != nullptr ? record->getQualifiedName() : std::u16string();
}

// ---- MetaObjectImpl ---------------------------------------------------------------------

MetaObjectImpl::MetaObjectImpl(Model const& model, boost::uuids::uuid const& id)
    : ModelElement::Impl(model, id) {}

std::string MetaObjectImpl::getName8() const {
    return tarsk::core::text::toUtf8(m_state.name);
}

void MetaObjectImpl::setName(std::u16string const& name) {
    if (m_state.name == name) {
        return;
    }
    Change change(*this);
    change.state().name = name;
    change.commit();
}

void MetaObjectImpl::setDocumentation(std::u16string const& documentation) {
    setStateField(&detail::MetaState::documentation, documentation);
}

ModelElement MetaObjectImpl::getOwner() const {
    return container();
}

MetaObjectImpl::Change::Change(MetaObjectImpl& object)
    : m_object(object)
    , m_transaction(object.getModelImpl() != nullptr ? object.getModelImpl()->beginTransaction(true)
                                                     : Transaction()) {
    m_object.notifyModifying(STATE_INDEX);
}

MetaObjectImpl::Change::~Change() = default;

void MetaObjectImpl::Change::commit() {
    m_transaction.commit();
}

void MetaObjectImpl::moveTo(MetaObjectImpl* owner) {
    ModelElement::Impl* const old = basicContainer();
    if (old == owner) {
        return;
    }
    Model const model = getModel();
    if (!model) {
        reportException(korm0::messages::InvalidValue("meta object to move", identifier(),
                                                      "it no longer belongs to the meta model"));
    }
    Transaction transaction = model->beginTransaction(true);
    if (owner != nullptr) {
        // Takes this object out of the old owner's list (inverseRemove) and sets the
        // containment; then the new owner lists it.
        owner->_setContainedByThis(this, Property());
        Change change(*owner);
        change.state().owned.emplace_back(this);
        change.commit();
    } else {
        _inverseRemoveThis(old, containmentFeature());
        basicSetContainer(nullptr, Property(), NO_INDEX);
    }
    transaction.commit();
}

meta::Class MetaObjectImpl::getMetaClass() const {
    return detail::kindClass(getKind());
}

void MetaObjectImpl::doDestroy(bool disassociate, bool toProxies) {
    if (!m_state.owned.empty()) {
        auto const snapshot = m_state.owned;
        for (auto const& element : snapshot) {
            element->destroyRecursively(disassociate, false, toProxies);
        }
        Change change(*this);
        change.state().owned.clear();
        change.commit();
    }
    ModelElement::Impl::doDestroy(disassociate, toProxies);
}

void MetaObjectImpl::inverseAdd(ModelElement const& element, meta::Property const& /*property*/) {
    if (std::find(m_state.owned.begin(), m_state.owned.end(), element) == m_state.owned.end()) {
        Change change(*this);
        change.state().owned.push_back(element);
        change.commit();
    }
}

void MetaObjectImpl::inverseRemove(ModelElement const& element,
                                   meta::Property const& /*property*/) {
    auto const it = std::find(m_state.owned.begin(), m_state.owned.end(), element);
    if (it != m_state.owned.end()) {
        auto const position = it - m_state.owned.begin();
        Change change(*this);
        change.state().owned.erase(change.state().owned.begin() + position);
        change.commit();
    }
}

void MetaObjectImpl::basicDisassociateAll() {
    // The object can never come back: drop every handle it holds (this breaks the cycles of
    // owners and owned objects) and what the registry keeps for it.
    m_state = detail::MetaState();
    MetaRegistry::forget(this);
}

std::unique_ptr<ModelElement::Impl::Changes> MetaObjectImpl::createChanges() const {
    return std::make_unique<Changes>(getUuid(), getModel(), getMetaClass(), BIT_COUNT - 1);
}

std::unique_ptr<ModelElement::Impl::Storage> MetaObjectImpl::createStorage() const {
    return std::make_unique<Storage>(getUuid(), getModel(), getMetaClass(), BIT_COUNT);
}

void MetaObjectImpl::copyValue(ModelElement::Impl::Storage& storage, std::size_t index) const {
    if (index == STATE_INDEX) {
        static_cast<Storage&>(storage).oldState = m_state;
    } else {
        ModelElement::Impl::copyValue(storage, index);
    }
}

void MetaObjectImpl::copyStateFromStorage(ModelElement::Impl::Storage const& storage) {
    if (storage.isChanged(STATE_INDEX)) {
        m_state = static_cast<Storage const&>(storage).oldState;
    }
    ModelElement::Impl::copyStateFromStorage(storage);
}

void MetaObjectImpl::moveStateFromStorage(ModelElement::Impl::Storage& storage) noexcept {
    if (storage.isChanged(STATE_INDEX)) {
        m_state = std::move(static_cast<Storage&>(storage).oldState);
    }
    ModelElement::Impl::copyStateFromStorage(storage);
}

void MetaObjectImpl::Storage::revertUnchanged(ModelElement::Impl const& record) {
    if (isChanged(STATE_INDEX) && oldState == static_cast<MetaObjectImpl const&>(record).m_state) {
        clearChanged(STATE_INDEX);
    }
    ModelElement::Impl::Storage::revertUnchanged(record);
}

}  // namespace korm::zero::meta
