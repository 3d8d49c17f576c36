#pragma once

// The query side every model class shares: the types of the query-class members and of the
// static property accessors, as the framework's query support (korm/zero/query.hpp) has them.
//
// A query class X::Constrainables binds each member to the query it builds
// (InstanceAttachment); a static accessor (X::key(), X::pairs(), ...) binds the same kind of
// object to class X itself (MetaclassAttachment<X>), so that its conditions hold only for
// elements of X. X::Uuid() stands for an element's own UUID in the same way.

#include <boost/uuid/uuid.hpp>

#include "arvex/utilities/collections/typed_values.hpp"
#include "korm/zero/query.hpp"

namespace arvex::utilities::detail {

namespace kq = korm::zero::query;

/// A query-class member for a UUID-valued property.
using UuidConstrainable =
    kq::ConstrainableWithAttachment<boost::uuids::uuid, kq::InstanceAttachment>;
/// A query-class member for a containment holding elements of class Held.
template <class Held>
using RelationConstrainable = kq::ConstrainableRelationWithAttachment<Held, kq::InstanceAttachment>;

/// The static accessor of a UUID-valued property of class X.
template <class X>
using UuidAccessor =
    kq::ConstrainableWithAttachment<boost::uuids::uuid, kq::MetaclassAttachment<X>>;
/// The static accessor of a containment of class X holding elements of class Held.
template <class Held, class X>
using RelationAccessor = kq::ConstrainableRelationWithAttachment<Held, kq::MetaclassAttachment<X>>;
/// The element-UUID attribute of class X (X::Uuid()).
template <class X>
using UuidOf = kq::ElementUuidAttribute<X>;

}  // namespace arvex::utilities::detail
