#pragma once

// Value: the framework's typed value, carrying property values, reflective arguments and
// results. A Value is a ValueMeta (what the value stands for) plus a type-erased payload and
// the plain functions that free, copy, compare, hash and unpack it, chosen when the value is
// made, so that values can be copied, compared and hashed without knowing their type.
//
// The typed parts (checkCompatible<T>, getValue<T> and the generic operations for a carried
// type T) are templates whose specialisations live with the carried types.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"

namespace korm::zero {

/// What a value stands for: its type, a second type, the property it was made from, its
/// multiplicity kind, a first flag and the managed flag.
class KORM_ZERO_EXPORT ValueMeta {
  public:
    /// Multiplicity kinds.
    static constexpr std::uint32_t KIND_NONE = 0;
    static constexpr std::uint32_t KIND_SINGLE = 1;
    static constexpr std::uint32_t KIND_MANY = 2;

    ValueMeta() noexcept = default;
    /// A description from a type alone: no second type, no property, first flag 0, managed.
    ValueMeta(meta::Type type, std::uint32_t kind) noexcept;
    /// A description of a value of `property`: its type; as second type the type of its
    /// qualifier (the key type of a keyed collection), else none; the property; kind
    /// KIND_MANY for a many-valued property, else KIND_SINGLE; first flag 0; managed.
    explicit ValueMeta(meta::Property const& property);

    meta::Type const& getType() const noexcept { return m_type; }
    meta::Type const& getSecondType() const noexcept { return m_secondType; }
    meta::Property const& getProperty() const noexcept { return m_property; }
    std::uint32_t getMultiplicityKind() const noexcept { return m_kind; }
    std::uint8_t getFirstFlag() const noexcept { return m_firstFlag; }
    bool isManaged() const noexcept { return m_managed != 0; }

    void setType(meta::Type type) noexcept { m_type = std::move(type); }
    void setSecondType(meta::Type type) noexcept { m_secondType = std::move(type); }
    void setProperty(meta::Property property) noexcept { m_property = std::move(property); }
    void setMultiplicityKind(std::uint32_t kind) noexcept { m_kind = kind; }
    void setFirstFlag(std::uint8_t flag) noexcept { m_firstFlag = flag; }
    void setUnmanaged() noexcept { m_managed = 0; }

    /// Reports CannotCastIncompatibleTypes naming the type's qualified name ("" without a
    /// type): what a failed checkCompatible<T> raises.
    [[noreturn]] void reportIncompatible() const;

  protected:
    meta::Type m_type;
    meta::Type m_secondType;
    meta::Property m_property;
    std::uint32_t m_kind = KIND_NONE;
    std::uint8_t m_firstFlag = 0;
    std::uint8_t m_managed = 1;
};

class KORM_ZERO_EXPORT Value : public ValueMeta {
  public:
    using Deleter = void (*)(void* payload);
    using Cloner = void* (*)(void const* payload);
    using Comparator = bool (*)(void const* a, void const* b);
    using Extractor = std::vector<Value> (*)(Value const& value);
    using Hasher = std::size_t (*)(void const* payload);

    /// The payload operations of a carried type.
    struct Operations {
        Deleter deleter = nullptr;
        Cloner cloner = nullptr;
        Comparator comparator = nullptr;
        Extractor extractor = nullptr;
        Hasher hasher = nullptr;
    };

    /// An empty value: no type, no payload.
    Value() noexcept = default;
    /// A value owning `payload` (freed with `operations.deleter`, if any).
    Value(ValueMeta meta, void* payload, Operations const& operations) noexcept;
    /// A value that refers to an object it does not own (a collection, for instance): no
    /// operations; copies refer to the same object.
    static Value reference(ValueMeta meta, void* target) noexcept;

    /// Copies the payload with the cloner; without a cloner the copy refers to the same
    /// payload and does not own it.
    Value(Value const& other);
    Value(Value&& other) noexcept;
    Value& operator=(Value const& other);
    Value& operator=(Value&& other) noexcept;
    ~Value();

    void* getPayload() const noexcept { return m_payload; }
    bool hasData() const noexcept { return m_payload != nullptr; }
    Operations const& getOperations() const noexcept { return m_operations; }
    void setExtractor(Extractor extractor) noexcept { m_operations.extractor = extractor; }

    /// Payload equality through the comparator: two null payloads are equal, a null and a
    /// non-null one are not; values with different comparators differ; without a comparator
    /// payloads compare by address.
    friend KORM_ZERO_EXPORT bool operator==(Value const& a, Value const& b) noexcept;
    /// The hasher's result, 0 without payload or hasher.
    std::size_t hash() const noexcept;
    /// The extractor's result (the single values of a many-valued value), or an empty vector.
    std::vector<Value> extract() const;

    /// Returns when the value may be read as T, else reports CannotCastIncompatibleTypes.
    template <class T>
    void checkCompatible() const;
    /// checkCompatible<T>(), then the payload as T.
    template <class T>
    T getValue() const;

  private:
    void* m_payload = nullptr;
    Operations m_operations;
};

// Payload operations for a carried type T, specialised per type where it is carried.
template <class T>
void genericDeleter(void* payload);
template <class T>
void* genericCloner(void const* payload);
template <class T>
bool genericComparator(void const* a, void const* b);
template <class T>
std::size_t genericHasher(void const* payload);
template <class T>
std::vector<Value> typeMapperBasedExtractor(Value const& value);

}  // namespace korm::zero
