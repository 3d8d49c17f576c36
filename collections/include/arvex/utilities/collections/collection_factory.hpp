#pragma once

// The collection factory registered with the meta registry for an element class X: the
// collection that a many-valued property of any package, whose element type is X, gets for
// its owner.

#include "arvex/utilities/collections/element_sequence.hpp"
#include "arvex/utilities/collections/unordered_element_set.hpp"
#include "korm/zero/meta/meta_objects.hpp"

namespace korm::zero {

/// A new collection of X for `owner`'s `property` (the caller owns it): an ElementSequence
/// when the property is ordered (unique when the property is), else an UnorderedElementSet.
/// The association's other end is the property's opposite, if it has one. Fits
/// MetaRegistry::CollectionFactory.
template <class X>
ReferenceCollection* createElementCollection(ModelElement::Impl* owner,
                                             meta::Property const& property) {
    meta::Property::Impl const* const record = property.getPropertyImpl();
    meta::Property const opposite = record->getOpposite();
    meta::Property::Impl const* const oppositeRecord =
        opposite.isEmpty() ? nullptr : opposite.getPropertyImpl();
    ModelElement::CollectionPrivateTag const tag;
    if (record->isOrdered()) {
        return new ElementSequence<X>(tag, owner, property, oppositeRecord, record->isUnique());
    }
    return new UnorderedElementSet<X>(tag, owner, property, oppositeRecord);
}

}  // namespace korm::zero
