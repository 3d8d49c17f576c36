// UUIDMap as a carried value.

#include "arvex/utilities/uuid_map_value.hpp"

namespace arvex::utilities {

namespace kz = korm::zero;

template <>
kz::Value makeValue<UUIDMap>(UUIDMap const& map, kz::meta::Type type) {
    if (type.isEmpty()) {
        type = map ? kz::meta::Type(map->getMetaClass()) : kz::meta::Type(UUIDMap::metaClass());
    }
    kz::Value::Operations operations;
    operations.deleter = &kz::genericDeleter<UUIDMap>;
    operations.cloner = &kz::genericCloner<UUIDMap>;
    operations.comparator = &kz::genericComparator<UUIDMap>;
    operations.hasher = &kz::genericHasher<UUIDMap>;
    kz::Value value = detail::makeElementValue(std::move(type), map, operations);
    value.checkCompatible<UUIDMap>();
    return value;
}

}  // namespace arvex::utilities

namespace korm::zero {

using arvex::utilities::UUIDMap;

template <>
void Value::checkCompatible<UUIDMap>() const {
    arvex::utilities::detail::checkElementValue(*this, UUIDMap::metaClass());
}

template <>
UUIDMap Value::getValue<UUIDMap>() const {
    checkCompatible<UUIDMap>();
    if (getPayload() == nullptr) {
        return UUIDMap();
    }
    // The payload is a handle (UUIDMap or a plain ModelElement, of the same layout); its
    // record's own class must conform to UUIDMap before the record is taken for a map's.
    auto const* held = static_cast<ModelElement const*>(getPayload());
    arvex::utilities::detail::checkHeldElement(*held, UUIDMap::metaClass());
    return UUIDMap(static_cast<UUIDMap::Impl*>(held->getImpl()));
}

template <>
void genericDeleter<UUIDMap>(void* payload) {
    arvex::utilities::detail::elementHandleDeleter<UUIDMap>(payload);
}

template <>
void* genericCloner<UUIDMap>(void const* payload) {
    return arvex::utilities::detail::elementHandleCloner<UUIDMap>(payload);
}

template <>
bool genericComparator<UUIDMap>(void const* a, void const* b) {
    return arvex::utilities::detail::elementHandleComparator<UUIDMap>(a, b);
}

template <>
std::size_t genericHasher<UUIDMap>(void const* payload) {
    return arvex::utilities::detail::elementHandleHasher<UUIDMap>(payload);
}

}  // namespace korm::zero
