#pragma once

// The records of the meta objects: packages, primitive types, classes, properties,
// operations and arguments. They are elements of the meta model (MetaRegistry::getMetaModel):
// created in its transactions (AbstractMetaPackage, Package::create), changed only while the
// meta model is thawed, rolled back with the transaction that changed them, and destroyed with
// destroy().
//
// Ownership is the framework's containment (index 0): a package owns its sub-packages and
// types, a class its properties and operations, an operation its arguments. Destroying an
// owner destroys what it owns. Every other field of a meta object is its own state, announced
// under the single property index STATE_INDEX (1) and restored as a whole by rollback.
//
// Reading meta objects needs no lock once they are built; the registry's mutex serialises
// building (see MetaRegistry).

#include <boost/optional.hpp>
#include <boost/uuid/uuid.hpp>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "korm/zero/changes.hpp"
#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/transaction.hpp"

namespace korm::zero {

/// What values a property holds, as bits (the flags given to
/// AbstractMetaPackage::createProperty):
///
///  * 1 VALUE_PLAIN: values are kept as given. A single-valued property with only this bit
///    holds one value; a keyed collection with it holds any number of elements under one key,
///    side by side in insertion order (a multimap).
///  * 2 VALUE_UNIQUE_KEY: a keyed collection holds at most one element per key (a map).
///  * 4 VALUE_KEYED: the property is many-valued and its collection is keyed by the qualifier
///    (Property::Impl::getQualifiedBy).
///  * 8 VALUE_MANY: the property is many-valued without a key (a sequence or a set).
///
/// So 1 is a plain single value, 5 a keyed collection that may repeat keys and 6 a keyed
/// collection with unique keys. A property without VALUE_KEYED and VALUE_MANY is
/// single-valued unless an upper bound above 1 is set explicitly.
enum ValueFlags : std::uint32_t {
    VALUE_FLAGS_NONE = 0,
    VALUE_PLAIN = 1,
    VALUE_UNIQUE_KEY = 2,
    VALUE_KEYED = 4,
    VALUE_MANY = 8,
};

}  // namespace korm::zero

namespace korm::zero::meta {

/// The unbounded upper bound of a multiplicity ("*").
inline constexpr unsigned UNBOUNDED = 4294967295U;

/// The kinds of meta objects.
enum class MetaKind : std::uint8_t {
    PACKAGE,
    PRIMITIVE_TYPE,
    CLASS,
    PROPERTY,
    OPERATION,
    ARGUMENT
};

/// How the other end of an association is shaped (Property::Impl::getOppositeKind).
enum class OppositeKind : std::uint8_t {
    /// No opposite property.
    NONE = 0,
    /// The opposite end is single-valued: an element held in this property refers back to
    /// exactly one owner through it, so "is the element held here?" can be answered by asking
    /// the element for its value of the opposite property.
    SINGLE = 1,
    /// The opposite end is many-valued.
    MANY = 2,
};

namespace detail {

/// The state of a meta object (one layout for all kinds; each kind uses its part). Rollback
/// saves and restores it as a whole.
struct MetaState {
    std::u16string name;
    // What the object is for, in a sentence or two, for the help of front ends.
    std::u16string documentation;
    // Packages.
    std::u16string uri;
    // Types: the qualified name given at creation (empty: derived from the packages).
    std::string qualifiedName;
    bool isAbstract = false;  // classes and operations
    std::vector<Class> superclasses;
    // Owned meta objects (packages and types of a package, properties and operations of a
    // class, arguments of an operation), in the order they were attached.
    std::vector<ModelElement> owned;
    // Typed elements.
    Type type;
    boost::optional<unsigned> lower;
    boost::optional<unsigned> upper;
    bool isOrdered = false;
    bool isUnique = false;
    // Properties.
    std::uint32_t valueFlags = VALUE_FLAGS_NONE;
    bool isContainment = false;
    bool forbidsCrossModelReferences = false;
    std::size_t index = static_cast<std::size_t>(-1);
    boost::optional<std::u16string> defaultValue;
    Property qualifiedBy;
    bool isQualificationUnique = false;
    Property opposite;
    // Operations.
    std::u16string resultDocumentation;  // what the result is
    bool isStatic = false;
    bool isPublic = true;
    bool isEvent = false;
    // Arguments.
    bool isInput = true;

    bool operator==(MetaState const& other) const = default;
};

}  // namespace detail

/// The base record of every meta object: name, owner, state and the framework overrides
/// that make meta objects take part in transactions, rollback and destruction.
class KORM_ZERO_EXPORT MetaObjectImpl : public ModelElement::Impl {
  public:
    class Storage;

    /// The index under which every change of a meta object's own state is announced.
    static constexpr std::size_t STATE_INDEX = 1;
    static constexpr std::size_t BIT_COUNT = 2;

    virtual MetaKind getKind() const noexcept = 0;

    std::u16string const& getName() const noexcept { return m_state.name; }
    /// The name as UTF-8.
    std::string getName8() const;
    void setName(std::u16string const& name);

    /// What the object is for (empty when undocumented); front ends show it as help.
    std::u16string const& getDocumentation() const noexcept { return m_state.documentation; }
    void setDocumentation(std::u16string const& documentation);

    /// The owner (containing package, class or operation), or an empty handle.
    ModelElement getOwner() const;

    // Framework overrides.
    /// The framework's meta-class of this kind ("korm.zero.meta.Class", ...).
    meta::Class getMetaClass() const override;
    void doDestroy(bool disassociate, bool toProxies) override;
    void inverseAdd(ModelElement const& element, meta::Property const& property) override;
    void inverseRemove(ModelElement const& element, meta::Property const& property) override;
    void basicDisassociateAll() override;
    std::unique_ptr<ModelElement::Impl::Changes> createChanges() const override;
    std::unique_ptr<ModelElement::Impl::Storage> createStorage() const override;
    void copyValue(ModelElement::Impl::Storage& storage, std::size_t index) const override;
    void copyStateFromStorage(ModelElement::Impl::Storage const& storage) override;
    /// Takes the saved state over instead of copying its texts and lists.
    void moveStateFromStorage(ModelElement::Impl::Storage& storage) noexcept override;

  protected:
    MetaObjectImpl(Model const& model, boost::uuids::uuid const& id);

    detail::MetaState const& state() const noexcept { return m_state; }

    /// One change of the state: opens a transaction (nested in an open one; on its own it
    /// is non-undoable, since the meta model keeps no undo history) and announces
    /// STATE_INDEX, which refuses the change while the meta model is frozen. The state may be
    /// changed through state() while the scope lives; commit() makes it stand, destruction
    /// without commit rolls it back.
    class KORM_ZERO_EXPORT Change {
      public:
        explicit Change(MetaObjectImpl& object);
        Change(Change const&) = delete;
        Change& operator=(Change const&) = delete;
        ~Change();
        detail::MetaState& state() noexcept { return m_object.m_state; }
        void commit();

      private:
        MetaObjectImpl& m_object;
        Transaction m_transaction;
    };

    /// Sets one field of the state through a Change, when the value differs.
    template <class V, class W>
    void setStateField(V detail::MetaState::*field, W const& value) {
        if (m_state.*field == V(value)) {
            return;
        }
        Change change(*this);
        change.state().*field = V(value);
        change.commit();
    }

    /// Makes `owner` (or no one, for null) the owner of this object: leaves the old owner's
    /// list, joins the new one's at its end and sets the containment.
    void moveTo(MetaObjectImpl* owner);
    /// Owned objects of that kind, in attach order.
    template <class Handle>
    std::vector<Handle> ownedOfKind(MetaKind kind) const;

  private:
    detail::MetaState m_state;
};

template <class Handle>
std::vector<Handle> MetaObjectImpl::ownedOfKind(MetaKind kind) const {
    std::vector<Handle> result;
    for (auto const& element : m_state.owned) {
        if (static_cast<MetaObjectImpl const*>(element.getImpl())->getKind() == kind) {
            result.emplace_back(element.getImpl());
        }
    }
    return result;
}

/// The old-value record of a meta object: its whole state.
class KORM_ZERO_EXPORT MetaObjectImpl::Storage : public ModelElement::Impl::Storage {
  public:
    using ModelElement::Impl::Storage::Storage;
    void revertUnchanged(ModelElement::Impl const& record) override;

    detail::MetaState oldState;
};

/// A type: a primitive type or a class.
class KORM_ZERO_EXPORT Type::Impl : public MetaObjectImpl {
  public:
    Package getOwningPackage() const;
    void setOwningPackage(Package const& package);

    /// The qualified name: the one given at creation, else the names of the owning packages
    /// and this type's name joined by dots (packages with an empty name are skipped).
    std::u16string getQualifiedName() const;
    std::string getQualifiedName8() const;
    /// The native name registered with MetaRegistry::registerTypeNames, or "".
    std::string getNativeName() const;

    /// True for a class record.
    virtual bool isClass() const noexcept { return false; }
    /// Whether a value of this type may stand where `other` is expected: for a type, being
    /// `other`; a class also conforms to its superclasses, transitively.
    virtual bool conformsTo(Type const& other) const;

  protected:
    Impl(Model const& model, boost::uuids::uuid const& id);
    friend class AbstractMetaPackage;
    friend class MetaRegistry;
    void setQualifiedName8(std::string const& qualifiedName);
};

/// A primitive type ("UUID", "String", "Boolean", ...). Its qualified name is its name.
class KORM_ZERO_EXPORT PrimitiveType::Impl : public Type::Impl {
  public:
    Impl(Model const& model, boost::uuids::uuid const& id);
    MetaKind getKind() const noexcept override { return MetaKind::PRIMITIVE_TYPE; }
};

class KORM_ZERO_EXPORT Class::Impl : public Type::Impl {
  public:
    Impl(Model const& model, boost::uuids::uuid const& id);
    MetaKind getKind() const noexcept override { return MetaKind::CLASS; }
    bool isClass() const noexcept override { return true; }

    bool isAbstract() const noexcept { return state().isAbstract; }
    void setIsAbstract(bool value);

    /// The direct superclasses, in the order they were given.
    std::vector<Class> getSuperclasses() const { return state().superclasses; }
    /// Makes `superclass` the only superclass (an empty handle: none). A superclass that
    /// conforms to this class would make a cycle and reports InvalidValue.
    void setSuperclass(Class const& superclass);
    /// Adds one more superclass (nothing when it is one already); cycles as above.
    void addSuperclass(Class const& superclass);

    /// A class conforms to itself and to its superclasses, transitively.
    bool conformsTo(Type const& other) const override;
    bool conformsTo(Class const& other) const {
        return conformsTo(static_cast<Type const&>(other));
    }

    /// The class's own properties and operations, in the order they were attached.
    std::vector<Property> getProperties() const;
    std::vector<Operation> getOperations() const;
    /// The superclasses' properties (depth first, each once) followed by the own ones.
    std::vector<Property> getAllProperties() const;
    /// The property with that index (setPropertyIndex): an own one first, else an inherited
    /// one; an empty handle when there is none.
    Property findPropertyByIndex(std::size_t index) const;
    /// By name: own first, then inherited; an empty handle when there is none.
    Property findProperty(std::u16string const& name) const;
    Operation findOperation(std::u16string const& name) const;

    /// A new builder of this class for `model`, from the builder factory registered with the
    /// meta registry; null when none is registered.
    std::unique_ptr<ModelElement::Builder> instantiateBuilder(Model const& model) const;
};

/// An element with a type and a multiplicity: a property, an operation (its result) or an
/// argument.
class KORM_ZERO_EXPORT TypedElement::Impl : public MetaObjectImpl {
  public:
    /// The type; for an operation the result type, empty for a void operation.
    Type getType() const { return state().type; }
    void setType(Type const& type);

    /// The lower bound: the one set, else 0.
    unsigned getLower() const noexcept;
    /// The upper bound: the one set, else the kind's default (1; a many-valued property
    /// UNBOUNDED).
    unsigned getUpper() const noexcept;
    void setLower(unsigned lower);
    void setUpper(unsigned upper);
    /// The upper bound is above 1.
    bool isMany() const noexcept { return getUpper() > 1; }

    bool isOrdered() const noexcept { return state().isOrdered; }
    void setIsOrdered(bool value);
    /// Each value is held at most once.
    bool isUnique() const noexcept { return state().isUnique; }
    void setIsUnique(bool value);

  protected:
    Impl(Model const& model, boost::uuids::uuid const& id);
    virtual unsigned defaultUpper() const noexcept { return 1; }
};

class KORM_ZERO_EXPORT Property::Impl : public TypedElement::Impl {
  public:
    Impl(Model const& model, boost::uuids::uuid const& id);
    MetaKind getKind() const noexcept override { return MetaKind::PROPERTY; }

    /// The class that owns the property.
    Class getOwningType() const;
    void setOwningType(Class const& owner);

    ValueFlags getValueFlags() const noexcept { return ValueFlags(state().valueFlags); }
    void setValueFlags(ValueFlags flags);
    /// The collection is keyed by the qualifier (VALUE_KEYED).
    bool isKeyed() const noexcept { return (state().valueFlags & VALUE_KEYED) != 0; }

    /// The owner holds (owns) the elements of this property.
    bool isContainment() const noexcept { return state().isContainment; }
    void setIsContainment(bool value);

    /// The property may hold only elements of its owner's model: a proxy that names another
    /// model is refused (CannotCreateCrossModelAssociation). Set for every containment when
    /// the property is made (a contained element lives in its container's model), and
    /// settable for other properties.
    bool forbidsCrossModelReferences() const noexcept {
        return state().forbidsCrossModelReferences;
    }
    void setForbidsCrossModelReferences(bool value);

    /// The property's index within its class (1-based), or NO_INDEX before one is set.
    std::size_t getIndex() const noexcept { return state().index; }
    void setIndex(std::size_t index);

    /// The default value as text; none when the property has no default.
    boost::optional<std::u16string> const& getDefaultValue() const noexcept {
        return state().defaultValue;
    }
    void setDefaultValue(boost::optional<std::u16string> const& value);

    /// The property of the held elements whose value keys this property's collection.
    Property getQualifiedBy() const { return state().qualifiedBy; }
    void setQualifiedBy(Property const& qualifier);
    /// At most one element per qualifier value.
    bool isQualificationUnique() const noexcept { return state().isQualificationUnique; }
    void setIsQualificationUnique(bool value);

    /// The property at the other end of the association, or an empty handle.
    Property getOpposite() const { return state().opposite; }
    void setOpposite(Property const& opposite);
    OppositeKind getOppositeKind() const noexcept;

    /// The owning class's qualified name and the property's name joined by a dot.
    std::u16string getQualifiedName() const;

  protected:
    unsigned defaultUpper() const noexcept override;
};

class KORM_ZERO_EXPORT Operation::Impl : public TypedElement::Impl {
  public:
    Impl(Model const& model, boost::uuids::uuid const& id);
    MetaKind getKind() const noexcept override { return MetaKind::OPERATION; }

    Class getOwningType() const;
    void setOwningType(Class const& owner);
    /// The arguments in parameter order (the order they were attached with setOperation).
    std::vector<Argument> getArguments() const;

    /// No result type is set.
    bool isVoid() const { return state().type.isEmpty(); }
    bool isAbstract() const noexcept { return state().isAbstract; }
    void setIsAbstract(bool value);
    bool isStatic() const noexcept { return state().isStatic; }
    void setIsStatic(bool value);
    bool isPublic() const noexcept { return state().isPublic; }
    void setIsPublic(bool value);
    bool isEvent() const noexcept { return state().isEvent; }
    void setIsEvent(bool value);
    /// What the result is (empty for a void or undocumented operation).
    std::u16string const& getResultDocumentation() const noexcept {
        return state().resultDocumentation;
    }
    void setResultDocumentation(std::u16string const& documentation);

    /// The meta registry holds an invoker for this operation.
    bool hasInvoker() const;
};

class KORM_ZERO_EXPORT Argument::Impl : public TypedElement::Impl {
  public:
    Impl(Model const& model, boost::uuids::uuid const& id);
    MetaKind getKind() const noexcept override { return MetaKind::ARGUMENT; }

    Operation getOperation() const;
    /// Attaches the argument to `operation`, after the arguments it has.
    void setOperation(Operation const& operation);
    bool isInput() const noexcept { return state().isInput; }
    void setIsInput(bool value);
};

class KORM_ZERO_EXPORT Package::Impl : public MetaObjectImpl {
  public:
    Impl(Model const& model, boost::uuids::uuid const& id);
    MetaKind getKind() const noexcept override { return MetaKind::PACKAGE; }

    std::u16string const& getUri() const noexcept { return state().uri; }
    void setUri(std::u16string const& uri);

    Package getParentPackage() const;
    /// Makes this package a sub-package of `parent` (an empty handle: a root). A parent that
    /// lies inside this package reports InvalidValue.
    void setParentPackage(Package const& parent);

    std::vector<Package> getSubpackages() const;
    std::vector<Type> getTypes() const;
    /// By name; empty handles when there is none.
    Package findSubpackage(std::u16string const& name) const;
    Type findType(std::u16string const& name) const;

    /// The names of the packages from the root down to this one, joined by dots (packages
    /// with an empty name are skipped).
    std::u16string getQualifiedName() const;
};

/// The record of `element` as a meta object of that kind, or null (a dynamic test).
KORM_ZERO_EXPORT Class::Impl* asClassImpl(ModelElement const& element) noexcept;
KORM_ZERO_EXPORT Type::Impl* asTypeImpl(ModelElement const& element) noexcept;
/// The type's qualified name; "" for an empty handle.
KORM_ZERO_EXPORT std::u16string qualifiedNameOf(Type const& type);

}  // namespace korm::zero::meta
