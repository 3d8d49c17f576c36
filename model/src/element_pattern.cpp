// The shared, type-independent parts of the element pattern.

#include "arvex/utilities/detail/element_pattern.hpp"

#include <boost/uuid/uuid_io.hpp>

#include "arvex/utilities/collections/typed_values.hpp"
#include "korm/zero/meta/meta_objects.hpp"

namespace arvex::utilities::detail {

kz::Value makeUuidPropertyValue(kz::meta::Property const& property, boost::uuids::uuid const& id) {
    return makeValue<boost::uuids::uuid>(id, property.getPropertyImpl()->getType());
}

}  // namespace arvex::utilities::detail
