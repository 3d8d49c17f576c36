#pragma once

// UUIDMapEntry: one key/value pair of a UUIDMap or UUIDMultiMap, an element of its own.
//
//   index 1 "Key"    UUID, nil at first: the key under which the entry is filed in its map
//   index 2 "Value"  UUID, nil at first

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <memory>

#include "arvex/utilities/detail/builder_pattern.hpp"
#include "arvex/utilities/detail/element_pattern.hpp"
#include "arvex/utilities/detail/query_pattern.hpp"
#include "arvex/utilities/export.hpp"

namespace arvex::utilities {

class ARVEX_UTILITIES_EXPORT UUIDMapEntry : public detail::ElementHandle<UUIDMapEntry> {
  public:
    class Impl;
    using ElementHandle::ElementHandle;

    /// The class object (the first call anywhere builds the meta-package).
    static korm::zero::meta::Class metaClass();
    /// A new entry in `model` with nil key and value; the nil UUID as `id` gets a fresh one.
    static UUIDMapEntry create(korm::zero::Model const& model,
                               boost::uuids::uuid const& id = boost::uuids::nil_uuid());

    // Builders and queries (builders.hpp, queries.hpp).
    class Builder;
    class BuilderWrapper;
    class Constrainables;
    /// The element UUID in model queries: one constant object of the class.
    static detail::UuidOf<UUIDMapEntry> const& Uuid();
    /// "Key" and "Value" in model queries, built on first use, once per process.
    static detail::UuidAccessor<UUIDMapEntry> const& key();
    static detail::UuidAccessor<UUIDMapEntry> const& value();
};

class ARVEX_UTILITIES_EXPORT UUIDMapEntry::Impl : public detail::RecordBase<UUIDMapEntry, 2> {
  public:
    class Storage;
    static constexpr std::size_t KEY = 1;
    static constexpr std::size_t VALUE = 2;

    Impl(korm::zero::Model const& model, boost::uuids::uuid const& id);
    ~Impl() override;

    // Builders (builders.hpp, builders.cpp).
    class BuilderImpl;
    template <class B>
    using BuilderBase = detail::BuilderBase<UUIDMapEntry, B>;
    /// The record a builder makes: its given key and value (nil when not given).
    Impl(BuilderImpl const& builder, boost::uuids::uuid const& id);
    /// Nothing: an entry owns no elements.
    void cascadeCreation(BuilderImpl& builder);

    /// The key; the key extractor of the map collections.
    boost::uuids::uuid const& getKey() const noexcept { return m_key; }
    boost::uuids::uuid const& getValue() const noexcept { return m_value; }

    /// Changes the key. A proxy entry reports CannotModifyProxy; an equal key does nothing.
    /// An entry filed in a UUIDMap reports UniquenessConstraint when another valid entry of
    /// that map holds the key; one filed in a UUIDMap or UUIDMultiMap is filed again under
    /// the new key (at the end of the key's group in a multimap).
    void setKey(boost::uuids::uuid const& key);
    /// Changes the value. A proxy entry reports CannotModifyProxy; an equal value does
    /// nothing.
    void setValue(boost::uuids::uuid const& value);

    bool hasPropertyValue(korm::zero::meta::Property const& property,
                          korm::zero::AccessTag tag) const override;
    korm::zero::Value getPropertyValue(korm::zero::meta::Property const& property,
                                       korm::zero::AccessTag tag) const override;
    void setPropertyValue(korm::zero::meta::Property const& property,
                          korm::zero::Value const& value, korm::zero::AccessTag tag) override;
    korm::zero::meta::Property getPropertyByIndex(std::size_t index) const override;

    std::unique_ptr<korm::zero::ModelElement::Impl::Storage> createStorage() const override;
    void copyValue(korm::zero::ModelElement::Impl::Storage& storage,
                   std::size_t index) const override;
    void copyStateFromStorage(korm::zero::ModelElement::Impl::Storage const& storage) override;

  private:
    using Slot = detail::UuidSlot<Impl, Storage>;
    static Slot const UUID_SLOTS[2];

    boost::uuids::uuid m_key{};
    boost::uuids::uuid m_value{};
};

class ARVEX_UTILITIES_EXPORT UUIDMapEntry::Impl::Storage
    : public korm::zero::ModelElement::Impl::Storage {
  public:
    using korm::zero::ModelElement::Impl::Storage::Storage;

    void revertUnchanged(korm::zero::ModelElement::Impl const& record) override;
    korm::zero::Value getOldValue(korm::zero::meta::Property const& property,
                                  korm::zero::AccessTag tag) const override;

    boost::uuids::uuid oldKey{};
    boost::uuids::uuid oldValue{};
};

}  // namespace arvex::utilities
