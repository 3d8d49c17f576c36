// UUIDToUUIDMap: the element side of the class.

#include "arvex/utilities/uuid_to_uuid_map.hpp"

namespace arvex::utilities {

korm::zero::meta::Class UUIDToUUIDMap::metaClass() {
    return detail::Meta::uuidToUUIDMap();
}

UUIDToUUIDMap UUIDToUUIDMap::create(korm::zero::Model const& model, boost::uuids::uuid const& id) {
    return detail::createElement<UUIDToUUIDMap>(model, id);
}

UUIDToUUIDMap::Impl::Impl(korm::zero::Model const& model, boost::uuids::uuid const& id)
    : MapRecord(model, id) {}

}  // namespace arvex::utilities
