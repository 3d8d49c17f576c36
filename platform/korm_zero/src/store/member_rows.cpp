// Where the members of a collection are stored (see member_rows.hpp).

#include "member_rows.hpp"

#include "korm/zero/meta/meta_objects.hpp"

namespace korm::zero::store {

ReferenceCollection* collectionOf(ModelElement::Impl const& element,
                                  meta::Property const& property) {
    // A many-valued property's value refers to its collection.
    Value const value = element.getPropertyValue(property, NO_PROXY_RESOLVE);
    return static_cast<ReferenceCollection*>(value.getPayload());
}

bool isStoredInMemberRows(meta::Property::Impl const& property,
                          ReferenceCollection const& collection) {
    auto const* generic = collection.getGenericInterface();
    return property.isContainment() && generic != nullptr &&
           (generic->isMapInterface() || generic->isMultimapInterface());
}

ReferenceCollection* memberRowCollectionOf(ModelElement::Impl const& element) {
    ModelElement::Impl const* container = element.basicContainer();
    meta::Property const feature = element.containmentFeature();
    if (container == nullptr || feature.isEmpty() || !feature.getPropertyImpl()->isMany()) {
        return nullptr;
    }
    ReferenceCollection* collection = collectionOf(*container, feature);
    return collection != nullptr && isStoredInMemberRows(*feature.getPropertyImpl(), *collection)
               ? collection
               : nullptr;
}

std::vector<ModelElement> keyGroupOf(ModelElement::Impl const& member,
                                     ReferenceCollection const& collection) {
    auto const* generic = collection.getGenericInterface();
    ModelElement const handle(const_cast<ModelElement::Impl*>(&member));
    if (generic->isMultimapInterface()) {
        return static_cast<GenericMultimapInterface const*>(generic)->genericGroupOf(handle);
    }
    return {handle};  // a map files one member per key
}

std::int64_t KeyGroupPositions::positionOf(ModelElement::Impl const& member,
                                           ReferenceCollection const& collection) {
    if (!collection.getGenericInterface()->isMultimapInterface()) {
        return 0;
    }
    if (auto const it = m_positions.find(&member); it != m_positions.end()) {
        return it->second;
    }
    std::int64_t position = 0;
    std::int64_t found = 0;
    for (ModelElement const& mate : keyGroupOf(member, collection)) {
        m_positions.emplace(mate.getImpl(), position);
        if (mate.getImpl() == &member) {
            found = position;
        }
        ++position;
    }
    return found;
}

}  // namespace korm::zero::store
