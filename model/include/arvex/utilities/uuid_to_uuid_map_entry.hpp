#pragma once

// UUIDToUUIDMapEntry: one container key of a UUIDToUUIDMap with the inner map it leads to.
//
//   index 1 "Key"    UUID, nil at first: the container key under which the entry is filed
//   index 2 "Value"  containment of one UUIDMap (the inner map), none at first

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <memory>

#include "arvex/utilities/detail/builder_pattern.hpp"
#include "arvex/utilities/detail/element_pattern.hpp"
#include "arvex/utilities/detail/query_pattern.hpp"
#include "arvex/utilities/export.hpp"
#include "arvex/utilities/uuid_map.hpp"

namespace arvex::utilities {

class ARVEX_UTILITIES_EXPORT UUIDToUUIDMapEntry : public detail::ElementHandle<UUIDToUUIDMapEntry> {
  public:
    class Impl;
    using ElementHandle::ElementHandle;

    static korm::zero::meta::Class metaClass();
    /// A new entry in `model` with a nil key and no inner map; the nil UUID as `id` gets a
    /// fresh one.
    static UUIDToUUIDMapEntry create(korm::zero::Model const& model,
                                     boost::uuids::uuid const& id = boost::uuids::nil_uuid());

    // Builders and queries (builders.hpp, queries.hpp).
    class Builder;
    class BuilderWrapper;
    class Constrainables;
    /// The element UUID in model queries: one constant object of the class.
    static detail::UuidOf<UUIDToUUIDMapEntry> const& Uuid();
    /// "Key" and "Value" in model queries, built on first use, once per process.
    static detail::UuidAccessor<UUIDToUUIDMapEntry> const& key();
    static detail::RelationAccessor<UUIDMap, UUIDToUUIDMapEntry> const& value();
};

class ARVEX_UTILITIES_EXPORT UUIDToUUIDMapEntry::Impl
    : public detail::RecordBase<UUIDToUUIDMapEntry, 2> {
  public:
    class Storage;
    static constexpr std::size_t KEY = 1;
    static constexpr std::size_t VALUE = 2;

    Impl(korm::zero::Model const& model, boost::uuids::uuid const& id);
    ~Impl() override;

    // Builders (builders.hpp, builders.cpp).
    class BuilderImpl;
    template <class B>
    using BuilderBase = detail::BuilderBase<UUIDToUUIDMapEntry, B>;
    /// The record a builder makes: its given key (nil when not given), no inner map yet.
    Impl(BuilderImpl const& builder, boost::uuids::uuid const& id);
    /// Makes the inner map from the given map builder, if any, and holds it (setValue).
    void cascadeCreation(BuilderImpl& builder);
    /// Makes a UUIDMap with UUID `id` in the entry's model from `builder` and holds it as the
    /// inner map (setValue: a map held before is released, not destroyed). Joins an open
    /// transaction. A proxy entry is refused (CannotModifyProxy) before anything is made.
    UUIDMap createIntoValue(UUIDMap::BuilderWrapper builder, boost::uuids::uuid const& id);

    /// The container key; the key extractor of the UUIDToUUIDMap collection.
    boost::uuids::uuid const& getKey() const noexcept { return m_key; }
    /// The inner map, or an empty handle. A held proxy is resolved when it can be; a held map
    /// that is no longer valid is kept only while it still belongs to this entry's model.
    UUIDMap getValue() const;
    /// True when a valid inner map is held; nothing is resolved.
    bool hasValue() const noexcept { return static_cast<bool>(m_value); }

    /// Changes the container key, as UUIDMapEntry::Impl::setKey does for a UUIDMap: refused
    /// for a proxy entry and for a key another valid entry of the containing UUIDToUUIDMap
    /// holds; the entry is filed again under the new key.
    void setKey(boost::uuids::uuid const& key);
    /// Makes `map` the inner map (an empty handle: none). The map held before is released
    /// from the entry's containment but not destroyed. Refused for a proxy entry; a map of
    /// another model reports CannotCreateCrossModelAssociation.
    void setValue(UUIDMap const& map);
    /// Holds `map` as the inner map, without announcement or containment bookkeeping.
    void basicSetValue(UUIDMap const& map) { m_value = map; }

    bool hasPropertyValue(korm::zero::meta::Property const& property,
                          korm::zero::AccessTag tag) const override;
    korm::zero::Value getPropertyValue(korm::zero::meta::Property const& property,
                                       korm::zero::AccessTag tag) const override;
    void setPropertyValue(korm::zero::meta::Property const& property,
                          korm::zero::Value const& value, korm::zero::AccessTag tag) override;
    korm::zero::meta::Property getPropertyByIndex(std::size_t index) const override;

    void doDestroy(bool disassociate, bool toProxies) override;
    void inverseAdd(korm::zero::ModelElement const& element,
                    korm::zero::meta::Property const& property) override;
    void inverseRemove(korm::zero::ModelElement const& element,
                       korm::zero::meta::Property const& property) override;
    void basicDisassociateAll() override;

    std::unique_ptr<korm::zero::ModelElement::Impl::Storage> createStorage() const override;
    void copyValue(korm::zero::ModelElement::Impl::Storage& storage,
                   std::size_t index) const override;
    void copyStateFromStorage(korm::zero::ModelElement::Impl::Storage const& storage) override;

  private:
    /// setValue in the operation's transaction.
    void replaceValue(UUIDMap const& map);

    using Slot = detail::UuidSlot<Impl, Storage>;
    static Slot const UUID_SLOTS[1];

    boost::uuids::uuid m_key{};
    // Mutable: reading the inner map may replace a resolved proxy or drop a stale map.
    mutable UUIDMap m_value;
};

class ARVEX_UTILITIES_EXPORT UUIDToUUIDMapEntry::Impl::Storage
    : public korm::zero::ModelElement::Impl::Storage {
  public:
    using korm::zero::ModelElement::Impl::Storage::Storage;

    void revertUnchanged(korm::zero::ModelElement::Impl const& record) override;
    korm::zero::Value getOldValue(korm::zero::meta::Property const& property,
                                  korm::zero::AccessTag tag) const override;

    boost::uuids::uuid oldKey{};
    UUIDMap oldValue;
};

}  // namespace arvex::utilities
