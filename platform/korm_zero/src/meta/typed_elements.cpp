// Typed elements of the meta model: properties, operations and arguments.

#include "internal.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_registry.hpp"

namespace korm::zero::meta {

// ---- TypedElement -----------------------------------------------------------------------

TypedElement::Impl::Impl(Model const& model, boost::uuids::uuid const& id)
    : MetaObjectImpl(model, id) {}

void TypedElement::Impl::setType(Type const& type) {
    setStateField(&detail::MetaState::type, type);
}

unsigned TypedElement::Impl::getLower() const noexcept {
    return state().lower.value_or(0U);
}

unsigned TypedElement::Impl::getUpper() const noexcept {
    return state().upper ? *state().upper : defaultUpper();
}

void TypedElement::Impl::setLower(unsigned lower) {
    setStateField(&detail::MetaState::lower, boost::optional<unsigned>(lower));
}

void TypedElement::Impl::setUpper(unsigned upper) {
    setStateField(&detail::MetaState::upper, boost::optional<unsigned>(upper));
}

void TypedElement::Impl::setIsOrdered(bool value) {
    setStateField(&detail::MetaState::isOrdered, value);
}

void TypedElement::Impl::setIsUnique(bool value) {
    setStateField(&detail::MetaState::isUnique, value);
}

// ---- Property ---------------------------------------------------------------------------

Property::Impl::Impl(Model const& model, boost::uuids::uuid const& id)
    : TypedElement::Impl(model, id) {}

Class Property::Impl::getOwningType() const {
    return Class(basicContainer());
}

void Property::Impl::setOwningType(Class const& owner) {
    moveTo(owner.getClassImpl());
}

void Property::Impl::setValueFlags(ValueFlags flags) {
    setStateField(&detail::MetaState::valueFlags, static_cast<std::uint32_t>(flags));
}

void Property::Impl::setIsContainment(bool value) {
    setStateField(&detail::MetaState::isContainment, value);
}

void Property::Impl::setForbidsCrossModelReferences(bool value) {
    setStateField(&detail::MetaState::forbidsCrossModelReferences, value);
}

void Property::Impl::setIndex(std::size_t index) {
    setStateField(&detail::MetaState::index, index);
}

void Property::Impl::setDefaultValue(boost::optional<std::u16string> const& value) {
    setStateField(&detail::MetaState::defaultValue, value);
}

void Property::Impl::setQualifiedBy(Property const& qualifier) {
    setStateField(&detail::MetaState::qualifiedBy, qualifier);
}

void Property::Impl::setIsQualificationUnique(bool value) {
    setStateField(&detail::MetaState::isQualificationUnique, value);
}

void Property::Impl::setOpposite(Property const& opposite) {
    setStateField(&detail::MetaState::opposite, opposite);
}

OppositeKind Property::Impl::getOppositeKind() const noexcept {
    Property const& opposite = state().opposite;
    if (opposite.isEmpty()) {
        return OppositeKind::NONE;
    }
    return opposite.getPropertyImpl()->isMany() ? OppositeKind::MANY : OppositeKind::SINGLE;
}

std::u16string Property::Impl::getQualifiedName() const {
    Class const owner = getOwningType();
    if (owner.isEmpty()) {
        return getName();
    }
    return owner.getClassImpl()->getQualifiedName() + u'.' + getName();
}

unsigned Property::Impl::defaultUpper() const noexcept {
    return (state().valueFlags & (VALUE_KEYED | VALUE_MANY)) != 0 ? UNBOUNDED : 1U;
}

// ---- Operation --------------------------------------------------------------------------

Operation::Impl::Impl(Model const& model, boost::uuids::uuid const& id)
    : TypedElement::Impl(model, id) {}

Class Operation::Impl::getOwningType() const {
    return Class(basicContainer());
}

void Operation::Impl::setOwningType(Class const& owner) {
    moveTo(owner.getClassImpl());
}

std::vector<Argument> Operation::Impl::getArguments() const {
    return ownedOfKind<Argument>(MetaKind::ARGUMENT);
}

void Operation::Impl::setIsAbstract(bool value) {
    setStateField(&detail::MetaState::isAbstract, value);
}

void Operation::Impl::setResultDocumentation(std::u16string const& documentation) {
    setStateField(&detail::MetaState::resultDocumentation, documentation);
}

void Operation::Impl::setIsStatic(bool value) {
    setStateField(&detail::MetaState::isStatic, value);
}

void Operation::Impl::setIsPublic(bool value) {
    setStateField(&detail::MetaState::isPublic, value);
}

void Operation::Impl::setIsEvent(bool value) {
    setStateField(&detail::MetaState::isEvent, value);
}

bool Operation::Impl::hasInvoker() const {
    return MetaRegistry::getInstance().hasInvoker(Operation(const_cast<Operation::Impl*>(this)));
}

// ---- Argument ---------------------------------------------------------------------------

Argument::Impl::Impl(Model const& model, boost::uuids::uuid const& id)
    : TypedElement::Impl(model, id) {}

Operation Argument::Impl::getOperation() const {
    return Operation(basicContainer());
}

void Argument::Impl::setOperation(Operation const& operation) {
    moveTo(operation.getOperationImpl());
}

void Argument::Impl::setIsInput(bool value) {
    setStateField(&detail::MetaState::isInput, value);
}

}  // namespace korm::zero::meta
