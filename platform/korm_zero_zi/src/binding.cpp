// Binding elements and collections to host objects.

#include "korm/zero/zi/binding.hpp"

#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/zi/wrapper_info.hpp"
#include "olan/factory/binding_registry.hpp"
#include "olan/host.hpp"
#include "olan/interned.hpp"
#include "olan/object.hpp"

namespace korm::zero::zi {

namespace {

using olan::factory::basic::BindingRegistry;

// The qualified name of `type` or of its nearest superclass that names a host class.
std::string nearestHostClass(meta::Class::Impl const& type) {
    std::string name = type.getQualifiedName8();
    if (!name.empty() && olan::host::classExists(name)) {
        return name;
    }
    for (meta::Class const& superclass : type.getSuperclasses()) {
        if (superclass.getClassImpl() != nullptr) {
            name = nearestHostClass(*superclass.getClassImpl());
            if (!name.empty()) {
                return name;
            }
        }
    }
    return {};
}

}  // namespace

namespace detail {

void releaseBindingReference(ModelElement::Impl const* record) noexcept {
    if (record != nullptr) {
        record->removeRef();
    }
}

}  // namespace detail

std::string hostClassNameFor(ModelElement::Impl const* element,
                             std::string_view declaredClassName) {
    if (element == nullptr) {
        return std::string(declaredClassName);
    }
    meta::Class const metaClass = element->getMetaClass();
    std::string name;
    if (meta::Class::Impl const* type = meta::asClassImpl(metaClass)) {
        name = nearestHostClass(*type);
    }
    return name.empty() ? std::string(ModelElementClassName) : name;
}

olan::Value bindElement(ModelElement::Impl* element, std::string_view declaredClassName) {
    if (declaredClassName.empty()) {
        declaredClassName = ModelElementClassName;
    }
    return bindElementAs(element, hostClassNameFor(element, declaredClassName));
}

olan::Value bindElementAs(ModelElement::Impl* element, std::string_view className) {
    // Held while the host makes the binding, so that the element cannot go away meanwhile.
    ModelElement const held(element);
    bool isNew = false;
    olan::Value bound =
        BindingRegistry::announce(element, olan::internal::makeInterned(className), isNew);
    if (isNew && element != nullptr) {
        element->addRef();
    }
    return bound;
}

ModelElement::Impl* elementOf(zvArray const* value) noexcept {
    olan::Object const* const object = omGetArrayElement(value, 0);
    if (object == nullptr) {
        return nullptr;
    }
    try {
        if (!object->isa(ModelElementClassName)) {
            return nullptr;
        }
    } catch (...) {
        return nullptr;
    }
    return static_cast<ModelElement::Impl*>(object->primaryPointer());
}

char const* viewClassNameFor(ReferenceCollection const* collection) noexcept {
    GenericCollectionInterface const* const generic =
        collection != nullptr ? collection->getGenericInterface() : nullptr;
    if (generic == nullptr) {
        return SetViewClassName;
    }
    if (generic->isSequenceInterface()) {
        return SequenceViewClassName;
    }
    if (generic->isMapInterface()) {
        return MapViewClassName;
    }
    if (generic->isMultimapInterface()) {
        return MultimapViewClassName;
    }
    return SetViewClassName;
}

olan::Value bindCollection(ReferenceCollection* collection) {
    bool isNew = false;
    olan::Value bound = BindingRegistry::announce(
        collection, olan::internal::makeInterned(viewClassNameFor(collection)), isNew);
    if (isNew && collection != nullptr && collection->getOwner() != nullptr) {
        collection->getOwner()->addRef();
    }
    return bound;
}

}  // namespace korm::zero::zi
