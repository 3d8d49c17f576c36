#pragma once

// ReferenceCollection: the base of the typed element collections, and the generic collection
// interfaces through which reflection, copying and scripting reach a collection without
// knowing its element type.

#include <cstddef>
#include <memory>
#include <vector>

#include "korm/zero/collections/abstract_owned_collection.hpp"
#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero {

/// A collection seen without its element type: elements travel as ModelElement, keys as
/// Value. Implemented by the typed collections (usually by a nested class that forwards to
/// the collection), owned by the collection (ReferenceCollection::getGenericInterface).
class KORM_ZERO_EXPORT GenericCollectionInterface {
  public:
    GenericCollectionInterface() = default;
    GenericCollectionInterface(GenericCollectionInterface const&) = delete;
    GenericCollectionInterface& operator=(GenericCollectionInterface const&) = delete;
    virtual ~GenericCollectionInterface();

    /// The number of resolved elements held (proxies are not counted).
    virtual std::size_t genericSize() const = 0;
    /// Adds `element` with the collection's checks and bookkeeping.
    virtual void genericAdd(ModelElement const& element) = 0;
    /// Adds `element`; the default ignores `index` and calls genericAdd.
    virtual void genericEnsureAt(ModelElement const& element, std::size_t index);
    virtual void genericRemove(ModelElement const& element) = 0;
    /// Removes every element with bookkeeping, and every proxy.
    virtual void genericClear() = 0;
    virtual void genericBasicClear() = 0;
    virtual bool genericContains(ModelElement const& element) const = 0;
    /// What kind of interface this is; the defaults answer false.
    virtual bool isSequenceInterface() const;
    virtual bool isMapInterface() const;
    virtual bool isMultimapInterface() const;
};

/// The generic interface of an ordered collection: positions from 0 to genericSize() - 1.
class KORM_ZERO_EXPORT GenericSequenceInterface : public GenericCollectionInterface {
  public:
    /// The element at `index` (a proxy held there comes back as the proxy); an empty handle
    /// for an index out of range.
    virtual ModelElement genericGetAt(std::size_t index) const = 0;
    /// Puts `element` at `index` in place of what is there (an index out of range reports
    /// InvalidValue).
    virtual void genericSetAt(std::size_t index, ModelElement const& element) = 0;
    /// Inserts `element` before position `index` (at the end when `index` is the size or
    /// more).
    virtual void genericInsertAt(std::size_t index, ModelElement const& element) = 0;
    /// Removes the element at `index` with bookkeeping; nothing for an index out of range.
    virtual void genericRemoveAt(std::size_t index) = 0;
    /// The first position that holds that very element, or NO_POSITION. The default asks
    /// genericGetAt for each position.
    virtual std::size_t genericIndexOf(ModelElement const& element) const;
    /// Makes `element` stand at `index` (or at the end, when `index` is past it): an element
    /// already held elsewhere moves there, another one is inserted there, and one already at
    /// `index` stays.
    void genericEnsureAt(ModelElement const& element, std::size_t index) override;
    bool isSequenceInterface() const override;

    static constexpr std::size_t NO_POSITION = static_cast<std::size_t>(-1);
};

/// The generic interface of a collection with at most one element per key.
class KORM_ZERO_EXPORT GenericMapInterface : public GenericCollectionInterface {
  public:
    /// The element under `key`, or an empty handle.
    virtual ModelElement genericGet(Value const& key) const = 0;
    virtual meta::Type getQualifierType() const = 0;
    /// Every key once, ascending.
    virtual std::vector<Value> genericKeys() const = 0;
    bool isMapInterface() const override;
};

/// The generic interface of a collection with any number of elements per key.
class KORM_ZERO_EXPORT GenericMultimapInterface : public GenericCollectionInterface {
  public:
    /// The elements under `key`, in insertion order (empty when none).
    virtual std::vector<ModelElement> genericGet(Value const& key) const = 0;
    virtual meta::Type getQualifierType() const = 0;
    /// Every distinct key once, ascending.
    virtual std::vector<Value> genericKeys() const = 0;
    /// The elements filed under the key of `element` (itself included), in insertion order;
    /// empty when `element` is not held. The default looks through every key; collections
    /// that can find an element's key override it.
    virtual std::vector<ModelElement> genericGroupOf(ModelElement const& element) const;
    bool isMultimapInterface() const override;
};

/// The base of the typed element collections: a collection of element handles owned by one
/// property of one element.
///
/// It owns one generic-interface object, set by the typed collection (replacing any set
/// before), and supplies what every typed collection needs of the framework: the model check
/// of elements about to be stored, whether the property is a containment, and proxy
/// resolution through the owner's model. The typed collections implement the pure virtual
/// operations; the others have defaults they may keep.
///
/// Operations named basic* change the collection without the checks and bookkeeping of the
/// public ones; the framework reaches them through ModelElement::Impl::_basicAdd and its
/// siblings (rollback and copying restore collections with them).
class KORM_ZERO_EXPORT ReferenceCollection : public AbstractOwnedCollection {
  public:
    ReferenceCollection(ModelElement::Impl* owner, meta::Property property,
                        meta::Property::Impl const* opposite);
    ~ReferenceCollection() override;

    /// The class of the elements held.
    virtual meta::Type getCollectionType() const = 0;
    /// True when the collection holds no resolved element (proxies are not counted).
    virtual bool empty() const = 0;
    /// Makes this collection's contents a copy of `source`'s. The default calls
    /// basicCopyValues.
    virtual void copyContents(ReferenceCollection const& source);
    /// Adds or removes `element` through the generic interface (with its checks and
    /// bookkeeping). Without a generic interface they do nothing.
    virtual void genericAdd(ModelElement const& element);
    virtual void genericRemove(ModelElement const& element);
    /// Every resolved element, in the collection's order.
    virtual std::vector<ModelElement> getAllValues() const = 0;
    /// Every resolved element followed by every proxy held. The default: getAllValues().
    virtual std::vector<ModelElement> getAllValuesAndProxies() const;
    /// Every proxy held. The default picks them out of getAllValuesAndProxies(); collections
    /// that keep their proxies apart override it, so that it costs what they hold.
    virtual std::vector<ModelElement> getProxies() const;
    /// The generic interface, or null when the typed collection set none.
    virtual GenericCollectionInterface* getGenericInterface() const noexcept;
    /// Called by the framework when a proxy held at `index` (meaning defined by the typed
    /// collection) was resolved to `element`.
    virtual void replaceProxy(ModelElement const& element, std::size_t index) = 0;
    /// Resolves every proxy held that can be resolved.
    virtual void resolveAll() = 0;
    /// Resolves the proxies whose target lies in the owner's model.
    virtual void resolveLocal() = 0;
    /// Whether the collection holds a proxy standing for `element` (replacing it by
    /// `element` when it does).
    virtual bool basicContainsProxyTo(ModelElement const& element) = 0;
    /// Stores a resolved element without bracket or bookkeeping; true when it was stored.
    virtual bool resolveAdd(ModelElement const& element) = 0;

    /// Reports what the owner's checkCompatibleModel reports for `element` (an element of
    /// another model: CannotCreateCrossModelAssociation). Nothing for a null element or a
    /// collection without owner.
    void checkCompatibleModel(ModelElement::Impl* element) const;
    /// True when the collection's property is a containment.
    bool isComposite() const;
    /// The element `proxy` stands for, through the owner's model (Model::Impl::resolveProxy
    /// with the owner). The result may be empty or still a proxy; without an owner in a
    /// model, `proxy` itself. Non-proxies come back unchanged.
    ModelElement resolveProxy(ModelElement const& proxy) const;
    /// The same without opening any model (Model::Impl::peekResolveProxy).
    ModelElement peekResolveProxy(ModelElement const& proxy) const;
    /// True while the framework resolves proxies on this thread: accessors that resolve held
    /// proxies leave them alone then, so that resolution never recurses.
    static bool isResolvingProxies() noexcept;

  protected:
    friend class ModelElement::Impl;
    /// Installs the generic interface, deleting one set before.
    void setGenericInterface(std::unique_ptr<GenericCollectionInterface> genericInterface);

    /// Stores `element` (a proxy too, where the collection keeps proxies) without checks.
    virtual void basicAdd(ModelElement const& element) = 0;
    /// basicAdd for collections that keep proxies apart; the default calls basicAdd.
    virtual void basicAddWithProxy(ModelElement const& element);
    virtual void basicRemove(ModelElement const& element) = 0;
    virtual void basicClear() = 0;
    virtual void basicCopyValues(ReferenceCollection const& source) = 0;

  private:
    std::unique_ptr<GenericCollectionInterface> m_genericInterface;
};

}  // namespace korm::zero
