#pragma once

// AbstractOwnedCollection: the base of every collection owned by an element's property.

#include <cstddef>

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/transaction.hpp"

namespace korm::zero {

/// A collection that belongs to one property of one element (its owner).
///
/// The collection knows its owner (no reference is taken: the owner owns the collection), the
/// property it implements (a counted handle held for the collection's life) and the property
/// of the association's other end, if any. Changes of the collection are announced to the
/// owner as changes of the property's index (modifying()) and run inside an Operation
/// bracket, so that they are recorded by the owner's model and can be rolled back and undone.
class KORM_ZERO_EXPORT AbstractOwnedCollection {
  public:
    /// The bracket around one change of a collection: it opens a transaction on the owner's
    /// model (nested in an open one, or one of its own, so that the change is recorded and
    /// undoable either way); commit() commits it; destruction without commit rolls back what
    /// changed since the bracket opened (nested brackets included) and leaves enclosing
    /// transactions open. A collection without owner or whose owner has no model any more
    /// gets an inert bracket.
    class KORM_ZERO_EXPORT Operation {
      public:
        explicit Operation(AbstractOwnedCollection& collection);
        Operation(Operation const&) = delete;
        Operation& operator=(Operation const&) = delete;
        ~Operation();
        /// Keeps the change. Committing twice does nothing.
        void commit();
        AbstractOwnedCollection& getCollection() const noexcept { return m_collection; }

      private:
        AbstractOwnedCollection& m_collection;
        Transaction m_transaction;
    };

    /// `opposite` is the property implementation of the association's other end, or null.
    /// The property's index (Property::Impl::getIndex) is what modifying() announces.
    AbstractOwnedCollection(ModelElement::Impl* owner, meta::Property property,
                            meta::Property::Impl const* opposite);
    AbstractOwnedCollection(AbstractOwnedCollection const&) = delete;
    AbstractOwnedCollection& operator=(AbstractOwnedCollection const&) = delete;
    virtual ~AbstractOwnedCollection();

    ModelElement::Impl* getOwner() const noexcept { return m_owner; }
    meta::Property const& getCollectionProperty() const noexcept { return m_property; }
    meta::Property::Impl const* getOppositeProperty() const noexcept { return m_opposite; }
    /// The index of the collection's property in its owner's class, or
    /// ModelElement::Impl::NO_INDEX without property.
    std::size_t getPropertyIndex() const noexcept { return m_index; }
    /// Announces the coming change of the owner's property (the owner's notifyModifying of
    /// the property's index). Call it inside a transaction, before the first change; it does
    /// nothing without owner or property index.
    void modifying();

  private:
    ModelElement::Impl* m_owner;
    meta::Property m_property;
    meta::Property::Impl const* m_opposite;
    std::size_t m_index;
};

}  // namespace korm::zero
