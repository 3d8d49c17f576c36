#pragma once

// Typed values: what the library carries in the framework's korm::zero::Value, and how.
//
// A Value is a type-erased payload plus the plain functions that free, copy, compare, hash and
// unpack it. The framework declares the typed parts as templates (Value::checkCompatible<T>,
// Value::getValue<T>, genericDeleter<T>, genericCloner<T>, genericComparator<T>,
// genericHasher<T>, typeMapperBasedExtractor<T>); this header declares the specialisations
// for the types the library carries:
//
//   T                       payload                   kind  managed  type
//   boost::uuids::uuid      new uuid                  1     yes      the standard "UUID" type
//   bool                    new bool                  1     yes      the standard "Boolean" type
//   UUIDVector              new vector of uuids       2     no       the standard "UUID" type
//   korm::zero::ModelElement (read only)              0, 1  -        a class conforming to
//                                                                    ModelElement's class
//
// A null payload is equal only to another null payload, hashes to 0 and reads as the nil UUID,
// false, an empty vector or an empty handle.
//
// Every specialisation is defined out of line in the library. That matters: values compare
// and copy through the function pointers stored in them, and two values made in different
// modules must carry the same pointers, so the operations must not be inline copies that each
// module instantiates for itself.
//
// Element classes add their own handle type (a counted handle whose payload is a heap copy of
// the handle) with the helpers of namespace detail below: they define genericDeleter<H> and
// the other operations of H out of line by forwarding to detail::elementHandle*<H>, and
// Value::checkCompatible<H> by forwarding to detail::checkElementValue with H's class object.

#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "arvex/utilities/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/services/hashers.hpp"
#include "korm/zero/value.hpp"

namespace arvex::utilities {

/// The many-valued UUID payload: the UUIDs in order.
using UUIDVector = std::vector<boost::uuids::uuid>;

/// A new value holding a heap copy of `object`, typed with `type` (an empty handle: the
/// standard type of T), with T's payload operations; checked with checkCompatible<T>() before
/// it is returned, so a type that does not fit T reports CannotCastIncompatibleTypes and
/// nothing is left behind. Defined for boost::uuids::uuid, bool and UUIDVector.
template <class T>
korm::zero::Value makeValue(T const& object, korm::zero::meta::Type type = {});

template <>
ARVEX_UTILITIES_EXPORT korm::zero::Value makeValue<boost::uuids::uuid>(
    boost::uuids::uuid const& object, korm::zero::meta::Type type);
template <>
ARVEX_UTILITIES_EXPORT korm::zero::Value makeValue<bool>(bool const& object,
                                                         korm::zero::meta::Type type);
template <>
ARVEX_UTILITIES_EXPORT korm::zero::Value makeValue<UUIDVector>(UUIDVector const& object,
                                                               korm::zero::meta::Type type);

/// Registers with the framework's ValueCodecRegistry how the primitive values this library
/// carries are stored in model files: a UUID as its 16 bytes, a Boolean as one byte (0 or 1).
/// Called by the meta-package build; registering again replaces the codecs.
ARVEX_UTILITIES_EXPORT void registerValueCodecs();

namespace detail {

/// One step of the 64-bit hash combination used for sequences of hashes:
/// k *= M; k ^= k >> 47; k *= M; h ^= k; h *= M; h += 0xe6546b64 (all modulo 2^64,
/// M = 0xc6a4a7935bd1e995). Written out so that the result does not depend on the version of
/// any library: stored hashes and tests rely on it.
constexpr std::uint64_t combineHash(std::uint64_t h, std::uint64_t k) noexcept {
    constexpr std::uint64_t m = 0xc6a4a7935bd1e995ULL;
    k *= m;
    k ^= k >> 47;
    k *= m;
    h ^= k;
    h *= m;
    h += 0xe6546b64ULL;
    return h;
}

/// The check for a value read as an element handle whose class object is `target`: the kind
/// is 0 or 1, the value's type is a class, and that class conforms to `target`; otherwise
/// reports CannotCastIncompatibleTypes naming the value's type.
ARVEX_UTILITIES_EXPORT void checkElementValue(korm::zero::ValueMeta const& value,
                                              korm::zero::meta::Class const& target);

/// The check for the element a value holds, read as a handle of class `target`: the value's
/// declared type alone does not say what was put into it, so the element's own class must
/// conform too; otherwise reports CannotCastIncompatibleTypes naming the element's class. An
/// empty handle passes.
ARVEX_UTILITIES_EXPORT void checkHeldElement(korm::zero::ModelElement const& held,
                                             korm::zero::meta::Class const& target);

// Payload operations of a counted element handle H (ModelElement or a class derived from it
// that adds no data). The payload is a heap copy of the handle: the copy takes a reference,
// freeing it releases one.

template <class H>
void elementHandleDeleter(void* payload) {
    delete static_cast<H*>(payload);
}

template <class H>
void* elementHandleCloner(void const* payload) {
    return payload == nullptr ? nullptr : new H(*static_cast<H const*>(payload));
}

/// Equal when both handles refer to the same record (or both are empty).
template <class H>
bool elementHandleComparator(void const* a, void const* b) {
    if (a == nullptr || b == nullptr) {
        return a == b;
    }
    return static_cast<H const*>(a)->getImpl() == static_cast<H const*>(b)->getImpl();
}

/// 0 for an empty handle, else the framework's UUID hash of the element's UUID, read while a
/// reference keeps the element alive.
template <class H>
std::size_t elementHandleHasher(void const* payload) {
    if (payload == nullptr || static_cast<H const*>(payload)->isEmpty()) {
        return 0;
    }
    H const held(*static_cast<H const*>(payload));
    return korm::zero::services::hashers::KORM0Hasher()(held->getUuid());
}

/// A single-valued, managed value of `type` holding a copy of `handle` with `operations`.
template <class H>
korm::zero::Value makeElementValue(korm::zero::meta::Type type, H const& handle,
                                   korm::zero::Value::Operations const& operations) {
    korm::zero::ValueMeta meta(std::move(type), korm::zero::ValueMeta::KIND_SINGLE);
    return korm::zero::Value(std::move(meta), new H(handle), operations);
}

}  // namespace detail

}  // namespace arvex::utilities

namespace korm::zero {

// ---- UUID ---------------------------------------------------------------------------------

template <>
ARVEX_UTILITIES_EXPORT void Value::checkCompatible<boost::uuids::uuid>() const;
/// A copy of the UUID; the nil UUID for a null payload.
template <>
ARVEX_UTILITIES_EXPORT boost::uuids::uuid Value::getValue<boost::uuids::uuid>() const;
template <>
ARVEX_UTILITIES_EXPORT void genericDeleter<boost::uuids::uuid>(void* payload);
template <>
ARVEX_UTILITIES_EXPORT void* genericCloner<boost::uuids::uuid>(void const* payload);
template <>
ARVEX_UTILITIES_EXPORT bool genericComparator<boost::uuids::uuid>(void const* a, void const* b);
/// The framework's UUID hash.
template <>
ARVEX_UTILITIES_EXPORT std::size_t genericHasher<boost::uuids::uuid>(void const* payload);

// ---- bool ---------------------------------------------------------------------------------

template <>
ARVEX_UTILITIES_EXPORT void Value::checkCompatible<bool>() const;
/// The flag; false for a null payload.
template <>
ARVEX_UTILITIES_EXPORT bool Value::getValue<bool>() const;
template <>
ARVEX_UTILITIES_EXPORT void genericDeleter<bool>(void* payload);
template <>
ARVEX_UTILITIES_EXPORT void* genericCloner<bool>(void const* payload);
template <>
ARVEX_UTILITIES_EXPORT bool genericComparator<bool>(void const* a, void const* b);
/// The byte itself: 0 or 1.
template <>
ARVEX_UTILITIES_EXPORT std::size_t genericHasher<bool>(void const* payload);

// ---- vector of UUIDs ----------------------------------------------------------------------

/// Accepted when many-valued, unmanaged and typed with the standard UUID type.
template <>
ARVEX_UTILITIES_EXPORT void Value::checkCompatible<arvex::utilities::UUIDVector>() const;
/// A copy of the vector; empty for a null payload.
template <>
ARVEX_UTILITIES_EXPORT arvex::utilities::UUIDVector Value::getValue<arvex::utilities::UUIDVector>()
    const;
template <>
ARVEX_UTILITIES_EXPORT void genericDeleter<arvex::utilities::UUIDVector>(void* payload);
template <>
ARVEX_UTILITIES_EXPORT void* genericCloner<arvex::utilities::UUIDVector>(void const* payload);
/// Equal lengths and equal UUIDs position by position.
template <>
ARVEX_UTILITIES_EXPORT bool genericComparator<arvex::utilities::UUIDVector>(void const* a,
                                                                            void const* b);
/// detail::combineHash folded over the UUID hashes from 0; 0 for an empty vector.
template <>
ARVEX_UTILITIES_EXPORT std::size_t genericHasher<arvex::utilities::UUIDVector>(void const* payload);
/// One single-valued, managed UUID value per element, in order, typed with `value`'s type.
template <>
ARVEX_UTILITIES_EXPORT std::vector<Value> typeMapperBasedExtractor<arvex::utilities::UUIDVector>(
    Value const& value);

// ---- element handles ----------------------------------------------------------------------

/// Accepted when the kind is 0 or 1 and the type is a class conforming to ModelElement's
/// class object.
template <>
ARVEX_UTILITIES_EXPORT void Value::checkCompatible<ModelElement>() const;
/// A new counted handle to the payload's element; an empty handle for a null payload.
template <>
ARVEX_UTILITIES_EXPORT ModelElement Value::getValue<ModelElement>() const;

}  // namespace korm::zero
