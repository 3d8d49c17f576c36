#pragma once

// ElementImpl: the reference-counted base of every element record.

#include <atomic>
#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <cstdint>

#include "korm/zero/export.hpp"
#include "korm/zero/fwd.hpp"

namespace korm::zero {

/// The counted part of an element record.
///
/// The count is atomic, so handles may be copied and dropped on any thread; the last release
/// deletes the record. A record's destructor first stores REFCOUNT_DELETING into the count
/// (followed by a full fence): handles that the destructor itself takes and drops on the way
/// (a record holding handles to itself, collections releasing entries that point back) then
/// move the count around a large negative number and can never bring it to zero a second time.
///
/// The validity flag says whether the record is a live element: it is set when the element is
/// announced in its model (or becomes a proxy) and cleared when it is destroyed, when its
/// creation is rolled back or undone, and when its model goes away. Undo and redo can set it
/// again.
class KORM_ZERO_EXPORT ElementImpl {
  public:
    /// Stored in the reference count while the record is being destroyed.
    static constexpr std::int32_t REFCOUNT_DELETING = -0x3fffffff;

    /// Invalidation hook. When set, element classes that own collections call it from their
    /// invalidate() with the record and the collection, before the framework's invalidate()
    /// (for instance so that a cache keyed by collections can forget one). The framework never
    /// sets it; set it before models are in use, not concurrently with them.
    using InvalidationCallback = void (*)(ElementImpl* record, ReferenceCollection* collection);
    static InvalidationCallback m_callback;

    ElementImpl() noexcept;
    ElementImpl(ElementImpl const&) = delete;
    ElementImpl& operator=(ElementImpl const&) = delete;
    virtual ~ElementImpl();

    /// Takes a reference.
    void addRef() const noexcept { m_refCount.fetch_add(1, std::memory_order_relaxed); }
    /// Releases a reference; the last one deletes the record.
    virtual void removeRef() const noexcept;
    std::int32_t getRefCount() const noexcept { return m_refCount.load(std::memory_order_relaxed); }

    /// True while the record is a live element (see the class comment).
    bool isValid() const noexcept { return m_valid; }

    /// A fresh random (version 4) UUID. Each thread has its own fast generator, seeded once
    /// from the operating system's entropy source when the thread first asks; no system call
    /// per UUID.
    static boost::uuids::uuid generateNewUuid();

    /// The number of element records alive in the process, whatever their model: created and
    /// not yet deleted. A diagnostic, for tools and tests that show that nothing keeps records
    /// alive once the last handle is gone (a relaxed atomic count, exact when no other thread
    /// is creating or deleting records).
    static std::size_t liveRecordCount() noexcept;

  protected:
    void setValidFlag(bool valid) noexcept { m_valid = valid; }

    mutable std::atomic<std::int32_t> m_refCount{0};

  private:
    bool m_valid = false;
};

}  // namespace korm::zero
