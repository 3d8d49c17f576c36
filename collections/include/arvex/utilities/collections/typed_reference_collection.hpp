#pragma once

// TypedReferenceCollection and TypedReferenceCollectionWithProxies: the typed layers of the
// element collections, between the framework's ReferenceCollection and the map, multimap,
// sequence and set collections.
//
// The entry handle class T must derive from ModelElement, have a nested record class T::Impl
// (derived from ModelElement::Impl), an explicit constructor T(T::Impl*) that takes a
// reference, and a static T::metaClass() giving its class object.

#include <cstddef>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "arvex/utilities/collections/collection_support.hpp"
#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/proxy.hpp"

namespace korm::zero {

/// Holds the container of entry handles: Container is an ordered map or multimap from keys
/// to T, a std::vector<T> or an unordered set of T. Supplies what does not depend on the
/// container's shape: the collection type, emptiness, the lists of values and the typed access
/// to records, and the framework's defaults of the generic operations.
template <class T, class Container>
class TypedReferenceCollection : public ReferenceCollection {
  public:
    using Entry = T;
    using EntryImpl = typename T::Impl;
    using ContainerType = Container;

    TypedReferenceCollection(ModelElement::Impl* owner, meta::Property property,
                             meta::Property::Impl const* opposite)
        : ReferenceCollection(owner, std::move(property), opposite) {}

    /// The entry class's class object.
    meta::Type getCollectionType() const override { return T::metaClass(); }
    /// True when the container holds no element (proxies kept aside are not counted).
    bool empty() const override { return m_container.empty(); }
    /// Every element of the container in its order.
    std::vector<ModelElement> getAllValues() const override {
        std::vector<ModelElement> values;
        values.reserve(m_container.size());
        for (auto const& node : m_container) {
            values.push_back(handleOf(node));
        }
        return values;
    }

    /// The container, for reading (iteration in the collection's order).
    Container const& getContainer() const noexcept { return m_container; }
    std::size_t size() const noexcept { return m_container.size(); }

    /// The entry handle held by a container node (a map node's mapped handle, else the node).
    static T const& handleOf(typename Container::value_type const& node) noexcept {
        if constexpr (std::is_same_v<std::remove_cv_t<typename Container::value_type>, T>) {
            return node;
        } else {
            return node.second;
        }
    }
    /// The typed record of a handle (null for an empty one).
    static EntryImpl* recordOf(ModelElement const& element) noexcept {
        return static_cast<EntryImpl*>(element.getImpl());
    }
    /// A typed handle of a record known to be of the entry class.
    static T entryOf(ModelElement const& element) { return T(recordOf(element)); }

  protected:
    void bookkeepAdded(ModelElement::Impl* element) { collection_support::added(*this, element); }
    void bookkeepRemoved(ModelElement::Impl* element) {
        collection_support::removed(*this, element);
    }

    Container m_container;
};

/// Adds the proxy table: the proxies held by a keyed or unordered collection, by ProxyId. The
/// table does not exist until the first proxy arrives (a collection that never holds a proxy
/// pays one pointer for it); it is then created with a single bucket.
///
/// The derived collection supplies resolveAdd (filing a resolved element) and its own
/// operations; this layer supplies the proxy operations, identical for maps, multimaps and
/// sets.
template <class T, class Container>
class TypedReferenceCollectionWithProxies : public TypedReferenceCollection<T, Container> {
    using Base = TypedReferenceCollection<T, Container>;

  public:
    using ProxyTable = std::unordered_map<ProxyId, T, ProxyIdHash>;

    using Base::Base;

    /// Keeps `proxy` aside under its ProxyId (a ProxyId already held keeps its first proxy).
    /// A proxy into another model is refused when the property forbids it.
    void addProxy(T const& proxy) {
        ProxyId const* id = proxy.isEmpty() ? nullptr : proxy->getProxyId();
        if (id == nullptr) {
            return;
        }
        collection_support::checkProxyAllowed(*this, proxy.getImpl());
        if (!m_proxies) {
            m_proxies = std::make_unique<ProxyTable>(1);
        } else if (m_proxies->count(*id) != 0) {
            return;
        }
        CollectionChange change(*this);
        m_proxies->try_emplace(*id, proxy);
        change.commit();
    }

    /// Drops the proxy held under `proxy`'s ProxyId, if any.
    void removeProxy(T const& proxy) {
        ProxyId const* id = proxy.isEmpty() ? nullptr : proxy->getProxyId();
        if (!m_proxies || id == nullptr) {
            return;
        }
        auto const it = m_proxies->find(*id);
        if (it == m_proxies->end()) {
            return;
        }
        CollectionChange change(*this);
        m_proxies->erase(it);
        change.commit();
    }

    /// `element` is what a held proxy stands for: file it in the proxy's place, unless the
    /// container refuses it (a map whose key is taken), in which case the proxy stays.
    void replaceProxy(ModelElement const& element, std::size_t /*index*/) override {
        if (!m_proxies || !element) {
            return;
        }
        auto const it = m_proxies->find(element->getPersistentProxyId(true));
        if (it == m_proxies->end()) {
            return;
        }
        if (this->resolveAdd(element)) {
            m_proxies->erase(it);
            this->bookkeepAdded(element.getImpl());
        }
    }

    /// Resolves every proxy whose target lies in the owner's model; proxies into other models
    /// stay.
    void resolveLocal() override { resolveProxies(false); }
    /// Resolves every proxy, opening other models where the framework can.
    void resolveAll() override { resolveProxies(true); }

    /// Whether a held proxy stands for `element`; the first such proxy that can be filed is
    /// replaced by it.
    bool basicContainsProxyTo(ModelElement const& element) override {
        if (!m_proxies || !element || !collection_support::canResolve(*this)) {
            return false;
        }
        for (auto it = m_proxies->begin(); it != m_proxies->end(); ++it) {
            ModelElement const target =
                collection_support::resolve(*this, it->second, T::metaClass(), true);
            if (target == element && this->resolveAdd(element)) {
                m_proxies->erase(it);
                return true;
            }
        }
        return false;
    }

    /// The resolved elements in the container's order, then the proxies (in no order).
    std::vector<ModelElement> getAllValuesAndProxies() const override {
        std::vector<ModelElement> values = this->getAllValues();
        std::vector<ModelElement> proxies = getProxies();
        values.insert(values.end(), std::make_move_iterator(proxies.begin()),
                      std::make_move_iterator(proxies.end()));
        return values;
    }

    std::vector<ModelElement> getProxies() const override {
        std::vector<ModelElement> proxies;
        if (m_proxies) {
            proxies.reserve(m_proxies->size());
            for (auto const& entry : *m_proxies) {
                proxies.push_back(entry.second);
            }
        }
        return proxies;
    }

    /// A proxy goes to the proxy table, anything else to basicAdd.
    void basicAddWithProxy(ModelElement const& element) override {
        if (!element.isEmpty() && element->isProxy()) {
            addProxy(Base::entryOf(element));
        } else {
            this->basicAdd(element);
        }
    }

    /// The proxy table, or null while the collection never held a proxy.
    ProxyTable const* getProxyTable() const noexcept { return m_proxies.get(); }
    std::size_t proxyCount() const noexcept { return m_proxies ? m_proxies->size() : 0; }
    /// Whether that very proxy is held.
    bool holdsProxy(ModelElement const& proxy) const {
        ProxyId const* id = proxy.isEmpty() ? nullptr : proxy->getProxyId();
        if (!m_proxies || id == nullptr) {
            return false;
        }
        auto const it = m_proxies->find(*id);
        return it != m_proxies->end() && it->second == proxy;
    }

  protected:
    /// A copy of `source`'s proxy table (null for none), made before anything changes.
    static std::unique_ptr<ProxyTable> copyProxyTable(
        TypedReferenceCollectionWithProxies const& source) {
        return source.m_proxies ? std::make_unique<ProxyTable>(*source.m_proxies) : nullptr;
    }
    void swapProxyTable(std::unique_ptr<ProxyTable>& table) noexcept { m_proxies.swap(table); }
    /// Empties the table (it stays allocated once created).
    void clearProxyTable() noexcept {
        if (m_proxies) {
            m_proxies->clear();
        }
    }

  private:
    void resolveProxies(bool includeOtherModels) {
        if (!m_proxies || m_proxies->empty() || !collection_support::canResolve(*this)) {
            return;
        }
        for (auto it = m_proxies->begin(); it != m_proxies->end();) {
            if (!includeOtherModels && it->first.isCrossModel()) {
                ++it;
                continue;
            }
            ModelElement const target =
                collection_support::resolve(*this, it->second, T::metaClass(), false);
            if (target && this->resolveAdd(target)) {
                it = m_proxies->erase(it);
            } else {
                ++it;
            }
        }
    }

    std::unique_ptr<ProxyTable> m_proxies;
};

}  // namespace korm::zero
