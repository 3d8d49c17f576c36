#pragma once

// UnorderedElementSet and WrapperInterface: a collection holding each element at most once,
// in no order, with the proxy table of the keyed collections, and the generic interface that
// forwards to such a set.

#include <cstddef>
#include <functional>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

#include "arvex/utilities/collections/collection_support.hpp"
#include "arvex/utilities/collections/typed_reference_collection.hpp"
#include "korm/zero/collections/reference_collection.hpp"

namespace korm::zero {

/// Hashes an element handle by the identity of its record (as handles compare).
struct ElementHandleHash {
    std::size_t operator()(ModelElement const& element) const noexcept {
        return std::hash<ModelElement::Impl const*>()(element.getImpl());
    }
};

/// The generic collection interface of a set-like collection C: the type check of the entry
/// class, then C's add, remove, clear, contains and size.
template <class C>
class WrapperInterface : public GenericCollectionInterface {
  public:
    explicit WrapperInterface(C& collection) noexcept : m_collection(collection) {}
    std::size_t genericSize() const override { return m_collection.size(); }
    void genericAdd(ModelElement const& element) override {
        if (!element) {
            return;
        }
        collection_support::checkCompatibleType(element.getImpl(), C::Entry::metaClass());
        m_collection.add(C::entryOf(element));
    }
    void genericRemove(ModelElement const& element) override {
        if (!element) {
            return;
        }
        collection_support::checkCompatibleType(element.getImpl(), C::Entry::metaClass());
        m_collection.remove(C::entryOf(element));
    }
    void genericClear() override { m_collection.clear(); }
    void genericBasicClear() override { m_collection.clear(); }
    bool genericContains(ModelElement const& element) const override {
        return element &&
               collection_support::isCompatible(element.getImpl(), C::Entry::metaClass()) &&
               m_collection.contains(C::entryOf(element));
    }
    bool isSequenceInterface() const override { return false; }
    bool isMapInterface() const override { return false; }
    bool isMultimapInterface() const override { return false; }

  private:
    C& m_collection;
};

template <class X>
class UnorderedElementSet
    : public TypedReferenceCollectionWithProxies<X, std::unordered_set<X, ElementHandleHash>> {
    using Base = TypedReferenceCollectionWithProxies<X, std::unordered_set<X, ElementHandleHash>>;

  public:
    UnorderedElementSet(ModelElement::CollectionPrivateTag, ModelElement::Impl* owner,
                        meta::Property property, meta::Property::Impl const* opposite)
        : Base(owner, std::move(property), opposite) {
        this->setGenericInterface(std::make_unique<WrapperInterface<UnorderedElementSet>>(*this));
    }

    // ---- typed operations ---------------------------------------------------------------

    /// Adds `element` with bookkeeping; an empty or invalid handle, or an element held
    /// already, changes nothing; a proxy goes to the proxy table.
    void add(X const& element) {
        if (!element) {
            return;
        }
        this->checkCompatibleModel(element.getImpl());
        if (element->isProxy()) {
            this->addProxy(element);
            return;
        }
        if (this->m_container.count(element) != 0) {
            return;
        }
        CollectionChange change(*this);
        auto const node = this->m_container.insert(element).first;
        try {
            this->bookkeepAdded(element.getImpl());
        } catch (...) {
            this->m_container.erase(node);
            throw;
        }
        change.commit();
    }

    void remove(X const& element) {
        if (!element) {
            return;
        }
        if (element->isProxy()) {
            this->removeProxy(element);
            return;
        }
        auto const it = this->m_container.find(element);
        if (it == this->m_container.end()) {
            return;
        }
        CollectionChange change(*this);
        this->bookkeepRemoved(element.getImpl());
        this->m_container.erase(it);
        change.commit();
    }

    /// Takes every element out with bookkeeping, then empties the proxy table.
    void clear() {
        if (!this->m_container.empty()) {
            CollectionChange change(*this);
            for (auto const& element : this->m_container) {
                this->bookkeepRemoved(element.getImpl());
            }
            this->m_container.clear();
            change.commit();
        }
        this->clearProxyTable();
    }

    bool contains(X const& element) const {
        if (!element) {
            return false;
        }
        return element->isProxy() ? this->holdsProxy(element)
                                  : this->m_container.count(element) != 0;
    }

    // ---- framework operations -----------------------------------------------------------

    void basicAdd(ModelElement const& element) override {
        if (element.isEmpty() || this->m_container.count(Base::entryOf(element)) != 0) {
            return;
        }
        CollectionChange change(*this);
        this->m_container.insert(Base::entryOf(element));
        change.commit();
    }
    bool resolveAdd(ModelElement const& element) override {
        return this->m_container.insert(Base::entryOf(element)).second;
    }
    void basicRemove(ModelElement const& element) override {
        if (element.isEmpty()) {
            return;
        }
        auto const it = this->m_container.find(Base::entryOf(element));
        if (it == this->m_container.end()) {
            return;
        }
        CollectionChange change(*this);
        this->m_container.erase(it);
        change.commit();
    }
    void basicClear() override {
        this->modifying();
        this->m_container.clear();
    }
    void basicCopyValues(ReferenceCollection const& source) override {
        if (&source == this) {
            return;
        }
        auto const& other = static_cast<UnorderedElementSet const&>(source);
        auto copy = other.m_container;
        auto proxies = Base::copyProxyTable(other);
        CollectionChange change(*this);
        this->m_container.swap(copy);
        this->swapProxyTable(proxies);
        change.commit();
    }
};

}  // namespace korm::zero
