#pragma once

// KeyedElementCollection: what the map and the multimap share. Both file entries in an ordered
// container by the key their entry had when it was filed, find a given entry within its key's
// range, and remove, clear and copy in the same way; they differ only in how an entry is filed
// (one per key or side by side) and in their generic interfaces.

#include <functional>
#include <utility>

#include "arvex/utilities/collections/collection_support.hpp"
#include "arvex/utilities/collections/typed_reference_collection.hpp"
#include "korm/zero/collections/reference_collection.hpp"

namespace korm::zero {

template <class K, class T, class Container>
class KeyedElementCollection : public TypedReferenceCollectionWithProxies<T, Container> {
    using Base = TypedReferenceCollectionWithProxies<T, Container>;

  public:
    using Key = K;
    using EntryImpl = typename T::Impl;
    /// Gives an entry's key; built from the entry class's getKey member function.
    using KeyExtractor = std::function<K(EntryImpl*)>;

    KeyExtractor const& getKeyExtractor() const noexcept { return m_keyExtractor; }

    /// Takes `entry` out with bookkeeping (a proxy out of the proxy table). An entry that is
    /// not held changes nothing; the entry itself is not destroyed.
    void remove(T const& entry) {
        if (!entry) {
            return;
        }
        if (entry->isProxy()) {
            this->removeProxy(entry);
            return;
        }
        auto const it = findNode(entry);
        if (it == this->m_container.end()) {
            return;
        }
        CollectionChange change(*this);
        this->bookkeepRemoved(entry.getImpl());
        this->m_container.erase(it);
        change.commit();
    }

    /// Takes every entry out with bookkeeping, in order, then empties the proxy table.
    void clear() {
        if (!this->m_container.empty()) {
            CollectionChange change(*this);
            for (auto const& node : this->m_container) {
                this->bookkeepRemoved(node.second.getImpl());
            }
            this->m_container.clear();
            change.commit();
        }
        this->clearProxyTable();
    }

    /// Whether that very entry (or proxy) is held.
    bool contains(T const& entry) const {
        if (!entry) {
            return false;
        }
        if (entry->isProxy()) {
            return this->holdsProxy(entry);
        }
        return findNode(entry) != this->m_container.end();
    }

    // ---- framework operations -----------------------------------------------------------

    /// Takes `element` out without bookkeeping.
    void basicRemove(ModelElement const& element) override {
        if (element.isEmpty()) {
            return;
        }
        auto const it = findNode(Base::entryOf(element));
        if (it == this->m_container.end()) {
            return;
        }
        CollectionChange change(*this);
        this->m_container.erase(it);
        change.commit();
    }

    /// Drops every node without bracket or bookkeeping; the proxy table stays.
    void basicClear() override {
        this->modifying();
        this->m_container.clear();
    }

    /// Becomes a copy of `source` (a collection of the same type), proxy table included. The
    /// copies are made first, so a failure changes nothing.
    void basicCopyValues(ReferenceCollection const& source) override {
        if (&source == this) {
            return;
        }
        auto const& other = static_cast<KeyedElementCollection const&>(source);
        Container copy(other.m_container);
        auto proxies = Base::copyProxyTable(other);
        CollectionChange change(*this);
        this->m_container.swap(copy);
        this->swapProxyTable(proxies);
        change.commit();
    }

  protected:
    KeyedElementCollection(ModelElement::Impl* owner, meta::Property property,
                           meta::Property::Impl const* opposite, KeyExtractor keyExtractor)
        : Base(owner, std::move(property), opposite), m_keyExtractor(std::move(keyExtractor)) {}

    /// The key of an entry now (an empty extractor throws std::bad_function_call).
    K keyOf(EntryImpl* record) const { return m_keyExtractor(record); }

    /// The node holding that very entry, within the range of the entry's current key. One
    /// descent of the tree (lower_bound), then a walk over the equal keys: a map has at most
    /// one, so this costs what a find costs.
    typename Container::const_iterator findNode(T const& entry) const {
        K const key = keyOf(Base::recordOf(entry));
        auto const end = this->m_container.end();
        for (auto it = this->m_container.lower_bound(key); it != end && !(key < it->first); ++it) {
            if (it->second == entry) {
                return it;
            }
        }
        return end;
    }

  private:
    KeyExtractor m_keyExtractor;
};

}  // namespace korm::zero
