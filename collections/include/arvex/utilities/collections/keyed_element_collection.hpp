#pragma once

// KeyedCollectionInterface and KeyedElementCollection: what the map and the multimap share.
// Both file entries in an ordered container by the key their entry had when it was filed, find
// a given entry within its key's range, re-file it when its key changes, and remove, clear and
// copy in the same way; they differ only in how an entry is filed (one per key or side by side)
// and in their generic interfaces.

#include <cstddef>
#include <functional>
#include <memory>
#include <utility>

#include "arvex/utilities/collections/collection_support.hpp"
#include "arvex/utilities/collections/persistent_btree.hpp"
#include "arvex/utilities/collections/typed_reference_collection.hpp"
#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/transaction.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero {

/// The containers of the map and multimap collections: persistent trees of (key copy, entry
/// handle) whose nodes hold about ElementTreeNodeBytes each: leaves of 10 pairs, inner nodes of
/// 16 children. Smaller nodes than a plain B-tree would take, because a lone change copies a
/// whole path (each copied pair takes a reference to its entry, an atomic increment on a cold
/// record) and its undo step keeps the old path. Measured on UUIDMaps of 10^3 to 10^6 pairs
/// against 512- and 1024-byte nodes: a lone insert or erase costs 10 to 40% less, the undo step
/// of a lone insert keeps 2.9 KB at 10^6 pairs (3.2 and 4.7 KB), look-ups are as fast, and a
/// pair takes about 7 bytes more than with 512-byte nodes.
inline constexpr std::size_t ElementTreeNodeBytes = 256;
template <class K, class T, bool Multi>
using ElementTreeOf = arvex::utilities::collections::detail::PersistentBTree<
    K, T, std::less<K>, Multi,
    arvex::utilities::collections::detail::defaultLeafSlots<std::pair<K, T>,
                                                            ElementTreeNodeBytes>(),
    arvex::utilities::collections::detail::defaultInnerSlots<K, ElementTreeNodeBytes>()>;
template <class K, class T>
using ElementTree = ElementTreeOf<K, T, false>;
template <class K, class T>
using ElementMultiTree = ElementTreeOf<K, T, true>;

/// A keyed collection as its entries see it. A node keeps the key its entry had when it was
/// filed, so an entry whose key indexes the collection it is filed in changes its key through
/// that collection, which takes it out and files it again around the change. The entry finds
/// the collection from its containment alone (holding), without knowing its container's class.
template <class K>
class KeyedCollectionInterface {
  public:
    /// Announces and stores an entry's new key (the entry's notifyModifying of the key, then
    /// the field), so that rollback and undo restore the old key.
    using KeyChange = std::function<void()>;

    KeyedCollectionInterface() = default;
    KeyedCollectionInterface(KeyedCollectionInterface const&) = delete;
    KeyedCollectionInterface& operator=(KeyedCollectionInterface const&) = delete;
    virtual ~KeyedCollectionInterface() = default;

    /// Files `entry` again under `newKey`: the entry leaves its node, `changeKey` runs, and the
    /// entry is filed under the key it has then. A map refuses a key that another valid entry
    /// holds (UniquenessConstraint) before anything changes; a multimap files the entry after
    /// the entries of its new key. A collection that does not hold `entry` only runs
    /// `changeKey`. One change of the entry, which joins an open transaction.
    virtual void rekey(ModelElement const& entry, K const& newKey, KeyChange const& changeKey) = 0;

    /// The keyed collection `entry` is filed in: the collection of its container's keyed
    /// property that contains it, when that collection is one of these; else null.
    static KeyedCollectionInterface* holding(ModelElement::Impl const& entry) {
        ModelElement::Impl* const container = entry.basicContainer();
        if (container == nullptr) {
            return nullptr;
        }
        meta::Property const property = entry.containmentFeature();
        if (property.isEmpty() || !property.getPropertyImpl()->isKeyed()) {
            return nullptr;
        }
        // The value of a many-valued property refers to its collection itself, a
        // ReferenceCollection.
        Value const value = container->getPropertyValue(property, NO_PROXY_RESOLVE);
        return dynamic_cast<KeyedCollectionInterface*>(
            static_cast<ReferenceCollection*>(value.getPayload()));
    }

    /// Gives `entry` the key `newKey` in one change of the entry (ModelElement::Impl::
    /// beginChange: a proxy or a gone entry is refused, an open transaction is joined): through
    /// the keyed collection that holds it (rekey), or by `changeKey` alone when none does.
    static void changeKey(ModelElement::Impl& entry, K const& newKey, KeyChange const& changeKey) {
        Transaction transaction = entry.beginChange();
        if (KeyedCollectionInterface* const collection = holding(entry)) {
            collection->rekey(ModelElement(&entry), newKey, changeKey);
        } else {
            changeKey();
        }
        transaction.commit();
    }
};

/// The base of the map and the multimap. The typed collection is the first base, so that the
/// collection object starts with its ReferenceCollection: a property value that refers to the
/// collection (holding) is read as a pointer to that.
template <class K, class T, class Container>
class KeyedElementCollection : public TypedReferenceCollectionWithProxies<T, Container>,
                               public KeyedCollectionInterface<K> {
    using Base = TypedReferenceCollectionWithProxies<T, Container>;

  public:
    using Key = K;
    using EntryImpl = typename T::Impl;
    using const_iterator = typename Container::const_iterator;
    using typename KeyedCollectionInterface<K>::KeyChange;
    /// Gives an entry's key; built from the entry class's getKey member function.
    using KeyExtractor = std::function<K(EntryImpl*)>;

    KeyExtractor const& getKeyExtractor() const noexcept { return m_keyExtractor; }

    /// While alive, lets the removal of the entry held at `node` erase that node without a
    /// second descent of the tree: an owner that has just found the entry (to destroy it, which
    /// takes it out through basicRemove) passes the node it found. A removal of any other
    /// entry, or any clearing or copying meanwhile, makes the collection forget the node.
    class RemovalHint {
      public:
        RemovalHint(KeyedElementCollection& collection, const_iterator node) noexcept
            : m_collection(collection) {
            m_collection.m_hint = node;
            m_collection.m_hinted = true;
        }
        RemovalHint(RemovalHint const&) = delete;
        RemovalHint& operator=(RemovalHint const&) = delete;
        ~RemovalHint() { m_collection.m_hinted = false; }

      private:
        KeyedElementCollection& m_collection;
    };

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
        eraseNode(it);
        change.commit();
    }

    /// Takes every entry out with bookkeeping, in order, then empties the proxy table.
    void clear() {
        if (!this->m_container.empty()) {
            CollectionChange change(*this);
            for (auto const& node : this->m_container) {
                this->bookkeepRemoved(node.second.getImpl());
            }
            m_hinted = false;
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

    /// Files `element` again under the key `changeKey` gives it (see
    /// KeyedCollectionInterface::rekey; `newKey` is for the map's check). The entry leaves its
    /// node, its key changes, and it is filed as basicAdd files it, all in one change of the
    /// entry (ModelElement::Impl::beginChange: a proxy or a gone entry is refused, an open
    /// transaction is joined). Should filing fail (memory), the entry is out of the collection
    /// until the enclosing transaction, which the exception leaves uncommitted, is rolled
    /// back; a lone call rolls back its own. An element of another class is refused
    /// (CannotAddIncompatibleTypes).
    void rekey(ModelElement const& element, K const& /*newKey*/,
               KeyChange const& changeKey) override {
        if (element.isEmpty()) {
            return;
        }
        collection_support::checkCompatibleType(element.getImpl(), T::metaClass());
        Transaction transaction = element->beginChange();
        auto const it = findNode(Base::entryOf(element));
        if (it != this->m_container.end()) {
            CollectionChange change(*this);
            eraseNode(it);
            changeKey();
            this->basicAdd(element);
            change.commit();
        } else {
            changeKey();
        }
        transaction.commit();
    }

    // ---- framework operations -----------------------------------------------------------

    /// Takes `element` out without bookkeeping.
    void basicRemove(ModelElement const& element) override {
        if (element.isEmpty()) {
            return;
        }
        auto const it = m_hinted && m_hint->second.getImpl() == Base::recordOf(element)
                            ? m_hint
                            : findNode(Base::entryOf(element));
        if (it == this->m_container.end()) {
            return;
        }
        CollectionChange change(*this);
        eraseNode(it);
        change.commit();
    }

    /// Drops every node without bracket or bookkeeping; the proxy table stays.
    void basicClear() override {
        this->modifying();
        m_hinted = false;
        this->m_container.clear();
    }

    /// Becomes a copy of `source` (a collection of the same type), proxy table included. The
    /// copies are made first, so a failure changes nothing.
    void basicCopyValues(ReferenceCollection const& source) override {
        if (&source == this) {
            return;
        }
        auto const& other = static_cast<KeyedElementCollection const&>(source);
        install(Container(other.m_container), Base::copyProxyTable(other));
    }

    // ---- contents as a value, for old-value records -------------------------------------

    /// What the collection holds: its nodes (a tree that shares the collection's, so saving
    /// costs O(1) whatever the size) and a copy of its proxy table (null for none).
    struct Contents {
        Container nodes;
        std::unique_ptr<typename Base::ProxyTable> proxies;
    };

    /// The collection's contents now; later changes of the collection leave them as they are.
    Contents saveContents() const { return {this->m_container, Base::copyProxyTable(*this)}; }

    /// Becomes `contents` as basicCopyValues becomes a copy of a collection: copies first, then
    /// the change in its bracket, without bookkeeping.
    void basicRestore(Contents const& contents) {
        install(Container(contents.nodes),
                contents.proxies ? std::make_unique<typename Base::ProxyTable>(*contents.proxies)
                                 : nullptr);
    }

    /// Exchanges its contents with `contents`, without bracket, announcement or bookkeeping,
    /// and without allocating: restoring old values takes saved contents this way, where a copy
    /// could fail.
    void basicSwapContents(Contents& contents) noexcept {
        m_hinted = false;
        this->m_container.swap(contents.nodes);
        this->swapProxyTable(contents.proxies);
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
    /// Takes `nodes` and `proxies` (made by the caller, so nothing fails from here on) in the
    /// change's bracket.
    void install(Container&& nodes, std::unique_ptr<typename Base::ProxyTable> proxies) {
        CollectionChange change(*this);
        m_hinted = false;
        this->m_container.swap(nodes);
        this->swapProxyTable(proxies);
        change.commit();
    }

    /// Erases a node that is held, forgetting the removal hint (which may be that node).
    void eraseNode(const_iterator node) {
        m_hinted = false;
        this->m_container.erase(node);
    }

    KeyExtractor m_keyExtractor;
    // The node a RemovalHint names, valid while m_hinted is set. The nodes that derived
    // classes erase are ones they have just inserted, never a hinted one.
    const_iterator m_hint{};
    bool m_hinted = false;
};

}  // namespace korm::zero
