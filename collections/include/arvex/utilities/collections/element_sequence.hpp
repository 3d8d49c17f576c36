#pragma once

// ElementSequence: an ordered collection of elements in a vector, in the order they were
// added, with its generic sequence interface and an optional Bloom filter of member UUIDs.
//
// A sequence has no proxy table: a proxy keeps its slot until it is resolved in place. A
// unique sequence holds each element at most once.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

#include "arvex/utilities/collections/collection_support.hpp"
#include "arvex/utilities/collections/typed_reference_collection.hpp"
#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/collections/saturated_bloom_filter.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/meta_objects.hpp"

namespace korm::zero {

template <class X>
class ElementSequence : public TypedReferenceCollection<X, std::vector<X>> {
    using Base = TypedReferenceCollection<X, std::vector<X>>;

  public:
    /// The generic sequence interface, forwarding to the sequence.
    class GenericSequence : public GenericSequenceInterface {
      public:
        explicit GenericSequence(ElementSequence& sequence) noexcept : m_sequence(sequence) {}
        std::size_t genericSize() const override { return m_sequence.size(); }
        void genericAdd(ModelElement const& element) override {
            if (!element) {
                return;
            }
            collection_support::checkCompatibleType(element.getImpl(), X::metaClass());
            m_sequence.add(Base::entryOf(element));
        }
        void genericRemove(ModelElement const& element) override {
            if (!element) {
                return;
            }
            collection_support::checkCompatibleType(element.getImpl(), X::metaClass());
            m_sequence.remove(Base::entryOf(element));
        }
        void genericClear() override { m_sequence.clear(); }
        void genericBasicClear() override { m_sequence.clear(); }
        bool genericContains(ModelElement const& element) const override {
            return element && collection_support::isCompatible(element.getImpl(), X::metaClass()) &&
                   m_sequence.contains(Base::entryOf(element));
        }
        bool isSequenceInterface() const override { return true; }
        bool isMapInterface() const override { return false; }
        bool isMultimapInterface() const override { return false; }
        ModelElement genericGetAt(std::size_t index) const override {
            return index < m_sequence.size() ? ModelElement(m_sequence.at(index)) : ModelElement();
        }
        void genericSetAt(std::size_t index, ModelElement const& element) override {
            if (index >= m_sequence.size()) {
                reportException(korm0::messages::InvalidValue(
                    "position to set", static_cast<std::int64_t>(index),
                    "the sequence holds " + std::to_string(m_sequence.size()) + " elements"));
            }
            if (element) {
                collection_support::checkCompatibleType(element.getImpl(), X::metaClass());
            }
            m_sequence.set(index, Base::entryOf(element));
        }
        void genericInsertAt(std::size_t index, ModelElement const& element) override {
            if (!element) {
                return;
            }
            collection_support::checkCompatibleType(element.getImpl(), X::metaClass());
            m_sequence.insertAt(index, Base::entryOf(element));
        }
        void genericRemoveAt(std::size_t index) override { m_sequence.removeAt(index); }

      private:
        ElementSequence& m_sequence;
    };

    /// `unique`: each element is held at most once.
    ElementSequence(ModelElement::CollectionPrivateTag, ModelElement::Impl* owner,
                    meta::Property property, meta::Property::Impl const* opposite, bool unique)
        : Base(owner, std::move(property), opposite), m_unique(unique) {
        this->setGenericInterface(std::make_unique<GenericSequence>(*this));
    }

    bool isUnique() const noexcept { return m_unique; }

    /// Gives the sequence a Bloom filter of its members' UUIDs (null removes it); the members
    /// held now are added to it. The sequence owns the filter from now on.
    void setBloomFilter(std::unique_ptr<SaturatedBloomFilter> filter) {
        if (filter) {
            for (auto const& element : this->m_container) {
                if (!element.isEmpty() && !element->isProxy()) {
                    filter->add(element->getUuid());
                }
            }
        }
        m_filter = std::move(filter);
    }
    SaturatedBloomFilter const* getBloomFilter() const noexcept { return m_filter.get(); }

    X const& at(std::size_t index) const { return this->m_container.at(index); }

    // ---- typed operations ---------------------------------------------------------------

    /// Appends `element` with bookkeeping. An empty or invalid handle changes nothing, and so
    /// does an element a unique sequence holds already.
    void add(X const& element) { insertAt(this->m_container.size(), element); }

    /// Inserts `element` before position `index` (at the end from the size on), as add.
    void insertAt(std::size_t index, X const& element) {
        if (!element) {
            return;
        }
        this->checkCompatibleModel(element.getImpl());
        if (m_unique && find(element) != this->m_container.end()) {
            return;
        }
        index = std::min(index, this->m_container.size());
        CollectionChange change(*this);
        auto const slot = this->m_container.insert(
            this->m_container.begin() + static_cast<std::ptrdiff_t>(index), element);
        try {
            if (!element->isProxy()) {
                this->bookkeepAdded(element.getImpl());
            }
        } catch (...) {
            this->m_container.erase(slot);
            throw;
        }
        filterAdd(element);
        change.commit();
    }

    /// Takes out the element at `index` with bookkeeping; nothing past the end.
    void removeAt(std::size_t index) {
        if (index >= this->m_container.size()) {
            return;
        }
        X const element = this->m_container[index];
        CollectionChange change(*this);
        if (!element.isEmpty() && !element->isProxy()) {
            this->bookkeepRemoved(element.getImpl());
        }
        this->m_container.erase(this->m_container.begin() + static_cast<std::ptrdiff_t>(index));
        filterRemove(element);
        change.commit();
    }

    /// Puts `element` at `index` in place of what is there (std::out_of_range past the end).
    /// A proxy at that position is resolved first; the element already there changes nothing.
    void set(std::size_t index, X const& element) {
        if (index >= this->m_container.size()) {
            throw std::out_of_range("sequence position out of range");
        }
        resolveAt(index, true);
        X const old = this->m_container[index];
        if (old == element) {
            return;
        }
        if (!element) {
            reportException(korm0::messages::CannotAddNonExistentObject());
        }
        this->checkCompatibleModel(element.getImpl());
        if (m_unique && find(element) != this->m_container.end()) {
            reportException(korm0::messages::CannotAddSecondObject());
        }
        CollectionChange change(*this);
        if (!old.isEmpty() && !old->isProxy()) {
            this->bookkeepRemoved(old.getImpl());
        }
        this->m_container[index] = element;
        try {
            if (!element->isProxy()) {
                this->bookkeepAdded(element.getImpl());
            }
        } catch (...) {
            this->m_container[index] = old;
            throw;
        }
        filterRemove(old);
        filterAdd(element);
        change.commit();
    }

    /// Takes out the first position holding that very element, with bookkeeping.
    void remove(X const& element) {
        if (element.isEmpty()) {
            return;
        }
        auto const it = find(element);
        if (it != this->m_container.end()) {
            removeAt(static_cast<std::size_t>(it - this->m_container.begin()));
        }
    }

    /// Takes every element out with bookkeeping, in order.
    void clear() {
        if (this->m_container.empty()) {
            return;
        }
        CollectionChange change(*this);
        for (auto const& element : this->m_container) {
            if (!element.isEmpty() && !element->isProxy()) {
                this->bookkeepRemoved(element.getImpl());
            }
        }
        filterRemoveAll();
        this->m_container.clear();
        change.commit();
    }

    /// Whether that very element is held. Empty, invalid and proxy elements are not. When
    /// the other end of the association is single-valued, the element is asked for its owner
    /// through it; else the Bloom filter (if any) may rule the element out before the scan.
    bool contains(X const& element) const {
        if (!element || element->isProxy()) {
            return false;
        }
        if (auto const* opposite = this->getOppositeProperty();
            opposite != nullptr && opposite->getOppositeKind() == meta::OppositeKind::SINGLE) {
            return collection_support::refersTo(element.getImpl(), opposite, this->getOwner());
        }
        if (m_filter && !m_filter->contains(element->getUuid())) {
            return false;
        }
        return find(element) != this->m_container.end();
    }

    /// True when no slot holds a resolved element.
    bool empty() const override {
        return std::none_of(this->m_container.begin(), this->m_container.end(),
                            [](X const& e) { return !e.isEmpty() && !e->isProxy(); });
    }

    /// The resolved elements in order.
    std::vector<ModelElement> getAllValues() const override {
        std::vector<ModelElement> values;
        values.reserve(this->m_container.size());
        for (auto const& element : this->m_container) {
            if (!element.isEmpty() && !element->isProxy()) {
                values.push_back(element);
            }
        }
        return values;
    }
    /// Every slot in order, proxies in their places.
    std::vector<ModelElement> getAllValuesAndProxies() const override {
        return std::vector<ModelElement>(this->m_container.begin(), this->m_container.end());
    }

    // ---- proxies ------------------------------------------------------------------------

    /// `element` is what the proxy at `index` (or, failing that, the first proxy standing for
    /// it) stands for: it takes the proxy's slot, with bookkeeping.
    void replaceProxy(ModelElement const& element, std::size_t index) override {
        if (!element) {
            return;
        }
        ProxyId const id = element->getPersistentProxyId(true);
        auto const standsFor = [&id](X const& slot) {
            return !slot.isEmpty() && slot->getProxyId() != nullptr && *slot->getProxyId() == id;
        };
        if (index >= this->m_container.size() || !standsFor(this->m_container[index])) {
            auto const it =
                std::find_if(this->m_container.begin(), this->m_container.end(), standsFor);
            if (it == this->m_container.end()) {
                return;
            }
            index = static_cast<std::size_t>(it - this->m_container.begin());
        }
        X const resolved = Base::entryOf(element);
        this->m_container[index] = resolved;
        filterAdd(resolved);
        this->bookkeepAdded(element.getImpl());
    }
    void resolveAll() override { resolveSlots(true); }
    void resolveLocal() override { resolveSlots(false); }
    bool basicContainsProxyTo(ModelElement const& element) override {
        if (!element || !collection_support::canResolve(*this)) {
            return false;
        }
        for (auto& slot : this->m_container) {
            if (!slot.isEmpty() && slot->isProxy() &&
                collection_support::resolve(*this, slot, X::metaClass(), true) == element) {
                slot = Base::entryOf(element);
                filterAdd(slot);
                return true;
            }
        }
        return false;
    }
    /// Appends a resolved element without bracket or bookkeeping.
    bool resolveAdd(ModelElement const& element) override {
        if (m_unique && find(Base::entryOf(element)) != this->m_container.end()) {
            return false;
        }
        this->m_container.push_back(Base::entryOf(element));
        filterAdd(this->m_container.back());
        return true;
    }

    // ---- framework operations -----------------------------------------------------------

    void basicAdd(ModelElement const& element) override {
        if (element.isEmpty() ||
            (m_unique && find(Base::entryOf(element)) != this->m_container.end())) {
            return;
        }
        CollectionChange change(*this);
        this->m_container.push_back(Base::entryOf(element));
        filterAdd(this->m_container.back());
        change.commit();
    }
    void basicRemove(ModelElement const& element) override {
        auto const it = find(Base::entryOf(element));
        if (element.isEmpty() || it == this->m_container.end()) {
            return;
        }
        CollectionChange change(*this);
        this->m_container.erase(it);
        filterRemove(Base::entryOf(element));
        change.commit();
    }
    void basicClear() override {
        this->modifying();
        filterRemoveAll();
        this->m_container.clear();
    }
    void basicCopyValues(ReferenceCollection const& source) override {
        if (&source == this) {
            return;
        }
        std::vector<X> copy(static_cast<ElementSequence const&>(source).m_container);
        CollectionChange change(*this);
        filterRemoveAll();
        this->m_container.swap(copy);
        for (auto const& element : this->m_container) {
            filterAdd(element);
        }
        change.commit();
    }

  private:
    typename std::vector<X>::const_iterator find(X const& element) const {
        return std::find(this->m_container.begin(), this->m_container.end(), element);
    }

    /// Resolves the proxy at `index` in place, when it can be resolved.
    void resolveAt(std::size_t index, bool includeOtherModels) {
        X& slot = this->m_container[index];
        if (slot.isEmpty() || !slot->isProxy() || !collection_support::canResolve(*this) ||
            (!includeOtherModels && slot->getProxyId() != nullptr &&
             slot->getProxyId()->isCrossModel())) {
            return;
        }
        ModelElement const target = collection_support::resolve(*this, slot, X::metaClass(), false);
        if (target) {
            slot = Base::entryOf(target);
            filterAdd(slot);
        }
    }
    void resolveSlots(bool includeOtherModels) {
        for (std::size_t i = 0; i < this->m_container.size(); ++i) {
            resolveAt(i, includeOtherModels);
        }
    }

    void filterAdd(X const& element) {
        if (m_filter && !element.isEmpty() && !element->isProxy()) {
            m_filter->add(element->getUuid());
        }
    }
    void filterRemove(X const& element) {
        if (m_filter && !element.isEmpty() && !element->isProxy()) {
            m_filter->remove(element->getUuid());
        }
    }
    void filterRemoveAll() noexcept {
        if (m_filter) {
            m_filter->clear();
        }
    }

    bool m_unique;
    std::unique_ptr<SaturatedBloomFilter> m_filter;
};

}  // namespace korm::zero
