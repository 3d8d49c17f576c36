#pragma once

// KeyedGenericInterface: what the generic interfaces of the map and the multimap share. Both
// forward size, adding, removing, clearing, containment, the key type and the key list to
// their collection in the same way; they differ only in the base interface and in what a look-up
// by key gives (one entry or all of them), which each collection's own interface adds.

#include <cstddef>
#include <vector>

#include "arvex/utilities/collections/collection_support.hpp"
#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero {

/// The generic interface of keyed collection Collection, on the framework's interface
/// Interface (GenericMapInterface or GenericMultimapInterface). Elements of another class
/// than the collection's entries are refused (CannotAddIncompatibleTypes) when added or
/// removed, and are never contained.
template <class Interface, class Collection>
class KeyedGenericInterface : public Interface {
  public:
    explicit KeyedGenericInterface(Collection& collection) noexcept : m_collection(collection) {}

    std::size_t genericSize() const override { return m_collection.size(); }
    /// Files `element` with the collection's insert: a map refuses a taken key.
    void genericAdd(ModelElement const& element) override {
        if (!element) {
            return;
        }
        collection_support::checkCompatibleType(element.getImpl(), entryClass());
        m_collection.insert(Collection::entryOf(element));
    }
    void genericRemove(ModelElement const& element) override {
        if (!element) {
            return;
        }
        collection_support::checkCompatibleType(element.getImpl(), entryClass());
        m_collection.remove(Collection::entryOf(element));
    }
    void genericClear() override { m_collection.clear(); }
    void genericBasicClear() override { m_collection.clear(); }
    bool genericContains(ModelElement const& element) const override {
        return element && collection_support::isCompatible(element.getImpl(), entryClass()) &&
               m_collection.contains(Collection::entryOf(element));
    }
    meta::Type getQualifierType() const override {
        return collection_support::qualifierType(m_collection);
    }
    std::vector<Value> genericKeys() const override { return m_collection.getAllKeys(); }

  protected:
    Collection const& collection() const noexcept { return m_collection; }

  private:
    // The collection's type is still incomplete where the collection names this class as the
    // base of its own interface: its members are only looked at inside function bodies.
    static meta::Class entryClass() { return Collection::Entry::metaClass(); }

    Collection& m_collection;
};

}  // namespace korm::zero
