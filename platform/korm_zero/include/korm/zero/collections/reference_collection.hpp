#pragma once

// ReferenceCollection: the base of the typed element collections, and the generic collection
// interfaces through which reflection, copying and scripting reach a collection without
// knowing its element type.
//
// Declared here for the element layer; defined with the collections.

#include <cstddef>
#include <memory>
#include <vector>

#include "korm/zero/collections/abstract_owned_collection.hpp"
#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero {

class KORM_ZERO_EXPORT GenericCollectionInterface {
  public:
    virtual ~GenericCollectionInterface();
    virtual std::size_t genericSize() const = 0;
    virtual void genericAdd(ModelElement const& element) = 0;
    /// Adds `element`; the default ignores `index` and calls genericAdd.
    virtual void genericEnsureAt(ModelElement const& element, std::size_t index);
    virtual void genericRemove(ModelElement const& element) = 0;
    virtual void genericClear() = 0;
    virtual void genericBasicClear() = 0;
    virtual bool genericContains(ModelElement const& element) const = 0;
    virtual bool isSequenceInterface() const;
    virtual bool isMapInterface() const;
    virtual bool isMultimapInterface() const;
};

class KORM_ZERO_EXPORT GenericSequenceInterface : public GenericCollectionInterface {};

class KORM_ZERO_EXPORT GenericMapInterface : public GenericCollectionInterface {
  public:
    virtual ModelElement genericGet(Value const& key) const = 0;
    virtual meta::Type getQualifierType() const = 0;
    virtual std::vector<Value> genericKeys() const = 0;
};

class KORM_ZERO_EXPORT GenericMultimapInterface : public GenericCollectionInterface {
  public:
    virtual std::vector<ModelElement> genericGet(Value const& key) const = 0;
    virtual meta::Type getQualifierType() const = 0;
    virtual std::vector<Value> genericKeys() const = 0;
};

class KORM_ZERO_EXPORT ReferenceCollection : public AbstractOwnedCollection {
  public:
    ReferenceCollection(ModelElement::Impl* owner, meta::Property property,
                        meta::Property::Impl const* opposite);
    ~ReferenceCollection() override;

    GenericCollectionInterface* getGenericInterface() const noexcept;
    /// Reports what the owner's checkCompatibleModel reports for `element`.
    void checkCompatibleModel(ModelElement::Impl* element) const;
    /// True when the collection's property is a containment.
    bool isComposite() const;

  protected:
    friend class ModelElement::Impl;
    void setGenericInterface(std::unique_ptr<GenericCollectionInterface> genericInterface);

    virtual void basicAdd(ModelElement const& element) = 0;
    virtual void basicRemove(ModelElement const& element) = 0;
    virtual void basicClear() = 0;
    virtual void basicCopyValues(ReferenceCollection const& source) = 0;

  private:
    std::unique_ptr<GenericCollectionInterface> m_genericInterface;
};

}  // namespace korm::zero
