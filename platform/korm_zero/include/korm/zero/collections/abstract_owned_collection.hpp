#pragma once

// AbstractOwnedCollection: the base of every collection owned by an element's property.
//
// Declared here for the element layer; defined with the collections.

#include <boost/optional.hpp>

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/transaction.hpp"

namespace korm::zero {

class KORM_ZERO_EXPORT AbstractOwnedCollection {
  public:
    /// The bracket around one change of a collection: it opens a transaction on the owner's
    /// model (nested in an open one, or one of its own, so that the change is recorded and
    /// undoable either way); commit() commits it; destruction without commit rolls it back.
    class KORM_ZERO_EXPORT Operation {
      public:
        explicit Operation(AbstractOwnedCollection& collection);
        Operation(Operation const&) = delete;
        Operation& operator=(Operation const&) = delete;
        ~Operation();
        void commit();

      private:
        AbstractOwnedCollection& m_collection;
        Transaction m_transaction;
    };

    /// `opposite` is the property implementation of the association's other end, or null.
    AbstractOwnedCollection(ModelElement::Impl* owner, meta::Property property,
                            meta::Property::Impl const* opposite);
    AbstractOwnedCollection(AbstractOwnedCollection const&) = delete;
    AbstractOwnedCollection& operator=(AbstractOwnedCollection const&) = delete;
    virtual ~AbstractOwnedCollection();

    ModelElement::Impl* getOwner() const noexcept { return m_owner; }
    meta::Property const& getCollectionProperty() const noexcept { return m_property; }
    meta::Property::Impl const* getOppositeProperty() const noexcept { return m_opposite; }
    /// Announces the coming change of the owner's property (notifyModifying of its index).
    void modifying();

  private:
    ModelElement::Impl* m_owner;
    meta::Property m_property;
    meta::Property::Impl const* m_opposite;
};

}  // namespace korm::zero
