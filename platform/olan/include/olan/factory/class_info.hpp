#pragma once

// Class descriptions made by the class factory: named by a short and a qualified name, and, for
// handle classes, bound to native objects of one native class.

#include <string>

#include "olan/class_info.hpp"
#include "olan/export.hpp"
#include "olan/factory/binding_registry.hpp"

namespace olan::factory {

/// A class description answering the name queries with two stored names.
class OLAN_EXPORT OlanFactoryClassInfo : public COSClassInfo {
  public:
    OlanFactoryClassInfo(std::string shortName, std::string qualifiedName);
    ~OlanFactoryClassInfo() override;

    std::string getName() const override;
    std::string getQualifiedName() const override;
    /// True: made by the factory.
    bool isFactoryClass() const override;

  private:
    std::string shortName_;
    std::string qualifiedName_;
};

/// A handle class bound to native objects of type `Native`: its objects carry a `Native*` as
/// their primary native pointer. When the host drops an object, destroyInstance hands the
/// pointer to destroyNativeInstance, whose default forgets the pointer's binding
/// (BindingRegistry::remove) and, when `HostDeletesInstances` is true, deletes the native object;
/// with false the native object belongs to someone else (for example a reference count that the
/// binding holds, released by an override).
template <class Native, bool HostDeletesInstances>
class HandleClassInfo : public OlanFactoryClassInfo {
  public:
    using NativeType = Native;
    using OlanFactoryClassInfo::OlanFactoryClassInfo;

    bool isHandleClass() const override { return true; }
    void destroyInstance(void* nativePointer) final {
        destroyNativeInstance(static_cast<Native*>(nativePointer));
    }

  protected:
    virtual void destroyNativeInstance(Native* instance) {
        basic::BindingRegistry::remove(instance);
        if constexpr (HostDeletesInstances) {
            delete instance;
        }
    }
};

}  // namespace olan::factory
