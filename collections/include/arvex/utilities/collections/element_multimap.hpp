#pragma once

// ElementMultimapBase and ElementMultimap: a keyed collection holding any number of entries
// per key, in ascending key order and, within one key, in the order they were filed; with its
// generic multimap interface.
//
// As in the map, a node keeps the key its entry had when it was filed.

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

/// The multimap collection over Container (a PersistentMultimap<K, T>, or any ordered multimap
/// offering its interface). The same element is never
/// held twice under one key; distinct entries with equal keys stand side by side.
template <class K, class T, class Container>
class ElementMultimapBase : public KeyedElementCollection<K, T, Container> {
    using Base = KeyedElementCollection<K, T, Container>;

  public:
    using typename Base::EntryImpl;
    using typename Base::KeyExtractor;

    /// The generic multimap interface: a look-up by key gives every entry under it, in filing
    /// order (a Value without data counts as the nil key).
    class MyGenericInterface final
        : public KeyedGenericInterface<GenericMultimapInterface, ElementMultimapBase> {
      public:
        using KeyedGenericInterface<GenericMultimapInterface,
                                    ElementMultimapBase>::KeyedGenericInterface;
        std::vector<ModelElement> genericGet(Value const& key) const override {
            std::vector<ModelElement> result;
            auto const [first, last] =
                this->collection().getContainer().equal_range(key.getValue<K>());
            for (auto it = first; it != last; ++it) {
                result.push_back(it->second);
            }
            return result;
        }
        std::vector<ModelElement> genericGroupOf(ModelElement const& element) const override {
            auto const& collection = this->collection();
            if (!this->genericContains(element)) {
                return {};
            }
            std::vector<ModelElement> result;
            for (T const& entry :
                 collection.findAll(collection.keyOf(ElementMultimapBase::recordOf(element)))) {
                result.emplace_back(entry);
            }
            return result;
        }
    };

    ElementMultimapBase(ModelElement::CollectionPrivateTag, KeyExtractor keyExtractor,
                        ModelElement::Impl* owner, meta::Property property,
                        meta::Property::Impl const* opposite)
        : Base(owner, std::move(property), opposite, std::move(keyExtractor)) {
        this->setGenericInterface(std::make_unique<MyGenericInterface>(*this));
    }

    // ---- typed operations ---------------------------------------------------------------

    /// Files `entry` after the entries of its key, with bookkeeping. An empty or invalid
    /// handle, or an entry already filed under its key, changes nothing; a proxy goes to the
    /// proxy table.
    void insert(T const& entry) {
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
        auto const [first, last] = this->m_container.equal_range(key);
        if (mayHold(record)) {
            for (auto it = first; it != last; ++it) {
                if (it->second == entry) {
                    return;
                }
            }
        }
        CollectionChange change(*this);
        this->m_container.emplace_hint_then(last, key, entry, [&] { this->bookkeepAdded(record); });
        change.commit();
    }

    /// False when `record` cannot be filed here: an entry of a containment with an owner has
    /// that owner as its container while it is filed, so an entry contained elsewhere (or not
    /// at all) is not. That spares the walk over a large group of equal keys, one node per
    /// entry, that looking for the entry would take.
    bool mayHold(EntryImpl const* record) const {
        ModelElement::Impl const* const owner = this->getOwner();
        return owner == nullptr || !this->isComposite() || record->basicContainer() == owner;
    }

    /// The entries filed under `key`, in filing order.
    std::vector<T> findAll(K const& key) const {
        std::vector<T> result;
        auto const [first, last] = this->m_container.equal_range(key);
        for (auto it = first; it != last; ++it) {
            result.push_back(it->second);
        }
        return result;
    }
    bool hasKey(K const& key) const { return this->m_container.count(key) != 0; }
    std::size_t count(K const& key) const { return this->m_container.count(key); }
    /// Each distinct key once, ascending, each a single UUID value; empty when the UUID type
    /// is not available from the meta registry.
    virtual std::vector<Value> getAllKeys() const {
        std::vector<Value> keys;
        meta::Type const type = collection_support::uuidType();
        if (type.isEmpty()) {
            return keys;
        }
        keys.reserve(this->m_container.size());
        for (auto it = this->m_container.begin(); it != this->m_container.end();
             it = this->m_container.upper_bound(it->first)) {
            keys.push_back(collection_support::makeKeyValue(type, it->first));
        }
        return keys;
    }

    // ---- framework operations -----------------------------------------------------------

    /// Files `element` after the entries of its key, without bookkeeping.
    void basicAdd(ModelElement const& element) override {
        if (element.isEmpty()) {
            return;
        }
        K const key = this->keyOf(Base::recordOf(element));
        CollectionChange change(*this);
        this->m_container.emplace_hint(this->m_container.upper_bound(key), key,
                                       Base::entryOf(element));
        change.commit();
    }

    bool resolveAdd(ModelElement const& element) override {
        K const key = this->keyOf(Base::recordOf(element));
        this->m_container.emplace_hint(this->m_container.upper_bound(key), key,
                                       Base::entryOf(element));
        return true;
    }
};

/// The multimap of entries T by key K, over a persistent tree (as ElementMap).
template <class K, class T>
class ElementMultimap : public ElementMultimapBase<K, T, ElementMultiTree<K, T>> {
  public:
    using ElementMultimapBase<K, T, ElementMultiTree<K, T>>::ElementMultimapBase;
    ~ElementMultimap() override = default;
};

}  // namespace korm::zero
