// UUID text of host values, and framework values carrying a UUID.

#include "korm/zero/uuid_text.hpp"
#include "internal.hpp"
#include "korm/zero/meta/standard_types.hpp"
#include "korm/zero/services/hashers.hpp"
#include "korm/zero/zi/struct_builder.hpp"

namespace korm::zero::zi {

namespace {

using boost::uuids::uuid;

// Payload operations of the UUID values made here. They are this library's own (the element
// classes read a UUID value through the payload and the value's type only).
void deleteUuid(void* payload) {
    delete static_cast<uuid*>(payload);
}
void* cloneUuid(void const* payload) {
    return payload == nullptr ? nullptr : new uuid(*static_cast<uuid const*>(payload));
}
bool compareUuids(void const* a, void const* b) {
    if (a == nullptr || b == nullptr) {
        return a == b;
    }
    return *static_cast<uuid const*>(a) == *static_cast<uuid const*>(b);
}
std::size_t hashUuid(void const* payload) {
    return payload == nullptr
               ? 0
               : services::hashers::KORM0Hasher()(*static_cast<uuid const*>(payload));
}

}  // namespace

namespace detail {

boost::optional<uuid> extractUuid(zvArray const* value) {
    if (value == nullptr || (zvGetClassCode(value) & ~zvFlagLent) != zvCodeChar) {
        return boost::none;
    }
    if (auto const id = parseUuidText(std::u16string_view(zvGetString_UTF16(value)))) {
        return *id;
    }
    return boost::none;
}

Value makeUuidValue(uuid const& id) {
    Value::Operations operations;
    operations.deleter = &deleteUuid;
    operations.cloner = &cloneUuid;
    operations.comparator = &compareUuids;
    operations.hasher = &hashUuid;
    ValueMeta meta(StandardTypes::getType(StandardTypes::UUID_TYPE), ValueMeta::KIND_SINGLE);
    return Value(std::move(meta), new uuid(id), operations);
}

}  // namespace detail

}  // namespace korm::zero::zi
