#pragma once

// Shared, type-independent pieces of the typed element collections: the change bracket, the
// association bookkeeping of added and removed elements, the class compatibility check of the
// generic interfaces, proxy resolution through the owner's model and the key type.
//
// The templates (typed_reference_collection.hpp and the files built on it) call these so that
// the rules live in one place and are compiled once.

#include <boost/uuid/uuid.hpp>
#include <optional>
#include <string>

#include "arvex/utilities/export.hpp"
#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/transaction.hpp"

namespace korm::zero {

/// What a map insert does when another entry already holds the key.
enum class CollisionResolution : int {
    /// Report UniquenessConstraint; nothing changes. What every caller of this library uses.
    REPORT = 0,
    /// Leave the collection as it is, silently.
    IGNORE = 1,
    /// Put the new entry into the key's node in place of the old one (the old one is let go
    /// with the bookkeeping of a removed element, but not destroyed).
    REPLACE = 2,
};

/// The bracket around one change of a collection: the change runs in a transaction of the
/// owner's model, and modifying() announces it before it is made. commit() commits;
/// destruction without commit rolls the change back.
///
/// A collection's changes are public entry points: the bracket opens or joins a transaction
/// through the framework's one rule, Model::Impl::joinOrBeginTransaction. Outside any
/// transaction it opens one of its own, so that a lone change is recorded and undoable. Inside
/// an open transaction it joins that transaction instead of nesting another level: the owner
/// saves the old value of a collection property once per transaction level in which the
/// property first changes (a shared version of the tree, and the proxy table), and commits
/// compare it with the contents, so a level per change would add a record and a comparison to
/// every change; joining makes it one per transaction. Each
/// change restores the container itself when it fails part way (strong guarantee for the
/// collection); what the failed bookkeeping may have changed in other elements is rolled back
/// with the enclosing transaction, which the failure leaves uncommitted.
///
/// A collection without owner (the old-value copy an element keeps for undo) belongs to no
/// model: its bracket opens nothing and announces nothing.
class ARVEX_UTILITIES_EXPORT CollectionChange {
  public:
    explicit CollectionChange(AbstractOwnedCollection& collection);
    CollectionChange(CollectionChange const&) = delete;
    CollectionChange& operator=(CollectionChange const&) = delete;
    ~CollectionChange();
    void commit();

  private:
    Transaction m_transaction;
};

namespace collection_support {

/// Bookkeeping after `element` entered `collection`: with an opposite property the element
/// learns its new owner through it (the owner's _inverseAddThis, without setting a container);
/// else, for a containment, the owner becomes the element's container; else nothing.
ARVEX_UTILITIES_EXPORT void added(ReferenceCollection& collection, ModelElement::Impl* element);

/// Bookkeeping before `element` leaves `collection`: with an opposite property the element's
/// own inverseRemove; else, for a containment, the element is left without container; else
/// nothing. The element itself is not destroyed.
ARVEX_UTILITIES_EXPORT void removed(ReferenceCollection& collection, ModelElement::Impl* element);

/// True when `element`'s class conforms to `entryClass` (the class itself or a subclass).
ARVEX_UTILITIES_EXPORT bool isCompatible(ModelElement::Impl const* element,
                                         meta::Class const& entryClass);

/// Reports CannotAddIncompatibleTypes (the element's class name, then the entry class name)
/// unless `element` is compatible with `entryClass`.
ARVEX_UTILITIES_EXPORT void checkCompatibleType(ModelElement::Impl const* element,
                                                meta::Class const& entryClass);

/// Reports CannotCreateCrossModelAssociation when `proxy` names another model and the
/// collection's property forbids references into other models.
ARVEX_UTILITIES_EXPORT void checkProxyAllowed(ReferenceCollection const& collection,
                                              ModelElement::Impl const* proxy);

/// Whether the collection can resolve proxies: it has an owner that belongs to a model.
ARVEX_UTILITIES_EXPORT bool canResolve(ReferenceCollection const& collection);

/// The element `proxy` stands for, asked of the owner's model (which may open another model);
/// `peek` resolves without opening anything (ReferenceCollection::resolveProxy and
/// peekResolveProxy). The result is only returned when it is a valid
/// element that is no longer a proxy and conforms to `entryClass`; else an empty handle.
ARVEX_UTILITIES_EXPORT ModelElement resolve(ReferenceCollection const& collection,
                                            ModelElement const& proxy,
                                            meta::Class const& entryClass, bool peek);

/// Whether `element`'s value of the single-valued `opposite` property (read with public
/// access) is `owner`.
ARVEX_UTILITIES_EXPORT bool refersTo(ModelElement::Impl* element,
                                     meta::Property::Impl const* opposite,
                                     ModelElement::Impl const* owner);

/// The key type of a keyed collection: the type of its property's qualifier when it has one,
/// else the standard UUID primitive type (kept by the framework for the life of the process).
ARVEX_UTILITIES_EXPORT meta::Type qualifierType(ReferenceCollection const& collection);

/// The standard UUID primitive type, or an empty handle when the meta registry has none.
ARVEX_UTILITIES_EXPORT meta::Type uuidType();

/// A single UUID value of `type` (kind 1, managed), for key lists.
ARVEX_UTILITIES_EXPORT Value makeKeyValue(meta::Type const& type, boost::uuids::uuid const& key);

/// Reports UniquenessConstraint naming the key.
[[noreturn]] ARVEX_UTILITIES_EXPORT void reportDuplicateKey(boost::uuids::uuid const& key);

}  // namespace collection_support

}  // namespace korm::zero
