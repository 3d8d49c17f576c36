#include "arvex/utilities/collections/collection_support.hpp"

#include <boost/uuid/uuid_io.hpp>

#include "arvex/utilities/collections/typed_values.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/standard_types.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/proxy.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero {

CollectionChange::CollectionChange(AbstractOwnedCollection& collection) {
    ModelElement::Impl* const owner = collection.getOwner();
    if (owner == nullptr) {
        return;
    }
    if (Model::Impl* const model = owner->getModelImpl(); model != nullptr) {
        m_transaction = model->joinOrBeginTransaction();
    }
    collection.modifying();
}

CollectionChange::~CollectionChange() = default;

void CollectionChange::commit() {
    m_transaction.commit();
}

namespace collection_support {

namespace {

meta::Property oppositeOf(ReferenceCollection const& collection) {
    return meta::Property(const_cast<meta::Property::Impl*>(collection.getOppositeProperty()));
}

std::u16string classNameOf(meta::Class const& cls) {
    return cls.isEmpty() ? std::u16string() : cls.getTypeImpl()->getQualifiedName();
}

}  // namespace

void added(ReferenceCollection& collection, ModelElement::Impl* element) {
    ModelElement::Impl* const owner = collection.getOwner();
    if (owner == nullptr || element == nullptr) {
        return;
    }
    if (collection.getOppositeProperty() != nullptr) {
        owner->_inverseAddThis(element, oppositeOf(collection), false);
    } else if (collection.isComposite()) {
        owner->_setContainedByThis(element, collection.getCollectionProperty());
    }
}

void removed(ReferenceCollection& collection, ModelElement::Impl* element) {
    ModelElement::Impl* const owner = collection.getOwner();
    if (owner == nullptr || element == nullptr) {
        return;
    }
    if (collection.getOppositeProperty() != nullptr) {
        element->inverseRemove(ModelElement(owner), oppositeOf(collection));
    } else if (collection.isComposite()) {
        element->basicSetContainer(nullptr, meta::Property(), ModelElement::Impl::NO_INDEX);
    }
}

bool isCompatible(ModelElement::Impl const* element, meta::Class const& entryClass) {
    if (element == nullptr || entryClass.isEmpty()) {
        return false;
    }
    meta::Class const cls = element->getMetaClass();
    return !cls.isEmpty() && cls.getClassImpl()->conformsTo(entryClass);
}

void checkCompatibleType(ModelElement::Impl const* element, meta::Class const& entryClass) {
    if (element != nullptr && !isCompatible(element, entryClass)) {
        reportException(korm0::messages::CannotAddIncompatibleTypes(
            classNameOf(element->getMetaClass()), classNameOf(entryClass)));
    }
}

void checkProxyAllowed(ReferenceCollection const& collection, ModelElement::Impl const* proxy) {
    ProxyId const* id = proxy == nullptr ? nullptr : proxy->getProxyId();
    meta::Property const& property = collection.getCollectionProperty();
    if (id == nullptr || !id->isCrossModel() || property.isEmpty() ||
        !property.getPropertyImpl()->forbidsCrossModelReferences()) {
        return;
    }
    ModelElement::Impl const* owner = collection.getOwner();
    Model::Impl const* model = owner == nullptr ? nullptr : owner->getModelImpl();
    reportException(korm0::messages::CannotCreateCrossModelAssociation(
        id->getElementId(), *id->getModelName(),
        model == nullptr ? std::u16string() : model->getName()));
}

bool canResolve(ReferenceCollection const& collection) {
    ModelElement::Impl const* owner = collection.getOwner();
    return owner != nullptr && owner->getModelImpl() != nullptr;
}

ModelElement resolve(ReferenceCollection const& collection, ModelElement const& proxy,
                     meta::Class const& entryClass, bool peek) {
    if (!canResolve(collection) || proxy.isEmpty()) {
        return ModelElement();
    }
    ModelElement target =
        peek ? collection.peekResolveProxy(proxy) : collection.resolveProxy(proxy);
    if (!target || target->isProxy() || !isCompatible(target.getImpl(), entryClass)) {
        return ModelElement();
    }
    return target;
}

bool refersTo(ModelElement::Impl* element, meta::Property::Impl const* opposite,
              ModelElement::Impl const* owner) {
    meta::Property const property(const_cast<meta::Property::Impl*>(opposite));
    Value const value = element->getPropertyValue(property, PUBLIC_ACCESS);
    return value.hasData() && value.getValue<ModelElement>().getImpl() == owner;
}

meta::Type qualifierType(ReferenceCollection const& collection) {
    meta::Property const& property = collection.getCollectionProperty();
    if (!property.isEmpty()) {
        meta::Property const qualifier = property.getPropertyImpl()->getQualifiedBy();
        if (!qualifier.isEmpty()) {
            return qualifier.getPropertyImpl()->getType();
        }
    }
    return uuidType();
}

meta::Type uuidType() {
    return StandardTypes::getType(StandardTypes::UUID_TYPE);
}

Value makeKeyValue(meta::Type const& type, boost::uuids::uuid const& key) {
    return arvex::utilities::makeValue(key, type);
}

void reportDuplicateKey(boost::uuids::uuid const& key) {
    std::string const text = boost::uuids::to_string(key);
    reportException(
        korm0::messages::UniquenessConstraint(std::u16string(text.begin(), text.end())));
}

}  // namespace collection_support

}  // namespace korm::zero
