#pragma once

// The parts every model class of the library shares.
//
// Each class X is a counted handle (X, built on ElementHandle<X>), a record X::Impl deriving
// from korm::zero::ModelElement::Impl (through RecordBase, or MapRecord for the three maps)
// and an old-value record X::Impl::Storage. What is truly the same in several classes lives
// here once:
//
//   * ElementHandle: the typed record access of a handle and create(model, uuid);
//   * RecordBase: the class object, the change and old-value records sized by the class's
//     property count, the deletion marker of the destructor, the proxy refusal of setters;
//   * UuidSlot and the functions over slot tables: reflection, saving, restoring and
//     comparing of UUID-valued properties ("Key", "Value" of UUIDMapEntry, "Key" of
//     UUIDToUUIDMapEntry);
//   * MapRecord (map_record.hpp): everything about a "Pairs" collection.
//
// What differs stays in the class's own file.

#include <atomic>
#include <boost/uuid/uuid.hpp>
#include <cassert>
#include <concepts>
#include <cstddef>
#include <memory>
#include <type_traits>

#include "arvex/utilities/export.hpp"
#include "korm/zero/changes.hpp"
#include "korm/zero/messages.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/transaction.hpp"
#include "korm/zero/value.hpp"

namespace arvex::utilities::detail {

namespace kz = korm::zero;

// ---- the meta-package's objects -------------------------------------------------------------

/// The class and property objects the classes read, held by the meta-package (built on the
/// first call of any of these). Properties are told apart by identity of these objects. The
/// meta-package builds on the model classes, so they declare here what they read of it and the
/// meta subsystem defines it.
struct ARVEX_UTILITIES_EXPORT Meta {
    static kz::meta::Class const& fullPathAPI();
    static kz::meta::Class const& uuidMap();
    static kz::meta::Class const& uuidMapEntry();
    static kz::meta::Class const& uuidMultiMap();
    static kz::meta::Class const& uuidToUUIDMap();
    static kz::meta::Class const& uuidToUUIDMapEntry();

    static kz::meta::Property const& uuidMapPairs();
    static kz::meta::Property const& uuidMapEntryKey();
    static kz::meta::Property const& uuidMapEntryValue();
    static kz::meta::Property const& uuidMultiMapPairs();
    static kz::meta::Property const& uuidToUUIDMapPairs();
    static kz::meta::Property const& uuidToUUIDMapEntryKey();
    static kz::meta::Property const& uuidToUUIDMapEntryValue();
};

// ---- handles --------------------------------------------------------------------------------

/// The handle side of the pattern for class X: a counted handle whose record is an X::Impl.
/// Copying takes a reference, dropping releases it; the boolean test is false for an empty
/// handle and for an element that is no longer valid (both from ModelElement).
template <class X>
class ElementHandle : public kz::ModelElement {
  public:
    ElementHandle() noexcept = default;
    /// Takes a reference to `record` (null: an empty handle). The record type is checked in
    /// the body rather than in a constraint: X is still incomplete where this base is named.
    template <class R>
    explicit ElementHandle(R* record) noexcept : kz::ModelElement(record) {
        static_assert(std::is_same_v<R, typename X::Impl>, "a handle takes its own record type");
    }

    /// The record, typed (null for an empty handle).
    auto getImpl() const noexcept { return static_cast<typename X::Impl*>(m_impl); }
    auto operator->() const noexcept { return getImpl(); }
    /// The record; the handle must not be empty.
    auto& operator*() const noexcept { return *getImpl(); }

    /// Takes one more reference to the record, beyond the handle's own (nothing for an empty
    /// handle). For code that keeps a record by its plain pointer, a host binding for one.
    void addRef() const noexcept {
        if (m_impl != nullptr) {
            m_impl->addRef();
        }
    }
    /// Releases one reference taken with addRef through the record's virtual removeRef, which
    /// deletes the record at the last release (nothing for an empty handle).
    void removeRef() const noexcept {
        if (m_impl != nullptr) {
            m_impl->removeRef();
        }
    }
};

/// Creates an element of class X in `model`, all properties at their defaults: in a
/// transaction of its own, or joining an open one (Model::Impl::joinOrBeginTransaction), the
/// record is constructed and announced. On failure nothing was announced; the handle is
/// released and a transaction of its own is left uncommitted.
template <class X>
X createElement(kz::Model const& model, boost::uuids::uuid const& id) {
    if (!model) {
        kz::reportException(korm0::messages::CannotCreateWithoutModel());
    }
    kz::Transaction transaction = model->joinOrBeginTransaction();
    X element(new typename X::Impl(model, id));
    element->notifyCreated();
    transaction.commit();
    return element;
}

// ---- transactions ---------------------------------------------------------------------------
//
// One rule: the public operations of the model classes (the maps' operations, the setters,
// createInto) open or join a transaction through asOperation, which asks the framework's one
// rule (Model::Impl::joinOrBeginTransaction); the helpers beneath assume one is open and
// assert it (requireTransaction). Creation (createElement), destruction and the collections'
// own changes are entry points of the framework and open or join the same way.

/// Runs `body` as one public operation of `record`: a proxy or an element that is gone is
/// refused, then `body` runs in a transaction of the record's model that joins an open one or,
/// for a lone call, is the call's own, so that the call is atomic and alone one undo step. An
/// exception leaves the transaction uncommitted: alone, the call rolls back.
template <class Body>
decltype(auto) asOperation(kz::ModelElement::Impl& record, Body&& body) {
    kz::Transaction transaction = record.beginChange();
    if constexpr (std::is_void_v<std::invoke_result_t<Body>>) {
        body();
        transaction.commit();
    } else {
        auto result = body();
        transaction.commit();
        return result;
    }
}

/// What the helpers of operations assume: `record`'s model has a transaction open.
inline void requireTransaction([[maybe_unused]] kz::ModelElement::Impl const& record) noexcept {
    assert(record.getModelImpl() != nullptr && record.getModelImpl()->isInTransaction());
}

// ---- records --------------------------------------------------------------------------------

/// The record side shared by all classes: X is the handle class and OWN_COUNT its number of
/// own properties (indices 1..OWN_COUNT). Each class makes its own old-value record
/// (createStorage with newStorage), whose type is only complete after the record's.
template <class X, std::size_t OWN_COUNT>
class RecordBase : public kz::ModelElement::Impl {
  public:
    /// The handle class of the record.
    using Handle = X;
    /// One changed-property bit per index, index 0 included.
    static constexpr std::size_t BIT_COUNT = OWN_COUNT + 1;

    RecordBase(kz::Model const& model, boost::uuids::uuid const& id)
        : kz::ModelElement::Impl(model, id) {}

    /// A counted handle to this record.
    X This() const {
        return X(const_cast<typename X::Impl*>(static_cast<typename X::Impl const*>(this)));
    }

    kz::meta::Class getMetaClass() const override { return X::metaClass(); }

    std::unique_ptr<Changes> createChanges() const override {
        return std::make_unique<Changes>(getUuid(), getModel(), getMetaClass(), OWN_COUNT);
    }

  protected:
    /// The first step of every record's destructor: no handle taken and dropped while the
    /// record's members go away can bring the count to zero again.
    void markDeleting() noexcept {
        m_refCount.store(REFCOUNT_DELETING);
        std::atomic_thread_fence(std::memory_order_seq_cst);
    }
};

/// An empty old-value record of class S for `record`, with `bitCount` changed-property bits.
template <class S>
std::unique_ptr<kz::ModelElement::Impl::Storage> newStorage(kz::ModelElement::Impl const& record,
                                                            std::size_t bitCount) {
    return std::make_unique<S>(record.getUuid(), record.getModel(), record.getMetaClass(),
                               bitCount);
}

/// Runs `change` (which stores the new value) as one announced change of property `index`:
/// notifyModifying(index), then change, in the operation's transaction.
template <class F>
void changeProperty(kz::ModelElement::Impl& record, std::size_t index, F&& change) {
    requireTransaction(record);
    record.notifyModifying(index);
    change();
}

// ---- UUID-valued properties -----------------------------------------------------------------

/// One UUID-valued property of record class R: its index, its property object, its field in
/// the record and in the record's old-value storage S.
template <class R, class S>
struct UuidSlot {
    std::size_t index;
    kz::meta::Property const& (*property)();
    boost::uuids::uuid R::*field;
    boost::uuids::uuid S::*oldField;
};

/// A single-valued UUID value of `property`'s declared type holding `id`.
ARVEX_UTILITIES_EXPORT kz::Value makeUuidPropertyValue(kz::meta::Property const& property,
                                                       boost::uuids::uuid const& id);

template <class R, class S, std::size_t N>
UuidSlot<R, S> const* slotOf(UuidSlot<R, S> const (&slots)[N], kz::meta::Property const& p) {
    for (auto const& slot : slots) {
        if (p == slot.property()) {
            return &slot;
        }
    }
    return nullptr;
}

template <class R, class S, std::size_t N>
UuidSlot<R, S> const* slotAt(UuidSlot<R, S> const (&slots)[N], std::size_t index) {
    for (auto const& slot : slots) {
        if (index == slot.index) {
            return &slot;
        }
    }
    return nullptr;
}

/// Restores every slot whose changed bit is set in `storage`.
template <class R, class S, std::size_t N>
void restoreUuids(UuidSlot<R, S> const (&slots)[N], R& record, S const& storage) {
    for (auto const& slot : slots) {
        if (storage.isChanged(slot.index)) {
            record.*slot.field = storage.*slot.oldField;
        }
    }
}

/// Clears the changed bit of every slot whose saved value equals the record's current one.
template <class R, class S, std::size_t N>
void revertUnchangedUuids(UuidSlot<R, S> const (&slots)[N], S& storage, R const& record) {
    for (auto const& slot : slots) {
        if (storage.isChanged(slot.index) && storage.*slot.oldField == record.*slot.field) {
            storage.clearChanged(slot.index);
        }
    }
}

/// Gives in `out` the saved value of `property` when it is a slot whose changed bit is set, and
/// answers whether it did.
template <class R, class S, std::size_t N>
bool oldUuidValue(UuidSlot<R, S> const (&slots)[N], S const& storage,
                  kz::meta::Property const& property, kz::Value& out) {
    UuidSlot<R, S> const* const slot = slotOf(slots, property);
    if (slot == nullptr || !storage.isChanged(slot->index)) {
        return false;
    }
    out = makeUuidPropertyValue(property, storage.*slot->oldField);
    return true;
}

}  // namespace arvex::utilities::detail
