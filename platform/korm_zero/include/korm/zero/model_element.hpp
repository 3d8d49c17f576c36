#pragma once

// ModelElement: the counted handle of an element, and ModelElement::Impl, the base record of
// every element class with the framework's virtual operations.
//
// An element class X follows one pattern: a handle class X deriving from ModelElement, a
// record X::Impl deriving from ModelElement::Impl that holds the property values and overrides
// the virtual operations below, an old-value record X::Impl::Storage deriving from
// ModelElement::Impl::Storage (changes.hpp), a builder and a query class. Property index 0
// belongs to the framework (the element's containment); a class numbers its own properties
// from 1.

#include <boost/intrusive/unordered_set_hook.hpp>
#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "korm/zero/element_impl.hpp"
#include "korm/zero/export.hpp"
#include "korm/zero/fwd.hpp"
#include "korm/zero/model.hpp"

namespace korm::zero {

/// How a reflective read or write treats proxies and what it may touch.
enum AccessTag : int {
    /// An ordinary access: proxies are resolved where the property resolves them.
    PUBLIC_ACCESS = 0,
    /// Proxies are left as they are.
    NO_PROXY_RESOLVE = 1,
    /// Only what is in memory: proxies are left as they are and nothing is loaded.
    IN_MEMORY_ONLY = 2,
};

/// A counted handle of an element record. Copying takes a reference, dropping releases it; an
/// empty handle takes and releases nothing. Its boolean test is false for an empty handle and
/// for an element that is no longer valid. Handles compare by identity of the record.
///
/// Generated handle classes derive from ModelElement and add a typed access to their record.
class KORM_ZERO_EXPORT ModelElement {
  public:
    class Impl;
    class Builder;
    class Constrainables;

    /// Passed by element records to the constructors of their collections.
    struct CollectionPrivateTag {
        explicit CollectionPrivateTag() = default;
    };

    /// The meta-class of ModelElement, the root of every element class (meta registry).
    static meta::Class metaClass();

    ModelElement() noexcept = default;
    /// Takes a reference to `record` (null gives an empty handle).
    explicit ModelElement(Impl* record) noexcept;
    ModelElement(ModelElement const& other) noexcept;
    ModelElement(ModelElement&& other) noexcept : m_impl(other.m_impl) { other.m_impl = nullptr; }
    ModelElement& operator=(ModelElement const& other) noexcept;
    ModelElement& operator=(ModelElement&& other) noexcept;
    ~ModelElement();

    /// False for an empty handle or an element whose validity flag is clear.
    explicit operator bool() const noexcept;
    bool isEmpty() const noexcept { return m_impl == nullptr; }
    Impl* getImpl() const noexcept { return m_impl; }
    Impl* operator->() const noexcept { return m_impl; }
    /// Drops the reference and empties the handle.
    void reset() noexcept;

    friend bool operator==(ModelElement const& a, ModelElement const& b) noexcept {
        return a.m_impl == b.m_impl;
    }

  protected:
    Impl* m_impl = nullptr;
};

/// The base record of every element.
///
/// Life of a record: constructed (unannounced, invalid; it keeps its model alive), then either
/// announced with notifyCreated() inside a transaction (it becomes a live member of the model,
/// which from then on keeps it alive; the validity flag is set) or made a proxy with
/// announceAsProxy(). A member is changed only inside transactions, each change announced
/// beforehand with notifyModifying(index), and leaves the model through destroy() (or
/// convertToProxy()). Rollback, undo and redo move members in and out of the live set; a
/// member that can never come back (its creation rolled back, or the history that could revive
/// it dropped) is detached: invalid, without model, released by the model.
class KORM_ZERO_EXPORT ModelElement::Impl : public ElementImpl {
  public:
    class Changes;
    class Storage;

    static constexpr AccessTag PUBLIC_ACCESS = korm::zero::PUBLIC_ACCESS;
    static constexpr AccessTag NO_PROXY_RESOLVE = korm::zero::NO_PROXY_RESOLVE;
    static constexpr AccessTag IN_MEMORY_ONLY = korm::zero::IN_MEMORY_ONLY;
    /// "No property index", e.g. for an element without container.
    static constexpr std::size_t NO_INDEX = static_cast<std::size_t>(-1);

    /// A record in `model` with UUID `id`; the nil UUID gets a fresh one (generateNewUuid).
    /// An empty model handle reports CannotCreateWithoutModel.
    Impl(Model const& model, boost::uuids::uuid const& id);
    /// The same, with the builder's model (defined with the builders).
    Impl(ModelElement::Builder& builder, boost::uuids::uuid const& id);

    // ---- identity and state -------------------------------------------------------------

    boost::uuids::uuid const& getUuid() const noexcept { return m_uuid; }
    /// The record's model, or null once detached. No reference is taken.
    Model::Impl* getModelImpl() const noexcept { return m_model; }
    bool isProxy() const noexcept { return m_state == State::PROXY || m_proxyId != nullptr; }
    /// Valid, announced and not a proxy.
    bool isLive() const noexcept { return isValid() && m_state == State::MEMBER && !m_proxyId; }
    /// The proxy's id, or null for an element that is not a proxy.
    ProxyId const* getProxyId() const noexcept { return m_proxyId.get(); }
    /// For a proxy, its id. For any other element, the id a proxy standing for it carries: its
    /// UUID text, the UUID text of its meta-class (empty without one) and, when
    /// `withModelName` is true and the model has a name, the model's name.
    ProxyId getPersistentProxyId(bool withModelName) const;

    // ---- changes ------------------------------------------------------------------------

    /// Refuses work on an element that cannot change: a proxy reports CannotModifyProxy; an
    /// element that is not a live member of its model (destroyed, erased, its creation undone
    /// or rolled back, its model gone) reports CannotModifyRemovedElement. Nothing changes.
    void requireModifiable() const;
    /// The bracket of one change of this element: requireModifiable(), then the model's
    /// joinOrBeginTransaction(). Every change of an element, the framework's and the classes',
    /// opens its transaction here, so that a gone element refuses work in one place.
    Transaction beginChange();

    // ---- announcements ------------------------------------------------------------------

    /// Announces a newly constructed record: it joins its model's UUID index (a UUID held by
    /// another live element reports UniquenessConstraint), is recorded as created by the open
    /// transaction and becomes valid; then didCreate() runs. Requires an open transaction.
    void notifyCreated();
    /// Announces that property `index` is about to change. On the first announcement of each
    /// index in a transaction, the record's old value is saved (createStorage, copyValue) so
    /// that rollback and undo can restore it (copyStateFromStorage). Requires an open
    /// transaction; does nothing for records that are not live members and while the model
    /// restores old values.
    void notifyModifying(std::size_t index);
    /// Makes a newly constructed record a proxy standing for `id`: valid, outside the model's
    /// index and its transactions. See proxy.hpp for creating proxies.
    void announceAsProxy(ProxyId id);

    // ---- containment (index 0) ----------------------------------------------------------

    /// The container, or an empty handle.
    ModelElement container() const;
    ModelElement::Impl* basicContainer() const noexcept { return m_container; }
    /// The container's property that holds this element (empty without container).
    meta::Property containmentFeature() const;
    std::size_t containmentIndex() const noexcept {
        return m_containmentIndex == NO_CONTAINMENT_INDEX ? NO_INDEX : m_containmentIndex;
    }
    /// Sets the container fields (announcing index 0); no collection is touched.
    void basicSetContainer(Impl* container, meta::Property const& property, std::size_t index);
    /// Makes this element the container of `child` under `property`: a child held by another
    /// container is first taken out of that container's collection (`inverseRemove` there).
    /// `child` must belong to this element's model (checkCompatibleModel).
    void _setContainedByThis(Impl* child, meta::Property const& property,
                             std::size_t index = NO_INDEX);
    /// Clears the container of `child` when it is this element.
    void _basicSetUncontained(Impl* child);
    /// Puts this element into `other`'s `property` (other->inverseAdd(this, property)); with
    /// `setContainer`, `other` also becomes this element's container.
    void _inverseAddThis(Impl* other, meta::Property const& property, bool setContainer);
    /// Takes this element out of `other`'s `property` (other->inverseRemove(this, property)).
    void _inverseRemoveThis(Impl* other, meta::Property const& property);
    /// Reports CannotCreateCrossModelAssociation when `element` (not null) belongs to another
    /// model than this element, so that it may not be stored in `property`.
    void checkCompatibleModel(Impl const* element, meta::Property const& property) const;

    // Framework access to the basic (unchecked, unrecorded) operations of a collection.
    // Defined with the collections.
    static void _basicAdd(ReferenceCollection& collection, ModelElement const& element);
    /// _basicAdd for an element that may be a proxy: collections that keep proxies apart put
    /// it with their proxies.
    static void _basicAddWithProxy(ReferenceCollection& collection, ModelElement const& element);
    static void _basicRemove(ReferenceCollection& collection, ModelElement const& element);
    static void _basicClear(ReferenceCollection& collection);
    static void _basicCopyValues(ReferenceCollection& target, ReferenceCollection const& source);

    // ---- destruction --------------------------------------------------------------------

    /// Destroys this element and everything it contains: destroyRecursively(true, true,
    /// false).
    void destroy();
    /// Destroys this element: notifyDestroying(); when `detachFromContainer`, the element
    /// leaves its container's collection and container; then doDestroy(disassociate,
    /// toProxies). Does nothing for an element that is not live. Containers pass false when
    /// they destroy what they contain, since they clear their own collections.
    ///
    /// Runs in a transaction of its own when none is open, else joins the open one without a
    /// level of its own (Model::Impl::joinOrBeginTransaction), so that many destructions in
    /// one transaction save a container's collection once. A failure part way inside an open
    /// transaction is undone by that transaction's rollback.
    void destroyRecursively(bool disassociate, bool detachFromContainer, bool toProxies);

    // ---- virtual operations -------------------------------------------------------------

    ~Impl() override;

    /// The model, or an empty handle once detached.
    virtual Model getModel() const;
    /// The element's class object.
    virtual meta::Class getMetaClass() const = 0;
    void removeRef() const noexcept override;
    /// Clears the validity flag. Called when the element is destroyed, its creation rolled
    /// back or undone, or its model goes away.
    virtual void invalidate();
    /// Reflection. The framework's versions serve properties no class declares: there is no
    /// value (false, an empty Value), and setting one reports UnknownProperty.
    virtual bool hasPropertyValue(meta::Property const& property, AccessTag tag) const;
    virtual Value getPropertyValue(meta::Property const& property, AccessTag tag) const;
    virtual void setPropertyValue(meta::Property const& property, Value const& value,
                                  AccessTag tag);
    /// Invokes an operation by reflection through the invoker the meta registry holds for it.
    virtual Value invoke(meta::Operation const& operation, std::vector<Value> const& arguments);
    /// A text naming the element: its UUID text.
    virtual std::u16string identifier() const;
    /// The last step of destruction. Classes destroy what they own first (with
    /// destroyRecursively(disassociate, false, toProxies)), clear their collections, then call
    /// this version, which, when `disassociate`, drops incoming references
    /// (disassociateIncoming or, with `toProxies`, convertReferencesToProxies), and takes the
    /// element out of the model (recorded, undoable). What the element holds stays with it,
    /// since undo may bring it back; the model calls basicDisassociateAll once the element
    /// can never come back.
    virtual void doDestroy(bool disassociate, bool toProxies);
    /// Containment bookkeeping from the other end of an association: add or remove `element`
    /// in this element's `property`. The framework's versions report UnknownProperty.
    virtual void inverseAdd(ModelElement const& element, meta::Property const& property);
    virtual void inverseRemove(ModelElement const& element, meta::Property const& property);
    /// Whether `property` holds a proxy standing for `element` (replacing it when it does).
    /// The framework's own property never holds proxies: false.
    virtual bool inverseContainsProxyTo(ModelElement const& element,
                                        meta::Property const& property);
    /// Announces the coming destruction: checks that the model may change, runs
    /// aboutToDestroy().
    virtual void notifyDestroying();
    /// Drops references other elements hold to this one. The framework keeps no index of
    /// incoming references, so its version does nothing.
    virtual void disassociateIncoming();
    /// Turns references other elements hold to this one into proxies; as above.
    virtual void convertReferencesToProxies();
    /// Hook run before destruction; does nothing.
    virtual void aboutToDestroy();
    /// Hook run after notifyCreated; does nothing.
    virtual void didCreate();
    /// Drops every reference the element holds, without announcement. The model calls it
    /// when the element can never come back (and when the model goes away). The framework's
    /// version does nothing.
    virtual void basicDisassociateAll();
    /// Turns this live element into a proxy standing for `id`: it leaves its container and
    /// the model's index like a destroyed element (recorded, undoable) but stays valid as a
    /// proxy. Joins an open transaction like destroyRecursively.
    virtual void convertToProxy(ProxyId const& id);
    /// A change record for this element (uuid, model, class, own property count).
    virtual std::unique_ptr<Changes> createChanges() const;
    /// An empty old-value record for this element (uuid, model, class, property count + 1).
    virtual std::unique_ptr<Storage> createStorage() const;
    /// Saves the current value of property `index` into `storage`. The framework's version
    /// saves index 0 (container, containment property and index) with setOldContainer.
    virtual void copyValue(Storage& storage, std::size_t index) const;
    /// Restores every property whose changed bit is set in `storage`, without announcement
    /// or containment bookkeeping. The framework's version restores index 0.
    virtual void copyStateFromStorage(Storage const& storage);
    /// Restores like copyStateFromStorage from a record that is discarded right afterwards,
    /// so it may take the saved values out of `storage` instead of copying them. Rollback,
    /// undo and redo restore through it, and they must not fail part way: a class whose
    /// copyStateFromStorage can throw (one that copies a collection, say) overrides it with a
    /// version that cannot. The framework's version calls copyStateFromStorage.
    virtual void moveStateFromStorage(Storage& storage) noexcept;
    /// The property object of index `index`; the framework's version knows none (index 0 has
    /// no property object) and gives an empty handle.
    virtual meta::Property getPropertyByIndex(std::size_t index) const;

  private:
    friend class Model::Impl;

    enum class State : std::uint8_t {
        UNANNOUNCED,  // constructed; holds a reference to its model
        MEMBER,       // announced; the model holds a reference to it
        PROXY,        // a proxy made with announceAsProxy; registered with its model
        DETACHED,     // no model
    };

    // Field order keeps the record small: the UUID and the state fill the base's tail
    // padding, the two 32-bit fields share a word, and the index hook is one pointer.
    boost::uuids::uuid m_uuid;
    State m_state = State::UNANNOUNCED;
    // Transaction level (see Model::Impl) at which the element was created; changes at that
    // level need no old values, since rolling the level back un-creates the element.
    std::uint32_t m_createdLevel = 0;
    // Position in the container's collection; NO_CONTAINMENT_INDEX for none. Stored in 32
    // bits: a collection never holds four billion elements.
    std::uint32_t m_containmentIndex = NO_CONTAINMENT_INDEX;
    Model::Impl* m_model;
    Impl* m_container = nullptr;
    ModelElement m_containmentFeature;  // the container's property, as a plain handle
    // Old values saved in the open transaction, newest first (a chain through nested levels).
    Storage* m_txStorage = nullptr;
    std::unique_ptr<ProxyId> m_proxyId;
    // Link in the model's UUID index (see Model::Impl).
    boost::intrusive::unordered_set_member_hook<> m_indexHook;

    static constexpr std::uint32_t NO_CONTAINMENT_INDEX = UINT32_MAX;
    static std::uint32_t toStoredIndex(std::size_t index) noexcept {
        return index >= NO_CONTAINMENT_INDEX ? NO_CONTAINMENT_INDEX
                                             : static_cast<std::uint32_t>(index);
    }
};

// The handle's reference counting is inline: handles are copied on every hot path.

inline ModelElement::ModelElement(Impl* record) noexcept : m_impl(record) {
    if (m_impl != nullptr) {
        m_impl->addRef();
    }
}

inline ModelElement::ModelElement(ModelElement const& other) noexcept : m_impl(other.m_impl) {
    if (m_impl != nullptr) {
        m_impl->addRef();
    }
}

inline ModelElement& ModelElement::operator=(ModelElement const& other) noexcept {
    if (other.m_impl != nullptr) {
        other.m_impl->addRef();
    }
    Impl* old = m_impl;
    m_impl = other.m_impl;
    if (old != nullptr) {
        old->removeRef();
    }
    return *this;
}

inline ModelElement& ModelElement::operator=(ModelElement&& other) noexcept {
    if (this != &other) {
        Impl* old = m_impl;
        m_impl = other.m_impl;
        other.m_impl = nullptr;
        if (old != nullptr) {
            old->removeRef();
        }
    }
    return *this;
}

inline ModelElement::~ModelElement() {
    if (m_impl != nullptr) {
        m_impl->removeRef();
    }
}

inline ModelElement::operator bool() const noexcept {
    return m_impl != nullptr && m_impl->isValid();
}

inline void ModelElement::reset() noexcept {
    Impl* old = m_impl;
    m_impl = nullptr;
    if (old != nullptr) {
        old->removeRef();
    }
}

}  // namespace korm::zero

template <>
struct std::hash<korm::zero::ModelElement> {
    std::size_t operator()(korm::zero::ModelElement const& element) const noexcept {
        return std::hash<korm::zero::ModelElement::Impl const*>()(element.getImpl());
    }
};
