#pragma once

// Counted handles of the meta objects. Meta objects (packages, classes, properties,
// operations, arguments, primitive types) are elements of the meta model held by the
// MetaRegistry; their handles are element handles, compared by identity of the record. The
// records (Type::Impl, Class::Impl, ...) are declared in meta/meta_objects.hpp, the registry in
// meta/meta_registry.hpp.
//
// A handle of a kind holds a record of that kind (or is empty): the typed accessors
// (getTypeImpl, getClassImpl, ...) do not test the record's dynamic type; operator-> stays
// the element record's (ModelElement::Impl). Use meta::asClassImpl and the like
// (meta_objects.hpp) where a record of unknown kind must be tested.

#include "korm/zero/model_element.hpp"

namespace korm::zero::meta {

class KORM_ZERO_EXPORT Type : public ModelElement {
  public:
    class Impl;
    Type() noexcept = default;
    explicit Type(ModelElement::Impl* record) noexcept : ModelElement(record) {}
    /// The record as a type record.
    Impl* getTypeImpl() const noexcept;
};

class KORM_ZERO_EXPORT PrimitiveType : public Type {
  public:
    class Impl;
    PrimitiveType() noexcept = default;
    explicit PrimitiveType(ModelElement::Impl* record) noexcept : Type(record) {}
    Impl* getPrimitiveTypeImpl() const noexcept;
};

class KORM_ZERO_EXPORT Class : public Type {
  public:
    class Impl;
    Class() noexcept = default;
    explicit Class(ModelElement::Impl* record) noexcept : Type(record) {}
    Impl* getClassImpl() const noexcept;
};

class KORM_ZERO_EXPORT TypedElement : public ModelElement {
  public:
    class Impl;
    TypedElement() noexcept = default;
    explicit TypedElement(ModelElement::Impl* record) noexcept : ModelElement(record) {}
    Impl* getTypedElementImpl() const noexcept;
};

class KORM_ZERO_EXPORT Property : public TypedElement {
  public:
    class Impl;
    Property() noexcept = default;
    explicit Property(ModelElement::Impl* record) noexcept : TypedElement(record) {}
    Impl* getPropertyImpl() const noexcept;
};

class KORM_ZERO_EXPORT Operation : public TypedElement {
  public:
    class Impl;
    Operation() noexcept = default;
    explicit Operation(ModelElement::Impl* record) noexcept : TypedElement(record) {}
    Impl* getOperationImpl() const noexcept;
};

class KORM_ZERO_EXPORT Argument : public TypedElement {
  public:
    class Impl;
    Argument() noexcept = default;
    explicit Argument(ModelElement::Impl* record) noexcept : TypedElement(record) {}
    Impl* getArgumentImpl() const noexcept;
};

class KORM_ZERO_EXPORT Package : public ModelElement {
  public:
    class Impl;
    Package() noexcept = default;
    explicit Package(ModelElement::Impl* record) noexcept : ModelElement(record) {}
    /// A new package with that UUID in `model` (a meta model), in a transaction of its own
    /// (nested in an open one). The model must accept changes (thawed when frozen).
    static Package create(Model const& model, boost::uuids::uuid const& id);
    Impl* getPackageImpl() const noexcept;
};

}  // namespace korm::zero::meta
