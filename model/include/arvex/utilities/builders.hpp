#pragma once

// The builders of the six model classes: X::Builder collects property values and nested
// builders, then creates the element — and what it owns — in one orchestrated step.
//
//   UUIDMap::Builder map(model);
//   auto entry = std::make_unique<UUIDMapEntry::Builder>();
//   entry->setOrAdd(keyProperty, keyValue);
//   std::unique_ptr<korm::zero::ModelElement::Builder> nested = std::move(entry);
//   map.setOrAdd(pairsProperty, nested);                 // taken: "Pairs" given
//   korm::zero::ModelElement made = map.create(boost::uuids::nil_uuid());
//
// What each class takes (any other property goes to the framework builder, which reports
// UnknownProperty):
//
//   UUIDMapEntry        "Key", "Value": UUID values
//   UUIDToUUIDMapEntry  "Key": a UUID value; "Value": a UUIDMap builder
//   the three maps      "Pairs": entry builders (UUIDMapEntry; UUIDToUUIDMapEntry for
//                       UUIDToUUIDMap), created and filed in the order given
//   FullPathAPI         nothing
//
// Only the properties whose given-property bit is set are read. X::BuilderWrapper carries an
// owned builder into createIntoPairs (entries) or createIntoValue (UUIDMap).

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <memory>

#include "arvex/utilities/detail/builder_pattern.hpp"
#include "arvex/utilities/export.hpp"
#include "arvex/utilities/full_path_api.hpp"
#include "arvex/utilities/uuid_map.hpp"
#include "arvex/utilities/uuid_map_entry.hpp"
#include "arvex/utilities/uuid_multi_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map.hpp"
#include "arvex/utilities/uuid_to_uuid_map_entry.hpp"

namespace arvex::utilities {

// ---- UUIDMapEntry ---------------------------------------------------------------------------

class ARVEX_UTILITIES_EXPORT UUIDMapEntry::Impl::BuilderImpl : public detail::BuilderImplBase {
  public:
    using BuilderImplBase::BuilderImplBase;
    using BuilderImplBase::doSetOrAdd;

    void doSetKey(boost::uuids::uuid const& key) noexcept { m_key = key; }
    void doSetValue(boost::uuids::uuid const& value) noexcept { m_value = value; }
    /// The given key, or the nil UUID when "Key" was not given.
    boost::uuids::uuid getKey() const noexcept {
        return isGiven(KEY) ? m_key : boost::uuids::uuid{};
    }
    /// The given value, or the nil UUID when "Value" was not given.
    boost::uuids::uuid getValue() const noexcept {
        return isGiven(VALUE) ? m_value : boost::uuids::uuid{};
    }

    /// "Key" (1) and "Value" (2) from UUID values.
    std::size_t doSetOrAdd(korm::zero::meta::Property const& property,
                           korm::zero::Value const& value);

  private:
    using Slot = detail::UuidBuilderSlot<BuilderImpl>;
    static Slot const SLOTS[2];

    boost::uuids::uuid m_key{};
    boost::uuids::uuid m_value{};
};

class ARVEX_UTILITIES_EXPORT UUIDMapEntry::Builder
    : public UUIDMapEntry::Impl::BuilderBase<UUIDMapEntry::Builder> {
  public:
    Builder();
    explicit Builder(korm::zero::Model const& model);
    ~Builder() override;
};

class UUIDMapEntry::BuilderWrapper : public detail::OwnedBuilder<UUIDMapEntry> {
  public:
    using OwnedBuilder::OwnedBuilder;
};

// ---- UUIDMap, UUIDMultiMap -------------------------------------------------------------------

class ARVEX_UTILITIES_EXPORT UUIDMap::Impl::BuilderImpl
    : public detail::PairsBuilderImpl<UUIDMapEntry, &detail::Meta::uuidMapPairs> {
  public:
    using PairsBuilderImpl::PairsBuilderImpl;
};

class ARVEX_UTILITIES_EXPORT UUIDMap::Builder
    : public UUIDMap::Impl::BuilderBase<UUIDMap::Builder> {
  public:
    Builder();
    explicit Builder(korm::zero::Model const& model);
    ~Builder() override;
};

class UUIDMap::BuilderWrapper : public detail::OwnedBuilder<UUIDMap> {
  public:
    using OwnedBuilder::OwnedBuilder;
};

class ARVEX_UTILITIES_EXPORT UUIDMultiMap::Impl::BuilderImpl
    : public detail::PairsBuilderImpl<UUIDMapEntry, &detail::Meta::uuidMultiMapPairs> {
  public:
    using PairsBuilderImpl::PairsBuilderImpl;
};

class ARVEX_UTILITIES_EXPORT UUIDMultiMap::Builder
    : public UUIDMultiMap::Impl::BuilderBase<UUIDMultiMap::Builder> {
  public:
    Builder();
    explicit Builder(korm::zero::Model const& model);
    ~Builder() override;
};

class UUIDMultiMap::BuilderWrapper : public detail::OwnedBuilder<UUIDMultiMap> {
  public:
    using OwnedBuilder::OwnedBuilder;
};

// ---- UUIDToUUIDMapEntry, UUIDToUUIDMap -------------------------------------------------------

class ARVEX_UTILITIES_EXPORT UUIDToUUIDMapEntry::Impl::BuilderImpl
    : public detail::BuilderImplBase {
  public:
    using BuilderImplBase::BuilderImplBase;

    void doSetKey(boost::uuids::uuid const& key) noexcept { m_key = key; }
    /// Takes the inner map's builder, deleting one held before.
    void doSetValue(std::unique_ptr<korm::zero::ModelElement::Builder> builder) noexcept {
        m_value = std::move(builder);
    }
    /// The given key, or the nil UUID when "Key" was not given.
    boost::uuids::uuid getKey() const noexcept {
        return isGiven(KEY) ? m_key : boost::uuids::uuid{};
    }
    /// The inner map: an empty handle when no map builder is held; else the held builder joins
    /// this builder's creation and makes its map with the nil UUID (once per creation).
    UUIDMap getValue() const;

    /// "Key" (1) from a UUID value; anything else is not mine.
    std::size_t doSetOrAdd(korm::zero::meta::Property const& property,
                           korm::zero::Value const& value);
    /// "Value" (2) from a builder whose class the property admits (UUIDMap); anything else is
    /// not mine and the builder stays with the caller.
    std::size_t doSetOrAdd(korm::zero::meta::Property const& property,
                           std::unique_ptr<korm::zero::ModelElement::Builder>& builder);

  private:
    using Slot = detail::UuidBuilderSlot<BuilderImpl>;
    static Slot const SLOTS[1];

    boost::uuids::uuid m_key{};
    std::unique_ptr<korm::zero::ModelElement::Builder> m_value;
};

class ARVEX_UTILITIES_EXPORT UUIDToUUIDMapEntry::Builder
    : public UUIDToUUIDMapEntry::Impl::BuilderBase<UUIDToUUIDMapEntry::Builder> {
  public:
    Builder();
    explicit Builder(korm::zero::Model const& model);
    ~Builder() override;
};

class UUIDToUUIDMapEntry::BuilderWrapper : public detail::OwnedBuilder<UUIDToUUIDMapEntry> {
  public:
    using OwnedBuilder::OwnedBuilder;
};

class ARVEX_UTILITIES_EXPORT UUIDToUUIDMap::Impl::BuilderImpl
    : public detail::PairsBuilderImpl<UUIDToUUIDMapEntry, &detail::Meta::uuidToUUIDMapPairs> {
  public:
    using PairsBuilderImpl::PairsBuilderImpl;
};

class ARVEX_UTILITIES_EXPORT UUIDToUUIDMap::Builder
    : public UUIDToUUIDMap::Impl::BuilderBase<UUIDToUUIDMap::Builder> {
  public:
    Builder();
    explicit Builder(korm::zero::Model const& model);
    ~Builder() override;
};

class UUIDToUUIDMap::BuilderWrapper : public detail::OwnedBuilder<UUIDToUUIDMap> {
  public:
    using OwnedBuilder::OwnedBuilder;
};

// ---- FullPathAPI -------------------------------------------------------------------------------

class ARVEX_UTILITIES_EXPORT FullPathAPI::Impl::BuilderImpl : public detail::BuilderImplBase {
  public:
    using BuilderImplBase::BuilderImplBase;
};

class ARVEX_UTILITIES_EXPORT FullPathAPI::Builder
    : public FullPathAPI::Impl::BuilderBase<FullPathAPI::Builder> {
  public:
    Builder();
    explicit Builder(korm::zero::Model const& model);
    ~Builder() override;
};

class FullPathAPI::BuilderWrapper : public detail::OwnedBuilder<FullPathAPI> {
  public:
    using OwnedBuilder::OwnedBuilder;
};

}  // namespace arvex::utilities
