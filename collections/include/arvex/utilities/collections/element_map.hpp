#pragma once

// ElementMapBase and ElementMap: a keyed collection holding at most one entry per key, in
// ascending key order, with its generic map interface.
//
// A node holds a copy of the entry's key taken when the entry was filed; the node is not
// updated when the entry's key changes, so an entry changes its key through rekey, which files
// it again around the change.

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "arvex/utilities/collections/collection_support.hpp"
#include "arvex/utilities/collections/keyed_element_collection.hpp"
#include "arvex/utilities/collections/keyed_generic_interface.hpp"
#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero {

/// The map collection over Container (a persistent tree, or any ordered map offering its
/// interface). Keys are compared with the container's order; for UUIDs that is 16 unsigned
/// bytes from byte 0 on, the order of their canonical text.
template <class K, class T, class Container>
class ElementMapBase : public KeyedElementCollection<K, T, Container> {
    using Base = KeyedElementCollection<K, T, Container>;

  public:
    using typename Base::EntryImpl;
    using typename Base::KeyExtractor;

    /// The generic map interface: a look-up by key gives the entry under it (a Value without
    /// data counts as the nil key), or an empty handle.
    class MyGenericInterface final
        : public KeyedGenericInterface<GenericMapInterface, ElementMapBase> {
      public:
        using KeyedGenericInterface<GenericMapInterface, ElementMapBase>::KeyedGenericInterface;
        ModelElement genericGet(Value const& key) const override {
            return this->collection().find(key.getValue<K>());
        }
    };

    ElementMapBase(ModelElement::CollectionPrivateTag, KeyExtractor keyExtractor,
                   ModelElement::Impl* owner, meta::Property property,
                   meta::Property::Impl const* opposite)
        : Base(owner, std::move(property), opposite, std::move(keyExtractor)) {
        this->setGenericInterface(std::make_unique<MyGenericInterface>(*this));
    }

    // ---- typed operations ---------------------------------------------------------------

    /// Files `entry` under its key with bookkeeping. An empty or invalid handle, or an entry
    /// already filed, changes nothing; a proxy goes to the proxy table. When another entry
    /// holds the key, `mode` decides (by default the entry is refused).
    void insert(T const& entry, CollisionResolution mode = CollisionResolution::REPORT) {
        if (!entry) {
            return;
        }
        EntryImpl* const record = Base::recordOf(entry);
        this->checkCompatibleModel(record);
        if (record->isProxy()) {
            this->addProxy(entry);
            return;
        }
        K const key = this->keyOf(record);
        auto const it = this->m_container.lower_bound(key);
        bool const taken = it != this->m_container.end() && !(key < it->first);
        if (!taken) {
            CollectionChange change(*this);
            this->m_container.emplace_hint_then(it, key, entry,
                                                [&] { this->bookkeepAdded(record); });
            change.commit();
            return;
        }
        if (it->second == entry) {
            return;
        }
        switch (mode) {
            case CollisionResolution::REPORT:
                collection_support::reportDuplicateKey(key);
            case CollisionResolution::IGNORE:
                return;
            case CollisionResolution::REPLACE:
                replaceAt(it, entry);
                return;
        }
    }

    /// Puts `entry` into the node at `it` in place of the entry there, which is let go with
    /// the bookkeeping of a removed element (not destroyed). A failed bookkeeping of the new
    /// entry puts the old one back.
    template <class Iterator>
    void replaceAt(Iterator it, T const& entry) {
        CollectionChange change(*this);
        T& slot = this->m_container.write(it);
        T const old = slot;
        this->bookkeepRemoved(old.getImpl());
        slot = entry;
        try {
            this->bookkeepAdded(Base::recordOf(entry));
        } catch (...) {
            slot = old;
            throw;
        }
        change.commit();
    }

    /// Refuses `newKey` when another valid entry holds it (UniquenessConstraint), before
    /// anything changes; else files `entry` again as every keyed collection does.
    void rekey(ModelElement const& entry, K const& newKey,
               typename Base::KeyChange const& changeKey) override {
        T const* const holder = this->m_container.find_value(newKey);
        if (holder != nullptr && *holder && *holder != entry) {
            collection_support::reportDuplicateKey(newKey);
        }
        Base::rekey(entry, newKey, changeKey);
    }

    /// The entry filed under `key`, or an empty handle.
    T find(K const& key) const {
        T const* const entry = this->m_container.find_value(key);
        return entry == nullptr ? T() : *entry;
    }
    /// The record filed under `key`, or null. No reference is taken: for reading while the
    /// map does not change (a look-up that copies no handle).
    EntryImpl* findRecord(K const& key) const {
        T const* const entry = this->m_container.find_value(key);
        return entry == nullptr ? nullptr : Base::recordOf(*entry);
    }
    bool hasKey(K const& key) const { return this->m_container.contains(key); }
    /// Every key once, ascending, each a single UUID value; empty when the UUID type is not
    /// available from the meta registry.
    std::vector<Value> getAllKeys() const {
        std::vector<Value> keys;
        meta::Type const type = collection_support::uuidType();
        if (type.isEmpty()) {
            return keys;
        }
        keys.reserve(this->m_container.size());
        for (auto const& node : this->m_container) {
            keys.push_back(collection_support::makeKeyValue(type, node.first));
        }
        return keys;
    }

    // ---- framework operations -----------------------------------------------------------

    /// Files `element` without bookkeeping; an element whose key is taken is not filed.
    void basicAdd(ModelElement const& element) override {
        if (element.isEmpty()) {
            return;
        }
        K const key = this->keyOf(Base::recordOf(element));
        auto const it = this->m_container.lower_bound(key);
        if (it != this->m_container.end() && !(key < it->first)) {
            return;
        }
        CollectionChange change(*this);
        this->m_container.emplace_hint(it, key, Base::entryOf(element));
        change.commit();
    }

    bool resolveAdd(ModelElement const& element) override {
        K const key = this->keyOf(Base::recordOf(element));
        auto const it = this->m_container.lower_bound(key);
        if (it != this->m_container.end() && !(key < it->first)) {
            return false;
        }
        this->m_container.emplace_hint(it, key, Base::entryOf(element));
        return true;
    }
};

/// The map of entries T by key K, over a persistent tree: copying the collection (what saving
/// its old value for undo does) shares the tree, and a change copies only the nodes it touches.
template <class K, class T>
class ElementMap : public ElementMapBase<K, T, ElementTree<K, T>> {
  public:
    using ElementMapBase<K, T, ElementTree<K, T>>::ElementMapBase;
    ~ElementMap() override = default;
};

}  // namespace korm::zero
