#pragma once

// Class descriptions and the class-definition object.
//
// A class is added to its package with a description (COSClassInfo). Its members are defined by
// the description's defineMembers, which the host calls once, with a COSClassDefinition, either
// when the class is added (ClassDefineNow) or on its first use (ClassDefineOnFirstUse): the
// first look-up of its members, construction or binding of an object. Members keep the order in
// which they were added. If defineMembers raises, nothing of it is kept and the next use tries
// again.

#include <memory>
#include <string>

#include "olan/export.hpp"
#include "olan/interned.hpp"

namespace olan {

class COSClassDefinition;

namespace factory {
class OlanMethod;
namespace impl {
class PropertyImpl;
}
}  // namespace factory

/// A class description. The queries answer the host's defaults unless overridden.
class OLAN_EXPORT COSClassInfo {
  public:
    virtual ~COSClassInfo();
    /// Short name ("UUIDMap").
    virtual std::string getName() const = 0;
    /// Qualified name ("arvex.utilities.UUIDMap").
    virtual std::string getQualifiedName() const = 0;
    /// Default: empty.
    virtual std::string getDescription() const;
    /// Adds superclasses, constructor, properties and methods. Default: nothing.
    virtual void defineMembers(COSClassDefinition& definition);
    /// An abstract class cannot be constructed. Default: false.
    virtual bool isAbstract() const;
    /// Objects of a handle class can be bound to native pointers. Default: false.
    virtual bool isHandleClass() const;
    /// A sealed class cannot be named as a superclass. Default: false.
    virtual bool isSealed() const;
    /// A hidden class is left out of its package's class list (it can still be found by name).
    /// Default: false.
    virtual bool isHidden() const;
    /// Whether the description was made by the class factory (olan::factory). Reported to hosts;
    /// default: false.
    virtual bool isFactoryClass() const;
    /// Whether every constructed object must be bound to a native pointer by its constructor;
    /// a constructor that returns without binding is then refused (UnboundObject). Default: false.
    virtual bool requiresNativeBinding() const;
    /// Called with the primary native pointer of an object of this class when the host drops the
    /// object's last reference. Default: nothing.
    virtual void destroyInstance(void* nativePointer);
    /// Whether the host deletes this description. Default: true.
    virtual bool isDestructible() const;
};

/// Handed to COSClassInfo::defineMembers. Ownership of every method and property passes with
/// the call, even when it raises.
class OLAN_EXPORT COSClassDefinition {
  public:
    /// Qualified name of the class being defined.
    InternedName getClassName() const noexcept;

    /// Adds a superclass by qualified name. `handleKind` 1: the superclass must be a handle
    /// class (and so must this class); 0: no such demand. `hidden` 1 leaves it out of the
    /// member list shown to scripts. `inheritMembers` 1: its methods and properties are found
    /// through this class as well. The superclass must exist when the definition completes and
    /// must not be sealed.
    void addSuperclass(InternedName name, int handleKind, int hidden, int inheritMembers);
    /// Adds a method; the one named like the class (its short name) is the constructor.
    void addMethod(factory::OlanMethod* method);
    /// Adds a property.
    void addProperty(factory::impl::PropertyImpl* property);

    struct Impl;
    explicit COSClassDefinition(Impl& impl) noexcept : impl_(impl) {}

  private:
    Impl& impl_;
};

}  // namespace olan
