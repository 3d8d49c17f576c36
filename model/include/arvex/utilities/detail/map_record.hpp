#pragma once

// MapRecord: the record side of the three map classes, which differ only in the type of their
// "Pairs" collection and in their hand-written operations.
//
// A map record owns its "Pairs" collection from construction to destruction: keyed by each
// entry's key, the map as owner, no opposite property. Everything the element pattern does
// with "Pairs" is here: reflection, containment bookkeeping, destruction, undo records and
// the accessor that refuses proxy maps and resolves pending proxies.
//
// Old values of "Pairs" are the collection's contents (its tree, shared, and a copy of its proxy
// table), saved only when the map holds resolved entries: nothing saved means that the
// collection was empty.

#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <memory>
#include <optional>

#include "arvex/utilities/detail/element_pattern.hpp"
#include "korm/zero/collections/reference_collection.hpp"

namespace arvex::utilities::detail {

/// The old-value record of a map: the saved "Pairs", or none.
template <class Map>
class PairsStorage : public kz::ModelElement::Impl::Storage {
  public:
    using Pairs = typename Map::Pairs;
    using kz::ModelElement::Impl::Storage::Storage;

    /// Clears the "Pairs" bit when nothing was saved and the map holds no pair, or when the
    /// saved and the current collection each hold exactly one entry with equal keys and the
    /// same element. Larger collections are not compared: the bit stays set.
    void revertUnchanged(kz::ModelElement::Impl const& record) override {
        auto const& map = static_cast<Map const&>(record);
        if (isChanged(Map::PAIRS) && unchanged(map)) {
            clearChanged(Map::PAIRS);
        }
        kz::ModelElement::Impl::Storage::revertUnchanged(record);
    }

    /// The saved "Pairs" as a value referring to a collection without owner that holds them
    /// (an empty one when none were saved), made on demand: only listeners and tests ask.
    kz::Value getOldValue(kz::meta::Property const& property, kz::AccessTag tag) const override {
        if (property == Map::pairsProperty() && isChanged(Map::PAIRS)) {
            if (!m_oldView) {
                m_oldView = Map::makePairs(nullptr);
                if (oldPairs) {
                    m_oldView->basicRestore(*oldPairs);
                }
            }
            return kz::Value::reference(kz::ValueMeta(property), m_oldView.get());
        }
        return kz::ModelElement::Impl::Storage::getOldValue(property, tag);
    }

    /// The saved contents of "Pairs", or none when the map held no resolved entry.
    std::optional<typename Pairs::Contents> oldPairs;

  private:
    // The collection getOldValue hands out, made on demand.
    mutable std::unique_ptr<Pairs> m_oldView;

    bool unchanged(Map const& map) const {
        if (!oldPairs) {
            return !map.hasPairs();
        }
        auto const& before = oldPairs->nodes;
        auto const& now = Map::entriesOf(map.peekPairs());
        return before.size() == 1 && now.size() == 1 &&
               before.begin()->first == now.begin()->first &&
               before.begin()->second == now.begin()->second;
    }
};

/// The record base of a map class: X is the handle class, PairsT the collection type and
/// PAIRS_PROPERTY the accessor of the "Pairs" property object. Derived records add only their
/// operations, no fields.
template <class X, class PairsT, kz::meta::Property const& (*PAIRS_PROPERTY)()>
class MapRecord : public RecordBase<X, 1> {
    using Base = RecordBase<X, 1>;

  public:
    using Pairs = PairsT;
    using Storage = PairsStorage<MapRecord>;
    static constexpr std::size_t PAIRS = 1;

    static kz::meta::Property const& pairsProperty() { return PAIRS_PROPERTY(); }

    /// A new, empty "Pairs" collection with `owner` (null: one for old values).
    static std::unique_ptr<Pairs> makePairs(kz::ModelElement::Impl* owner) {
        return std::make_unique<Pairs>(kz::ModelElement::CollectionPrivateTag(),
                                       &Pairs::Entry::Impl::getKey, owner, pairsProperty(),
                                       nullptr);
    }

    /// The nodes of a collection (key and entry handle), in key order.
    static auto const& entriesOf(Pairs const& pairs) { return pairs.getContainer(); }

    MapRecord(kz::Model const& model, boost::uuids::uuid const& id)
        : Base(model, id), m_pairs(makePairs(this)) {}

    ~MapRecord() override { this->markDeleting(); }

    // ---- access to the pairs ------------------------------------------------------------

    /// The collection for the map's look-ups: refuses a proxy map (CannotModifyProxy) and,
    /// unless the framework is resolving proxies already, resolves pending proxies first. A map
    /// that is gone (destroyed, its creation undone or rolled back, its model closed) answers
    /// as an empty map: what it owned went with it.
    ///
    /// The common case, a live collection that holds no proxy, costs three inline tests: the
    /// proxy table is looked at before the thread's resolution counter and the resolving
    /// call, which would find nothing to do.
    Pairs const& getPairs() const {
        if (!this->isLive()) {
            if (this->isProxy()) {
                this->requireModifiable();  // refuses the proxy
            }
            return noPairs();
        }
        resolvePending();
        return *m_pairs;
    }
    /// The collection for the map's changes: a proxy map or a map that is gone is refused
    /// (requireModifiable) before anything changes; pending proxies are resolved as above.
    Pairs& getPairsMutable() {
        this->requireModifiable();
        resolvePending();
        return *m_pairs;
    }

    /// The collection as it is: no check, nothing resolved.
    Pairs const& peekPairs() const noexcept { return *m_pairs; }

    /// True when the collection holds at least one resolved entry.
    bool hasPairs() const { return m_pairs && !m_pairs->empty(); }

    // ---- reflection ---------------------------------------------------------------------

    bool hasPropertyValue(kz::meta::Property const& property, kz::AccessTag tag) const override {
        return property == pairsProperty() ? this->isValid() && hasPairs()
                                           : Base::hasPropertyValue(property, tag);
    }

    /// "Pairs" as a value referring to the collection itself; proxies are resolved first
    /// unless the tag says to leave them.
    kz::Value getPropertyValue(kz::meta::Property const& property,
                               kz::AccessTag tag) const override {
        if (property != pairsProperty()) {
            return Base::getPropertyValue(property, tag);
        }
        if (!this->isValid()) {
            // Gone: no pairs (see getPairs).
            return kz::Value::reference(kz::ValueMeta(property), const_cast<Pairs*>(&noPairs()));
        }
        if (tag != kz::NO_PROXY_RESOLVE && tag != kz::IN_MEMORY_ONLY) {
            m_pairs->resolveAll();
        }
        return kz::Value::reference(kz::ValueMeta(property), m_pairs.get());
    }

    kz::meta::Property getPropertyByIndex(std::size_t index) const override {
        return index == PAIRS ? pairsProperty() : Base::getPropertyByIndex(index);
    }

    // ---- containment bookkeeping and destruction ----------------------------------------

    void inverseAdd(kz::ModelElement const& element, kz::meta::Property const& property) override {
        if (property != pairsProperty()) {
            Base::inverseAdd(element, property);
            return;
        }
        this->notifyModifying(PAIRS);
        kz::ModelElement::Impl::_basicAdd(*m_pairs, element);
    }

    /// Takes `element` out of "Pairs" without an announcement of its own: the collection's
    /// bracket announces the change.
    void inverseRemove(kz::ModelElement const& element,
                       kz::meta::Property const& property) override {
        if (property != pairsProperty()) {
            Base::inverseRemove(element, property);
            return;
        }
        kz::ModelElement::Impl::_basicRemove(*m_pairs, element);
    }

    /// Destroys every resolved entry (in key order), then empties the collection; proxies are
    /// dropped from the nodes but not destroyed (the proxy table is the collection's).
    void doDestroy(bool disassociate, bool toProxies) override {
        auto const snapshot = m_pairs->getAllValuesAndProxies();
        for (auto const& entry : snapshot) {
            if (!entry->isProxy()) {
                entry->destroyRecursively(disassociate, false, toProxies);
            }
        }
        kz::ModelElement::Impl::_basicClear(*m_pairs);
        Base::doDestroy(disassociate, toProxies);
    }

    void basicDisassociateAll() override {
        if (m_pairs) {
            kz::ModelElement::Impl::_basicClear(*m_pairs);
        }
    }

    void invalidate() override {
        if (kz::ElementImpl::m_callback != nullptr) {
            kz::ElementImpl::m_callback(this, m_pairs.get());
        }
        Base::invalidate();
    }

    // ---- undo records -------------------------------------------------------------------

    std::unique_ptr<kz::ModelElement::Impl::Storage> createStorage() const override {
        return newStorage<Storage>(*this, Base::BIT_COUNT);
    }

    /// Saves the contents of "Pairs" (proxies included) when the map holds resolved entries:
    /// the tree is shared, not copied, so this costs the same at any size.
    void copyValue(kz::ModelElement::Impl::Storage& storage, std::size_t index) const override {
        if (index != PAIRS) {
            Base::copyValue(storage, index);
            return;
        }
        if (!hasPairs()) {
            return;
        }
        static_cast<Storage&>(storage).oldPairs = m_pairs->saveContents();
    }

    /// Restores "Pairs" from the saved contents; without them the map held no resolved entry, so
    /// its nodes are dropped (a proxy table, which the copy would not have described either,
    /// is kept).
    void copyStateFromStorage(kz::ModelElement::Impl::Storage const& storage) override {
        kz::Model const keepModel = this->getModel();
        auto const& own = static_cast<Storage const&>(storage);
        if (own.isChanged(PAIRS)) {
            if (own.oldPairs) {
                m_pairs->basicRestore(*own.oldPairs);
            } else {
                kz::ModelElement::Impl::_basicClear(*m_pairs);
            }
        }
        Base::copyStateFromStorage(storage);
    }

    /// Restores "Pairs" by taking the saved nodes, which cannot fail: the record is
    /// discarded afterwards.
    void moveStateFromStorage(kz::ModelElement::Impl::Storage& storage) noexcept override {
        kz::Model const keepModel = this->getModel();
        auto& own = static_cast<Storage&>(storage);
        if (own.isChanged(PAIRS)) {
            if (own.oldPairs) {
                m_pairs->basicSwapContents(*own.oldPairs);
            } else {
                kz::ModelElement::Impl::_basicClear(*m_pairs);
            }
        }
        // The framework's restore of the containment, not this class's copying one.
        Base::copyStateFromStorage(storage);
    }

  private:
    std::unique_ptr<Pairs> m_pairs;

    void resolvePending() const {
        if (m_pairs->proxyCount() != 0 && kz::Model::Impl::getProxyResolutionCounter() <= 0) {
            m_pairs->resolveAll();
        }
    }

    /// The empty collection a map that is gone answers with; one per map class, made on first
    /// use and kept for the process (it holds a meta-object handle, which must not be released
    /// after the meta-package during exit).
    static Pairs const& noPairs() {
        static Pairs const* const empty = makePairs(nullptr).release();
        return *empty;
    }
};

}  // namespace arvex::utilities::detail
