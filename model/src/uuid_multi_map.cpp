// UUIDMultiMap: the element side of the class.

#include "arvex/utilities/uuid_multi_map.hpp"

namespace arvex::utilities {

korm::zero::meta::Class UUIDMultiMap::metaClass() {
    return detail::Meta::uuidMultiMap();
}

UUIDMultiMap UUIDMultiMap::create(korm::zero::Model const& model, boost::uuids::uuid const& id) {
    return detail::createElement<UUIDMultiMap>(model, id);
}

UUIDMultiMap::Impl::Impl(korm::zero::Model const& model, boost::uuids::uuid const& id)
    : MapRecord(model, id) {}

}  // namespace arvex::utilities
