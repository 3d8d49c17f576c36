#pragma once

// Change records and old-value records of elements.

#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero {

/// A change record: which properties of one element changed, as a set of changed-property
/// bits indexed by property index (0 is the framework's containment). Listeners receive these
/// (createChanges); old-value records extend them. The bit set grows as needed, so the size
/// given at construction is a hint.
class KORM_ZERO_EXPORT ModelElement::Impl::Changes {
  public:
    Changes(boost::uuids::uuid const& id, Model const& model, meta::Class const& metaClass,
            std::size_t bitCount);
    Changes(Changes const&) = delete;
    Changes& operator=(Changes const&) = delete;
    virtual ~Changes();

    boost::uuids::uuid const& getUuid() const noexcept { return m_uuid; }
    /// The element's model, or an empty handle when it is gone.
    Model getModel() const;
    meta::Class const& getMetaClass() const noexcept { return m_metaClass; }

    bool isChanged(std::size_t index) const noexcept;
    void setChanged(std::size_t index);
    void clearChanged(std::size_t index) noexcept;
    bool anyChanged() const noexcept;
    /// The lowest index at or after `from` whose bit is set, or NO_INDEX.
    std::size_t nextChanged(std::size_t from) const noexcept;
    /// One more than the highest index that can be set without growing.
    std::size_t getBitCount() const noexcept { return m_bitCount; }
    /// Sets every bit set in `other`.
    void setChangedFrom(Changes const& other);
    /// Clears every bit set in `other`.
    void clearChangedFrom(Changes const& other) noexcept;

  private:
    friend class Model::Impl;

    boost::uuids::uuid m_uuid;
    Model::Impl* m_model;  // no reference: records live in the model's own history
    meta::Class m_metaClass;
    std::size_t m_bitCount;
    std::uint64_t m_bits = 0;                     // indices 0..63
    std::unique_ptr<std::uint64_t[]> m_moreBits;  // indices from 64 on
};

/// An old-value record: the values of one element's properties as they were before a change,
/// one for each changed-property bit set. Classes extend it with their fields and override
/// revertUnchanged and getOldValue; the framework keeps index 0 (the containment).
class KORM_ZERO_EXPORT ModelElement::Impl::Storage : public ModelElement::Impl::Changes {
  public:
    Storage(boost::uuids::uuid const& id, Model const& model, meta::Class const& metaClass,
            std::size_t bitCount);
    ~Storage() override;

    /// Saves the containment (index 0).
    virtual void setOldContainer(ModelElement::Impl* container, meta::Property const& property,
                                 std::size_t index);
    /// Clears the changed bit of every property whose saved value equals `record`'s current
    /// one. The framework's version compares index 0.
    virtual void revertUnchanged(ModelElement::Impl const& record);
    /// The saved value of `property` as getPropertyValue would give it. The framework's
    /// version has no value for any property: an empty Value.
    virtual Value getOldValue(meta::Property const& property, AccessTag tag) const;

    ModelElement::Impl* getOldContainer() const noexcept { return m_oldContainer.getImpl(); }
    meta::Property getOldContainmentFeature() const;
    std::size_t getOldContainmentIndex() const noexcept { return m_oldContainmentIndex; }

  private:
    friend class Model::Impl;
    friend class ModelElement::Impl;

    ModelElement m_oldContainer;
    ModelElement m_oldContainmentFeature;
    std::size_t m_oldContainmentIndex = ModelElement::Impl::NO_INDEX;
    // Framework bookkeeping: the transaction level the record belongs to, and the older
    // record of the same element from an enclosing level (owned).
    std::uint32_t m_level = 0;
    std::unique_ptr<Storage> m_older;
};

}  // namespace korm::zero
