// The checks, accessors and payload operations of the values the library carries.

#include "arvex/utilities/collections/typed_values.hpp"

#include <boost/uuid/nil_generator.hpp>
#include <cstring>

#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/meta/standard_types.hpp"

namespace arvex::utilities {

using boost::uuids::uuid;
using korm::zero::StandardTypes;
using korm::zero::Value;
using korm::zero::ValueMeta;

static_assert(sizeof(std::size_t) == sizeof(std::uint64_t),
              "the sequence hash is defined on 64-bit hashes");

namespace {

/// Fills the description, takes ownership of `payload` at once (so that nothing leaks if the
/// check below throws), and checks the finished value as T.
template <class T>
Value finishValue(korm::zero::meta::Type type, StandardTypes::Entry standard, std::uint32_t kind,
                  T* payload, Value::Operations const& operations) {
    if (type.isEmpty()) {
        type = StandardTypes::getType(standard);
    }
    Value value(ValueMeta(std::move(type), kind), payload, operations);
    if (kind == ValueMeta::KIND_MANY) {
        value.setUnmanaged();
    }
    value.checkCompatible<T>();
    return value;
}

template <class T>
Value::Operations operationsOf() noexcept {
    Value::Operations operations;
    operations.deleter = &korm::zero::genericDeleter<T>;
    operations.cloner = &korm::zero::genericCloner<T>;
    operations.comparator = &korm::zero::genericComparator<T>;
    operations.hasher = &korm::zero::genericHasher<T>;
    return operations;
}

}  // namespace

template <>
Value makeValue<uuid>(uuid const& object, korm::zero::meta::Type type) {
    return finishValue(std::move(type), StandardTypes::UUID_TYPE, ValueMeta::KIND_SINGLE,
                       new uuid(object), operationsOf<uuid>());
}

template <>
Value makeValue<bool>(bool const& object, korm::zero::meta::Type type) {
    return finishValue(std::move(type), StandardTypes::BOOLEAN_TYPE, ValueMeta::KIND_SINGLE,
                       new bool(object), operationsOf<bool>());
}

template <>
Value makeValue<UUIDVector>(UUIDVector const& object, korm::zero::meta::Type type) {
    Value::Operations operations = operationsOf<UUIDVector>();
    operations.extractor = &korm::zero::typeMapperBasedExtractor<UUIDVector>;
    return finishValue(std::move(type), StandardTypes::UUID_TYPE, ValueMeta::KIND_MANY,
                       new UUIDVector(object), operations);
}

namespace detail {

void checkElementValue(ValueMeta const& value, korm::zero::meta::Class const& target) {
    std::uint32_t const kind = value.getMultiplicityKind();
    korm::zero::meta::Class::Impl const* const type =
        korm::zero::meta::asClassImpl(value.getType());
    if ((kind != ValueMeta::KIND_NONE && kind != ValueMeta::KIND_SINGLE) || type == nullptr ||
        !type->conformsTo(target)) {
        value.reportIncompatible();
    }
}

void checkHeldElement(korm::zero::ModelElement const& held, korm::zero::meta::Class const& target) {
    if (held.isEmpty()) {
        return;
    }
    korm::zero::meta::Type const actual(held->getMetaClass());
    korm::zero::meta::Class::Impl const* const type = korm::zero::meta::asClassImpl(actual);
    if (type == nullptr || !type->conformsTo(target)) {
        korm::zero::reportException(korm0::messages::CannotCastIncompatibleTypes(
            korm::zero::meta::qualifiedNameOf(actual)));
    }
}

}  // namespace detail

}  // namespace arvex::utilities

namespace korm::zero {

using arvex::utilities::UUIDVector;
using boost::uuids::uuid;

namespace {

template <class T>
T const& payloadAs(void const* payload) {
    return *static_cast<T const*>(payload);
}

/// Equality of two payloads of T, a null payload being equal only to another null payload.
template <class T>
bool equalPayloads(void const* a, void const* b) {
    if (a == nullptr || b == nullptr) {
        return a == b;
    }
    return payloadAs<T>(a) == payloadAs<T>(b);
}

template <class T>
void* clonePayload(void const* payload) {
    return payload == nullptr ? nullptr : new T(payloadAs<T>(payload));
}

std::size_t hashOf(uuid const& id) noexcept {
    return services::hashers::KORM0Hasher()(id);
}

bool isSingle(ValueMeta const& value, StandardTypes::Entry entry) {
    return value.getMultiplicityKind() == ValueMeta::KIND_SINGLE &&
           StandardTypes::is(value.getType(), entry);
}

}  // namespace

// ---- UUID ---------------------------------------------------------------------------------

template <>
void Value::checkCompatible<uuid>() const {
    if (!isSingle(*this, StandardTypes::UUID_TYPE)) {
        reportIncompatible();
    }
}

template <>
uuid Value::getValue<uuid>() const {
    checkCompatible<uuid>();
    return m_payload == nullptr ? boost::uuids::nil_uuid() : payloadAs<uuid>(m_payload);
}

template <>
void genericDeleter<uuid>(void* payload) {
    delete static_cast<uuid*>(payload);
}

template <>
void* genericCloner<uuid>(void const* payload) {
    return clonePayload<uuid>(payload);
}

template <>
bool genericComparator<uuid>(void const* a, void const* b) {
    return equalPayloads<uuid>(a, b);
}

template <>
std::size_t genericHasher<uuid>(void const* payload) {
    return payload == nullptr ? 0 : hashOf(payloadAs<uuid>(payload));
}

// ---- bool ---------------------------------------------------------------------------------

template <>
void Value::checkCompatible<bool>() const {
    if (!isSingle(*this, StandardTypes::BOOLEAN_TYPE)) {
        reportIncompatible();
    }
}

template <>
bool Value::getValue<bool>() const {
    checkCompatible<bool>();
    return m_payload != nullptr && payloadAs<bool>(m_payload);
}

template <>
void genericDeleter<bool>(void* payload) {
    delete static_cast<bool*>(payload);
}

template <>
void* genericCloner<bool>(void const* payload) {
    return clonePayload<bool>(payload);
}

template <>
bool genericComparator<bool>(void const* a, void const* b) {
    return equalPayloads<bool>(a, b);
}

template <>
std::size_t genericHasher<bool>(void const* payload) {
    return payload == nullptr ? 0 : static_cast<std::size_t>(payloadAs<bool>(payload) ? 1 : 0);
}

// ---- vector of UUIDs ----------------------------------------------------------------------

template <>
void Value::checkCompatible<UUIDVector>() const {
    if (getMultiplicityKind() != ValueMeta::KIND_MANY || isManaged() ||
        !StandardTypes::is(getType(), StandardTypes::UUID_TYPE)) {
        reportIncompatible();
    }
}

template <>
UUIDVector Value::getValue<UUIDVector>() const {
    checkCompatible<UUIDVector>();
    return m_payload == nullptr ? UUIDVector() : payloadAs<UUIDVector>(m_payload);
}

template <>
void genericDeleter<UUIDVector>(void* payload) {
    delete static_cast<UUIDVector*>(payload);
}

template <>
void* genericCloner<UUIDVector>(void const* payload) {
    return clonePayload<UUIDVector>(payload);
}

template <>
bool genericComparator<UUIDVector>(void const* a, void const* b) {
    return equalPayloads<UUIDVector>(a, b);
}

template <>
std::size_t genericHasher<UUIDVector>(void const* payload) {
    std::uint64_t h = 0;
    if (payload != nullptr) {
        for (uuid const& id : payloadAs<UUIDVector>(payload)) {
            h = arvex::utilities::detail::combineHash(h, hashOf(id));
        }
    }
    return static_cast<std::size_t>(h);
}

template <>
std::vector<Value> typeMapperBasedExtractor<UUIDVector>(Value const& value) {
    std::vector<Value> result;
    if (!value.hasData()) {
        return result;
    }
    Value::Operations operations;
    operations.deleter = &genericDeleter<uuid>;
    operations.cloner = &genericCloner<uuid>;
    operations.comparator = &genericComparator<uuid>;
    operations.hasher = &genericHasher<uuid>;
    UUIDVector const& ids = payloadAs<UUIDVector>(value.getPayload());
    result.reserve(ids.size());
    for (uuid const& id : ids) {
        // Each element is described like the whole, as a single value.
        result.emplace_back(ValueMeta(value.getType(), ValueMeta::KIND_SINGLE), new uuid(id),
                            operations);
    }
    return result;
}

// ---- element handles ----------------------------------------------------------------------

template <>
void Value::checkCompatible<ModelElement>() const {
    arvex::utilities::detail::checkElementValue(*this, ModelElement::metaClass());
}

template <>
ModelElement Value::getValue<ModelElement>() const {
    checkCompatible<ModelElement>();
    return m_payload == nullptr ? ModelElement() : payloadAs<ModelElement>(m_payload);
}

}  // namespace korm::zero
