#pragma once

// Where the members of a collection are stored. A keyed containment (a map or multimap that
// owns its members) is stored in its members' own element rows: container, containment
// property, and the member's place among the members filed under its key. Its order follows
// from the keys, so adding or removing one member rewrites that member's row (and, in a
// multimap, the positions of its key group) and never the owner's. Any other collection is
// stored as values of its owner, in its own order. Proxies, which have no element rows, are
// always stored as values of the owner.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/model_element.hpp"

namespace korm::zero::store {

/// The collection of the many-valued `property` of `element`, or null.
ReferenceCollection* collectionOf(ModelElement::Impl const& element,
                                  meta::Property const& property);

/// Whether the resolved members of `collection`, the value of `property`, are stored in their
/// own element rows.
bool isStoredInMemberRows(meta::Property::Impl const& property,
                          ReferenceCollection const& collection);

/// The collection `element` is a member of when that collection is stored in member rows, or
/// null.
ReferenceCollection* memberRowCollectionOf(ModelElement::Impl const& element);

/// The members filed under the key of `member` in `collection` (stored in member rows), in
/// filing order; their index is their stored position.
std::vector<ModelElement> keyGroupOf(ModelElement::Impl const& member,
                                     ReferenceCollection const& collection);

/// The stored positions of members of collections stored in member rows. A multimap's key
/// group is looked up once for all of its members.
class KeyGroupPositions {
  public:
    /// The position of `member` in `collection`.
    std::int64_t positionOf(ModelElement::Impl const& member,
                            ReferenceCollection const& collection);
    /// Every member of the multimap key groups looked up so far, with its position.
    std::unordered_map<ModelElement::Impl const*, std::int64_t> const& numbered() const noexcept {
        return m_positions;
    }

  private:
    std::unordered_map<ModelElement::Impl const*, std::int64_t> m_positions;
};

}  // namespace korm::zero::store
