#pragma once

// Element classes for the collection tests and benchmark, written to the library's element
// pattern: a handle, a record with its properties and overrides, and an old-value record.
//
//   Entry    index 1 "Key" UUID (the key of the keyed collections)
//   Holder   index 1 "Map"   containment map of Entries by Key
//            index 2 "Multi" containment multimap of Entries by Key
//            index 3 "Seq"   containment sequence of Entries, unique
//            index 4 "Set"   set of references to Entries (proxies into other models allowed)
//   Stranger no properties; a class the collections must refuse.

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <memory>

#include "arvex/utilities/collections/element_map.hpp"
#include "arvex/utilities/collections/element_multimap.hpp"
#include "arvex/utilities/collections/element_sequence.hpp"
#include "arvex/utilities/collections/unordered_element_set.hpp"
#include "korm/zero/zero.hpp"

namespace korm::zero::colltest {

/// The class and property objects of the test classes, built once per process.
struct CollectionTestMeta {
    meta::Class entry, holder, stranger;
    meta::Property key, map, multi, seq, set;
    static CollectionTestMeta const& get();
};

class Entry : public ModelElement {
  public:
    class Impl;
    Entry() noexcept = default;
    explicit Entry(Impl* record) noexcept;
    static meta::Class metaClass() { return CollectionTestMeta::get().entry; }
    static Entry create(Model const& model, boost::uuids::uuid const& key = {});
    Impl* operator->() const noexcept;
};

class Entry::Impl : public ModelElement::Impl {
  public:
    class Storage;
    static constexpr std::size_t KEY = 1;
    static constexpr std::size_t BIT_COUNT = 2;

    Impl(Model const& model, boost::uuids::uuid const& id);
    ~Impl() override;

    boost::uuids::uuid const& getKey() const noexcept { return m_key; }
    /// Changes the key through the keyed collection the entry is filed in (its container's Map
    /// or Multi), which files it again under the new key; a key taken by another entry of a
    /// Map reports UniquenessConstraint.
    void setKey(boost::uuids::uuid const& key);
    /// Announces and stores the key, leaving every collection as it is: the key change a keyed
    /// collection runs while it re-files the entry.
    void storeKey(boost::uuids::uuid const& key);

    meta::Class getMetaClass() const override { return Entry::metaClass(); }
    std::unique_ptr<Changes> createChanges() const override;
    std::unique_ptr<ModelElement::Impl::Storage> createStorage() const override;
    void copyValue(ModelElement::Impl::Storage& storage, std::size_t index) const override;
    void copyStateFromStorage(ModelElement::Impl::Storage const& storage) override;

  private:
    friend class Storage;
    friend class Entry;
    boost::uuids::uuid m_key{};
};

class Entry::Impl::Storage : public ModelElement::Impl::Storage {
  public:
    using ModelElement::Impl::Storage::Storage;
    void revertUnchanged(ModelElement::Impl const& record) override;
    boost::uuids::uuid oldKey{};
};

class Holder : public ModelElement {
  public:
    class Impl;
    Holder() noexcept = default;
    explicit Holder(Impl* record) noexcept;
    static meta::Class metaClass() { return CollectionTestMeta::get().holder; }
    static Holder create(Model const& model);
    Impl* operator->() const noexcept;
};

class Holder::Impl : public ModelElement::Impl {
  public:
    class Storage;
    using Map = ElementMap<boost::uuids::uuid, Entry>;
    using Multi = ElementMultimap<boost::uuids::uuid, Entry>;
    using Seq = ElementSequence<Entry>;
    using Set = UnorderedElementSet<Entry>;
    static constexpr std::size_t MAP = 1;
    static constexpr std::size_t MULTI = 2;
    static constexpr std::size_t SEQ = 3;
    static constexpr std::size_t SET = 4;
    static constexpr std::size_t BIT_COUNT = 5;

    Impl(Model const& model, boost::uuids::uuid const& id);
    ~Impl() override;

    Map& map() const noexcept { return static_cast<Map&>(collection(MAP)); }
    Multi& multi() const noexcept { return static_cast<Multi&>(collection(MULTI)); }
    Seq& seq() const noexcept { return static_cast<Seq&>(collection(SEQ)); }
    Set& set() const noexcept { return static_cast<Set&>(collection(SET)); }
    /// The collection of property index 1 to 4.
    ReferenceCollection& collection(std::size_t index) const { return *m_collections[index]; }

    meta::Class getMetaClass() const override { return Holder::metaClass(); }
    /// A collection property's value refers to its collection.
    Value getPropertyValue(meta::Property const& property, AccessTag tag) const override;
    void doDestroy(bool disassociate, bool toProxies) override;
    void inverseAdd(ModelElement const& element, meta::Property const& property) override;
    void inverseRemove(ModelElement const& element, meta::Property const& property) override;
    void basicDisassociateAll() override;
    std::unique_ptr<Changes> createChanges() const override;
    std::unique_ptr<ModelElement::Impl::Storage> createStorage() const override;
    void copyValue(ModelElement::Impl::Storage& storage, std::size_t index) const override;
    void copyStateFromStorage(ModelElement::Impl::Storage const& storage) override;

  private:
    static std::unique_ptr<ReferenceCollection> makeCollection(std::size_t index,
                                                               ModelElement::Impl* owner);
    std::size_t indexOf(meta::Property const& property) const;

    std::unique_ptr<ReferenceCollection> m_collections[BIT_COUNT];
};

/// Old collections: a copy without owner per saved index, or null when it was empty.
class Holder::Impl::Storage : public ModelElement::Impl::Storage {
  public:
    using ModelElement::Impl::Storage::Storage;
    std::unique_ptr<ReferenceCollection> old[BIT_COUNT];
};

class Stranger : public ModelElement {
  public:
    class Impl;
    Stranger() noexcept = default;
    explicit Stranger(Impl* record) noexcept;
    static meta::Class metaClass() { return CollectionTestMeta::get().stranger; }
    static Stranger create(Model const& model);
};

class Stranger::Impl : public ModelElement::Impl {
  public:
    using ModelElement::Impl::Impl;
    meta::Class getMetaClass() const override { return Stranger::metaClass(); }
};

}  // namespace korm::zero::colltest
