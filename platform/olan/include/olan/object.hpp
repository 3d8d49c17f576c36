#pragma once

// Host objects. An object of a handle class is shared by every host array that holds it; each
// such array element is one host reference. When the last reference goes, the host runs the
// destroy-instance operation of the object's class with the object's primary native pointer
// (the one bound by BindingRegistry::announce or announceForConstructor) and forgets the
// pointer's binding.

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "olan/export.hpp"
#include "olan/interned.hpp"

namespace olan {

class COSClassInfo;

namespace detail {
struct ClassRecord;
struct ObjectAccess;
}  // namespace detail

class OLAN_EXPORT Object {
  public:
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    /// Qualified name of the object's class.
    InternedName className() const noexcept;
    /// The description of the object's class.
    const COSClassInfo& classInfo() const noexcept;
    /// Whether the object's class is `qualifiedClassName` or has it among its superclasses.
    bool isa(std::string_view qualifiedClassName) const;

    /// The native pointer bound under the class type name `typeName`, or null.
    void* getNativePointer(InternedName typeName) const noexcept;
    template <class T>
    T* getNativePointerAs(InternedName typeName) const noexcept {
        return static_cast<T*>(getNativePointer(typeName));
    }
    /// Binds a further native pointer under `typeName` (null unbinds). Only the primary binding
    /// made through the BindingRegistry runs destroy-instance; further ones are plain look-ups.
    void setNativePointer(InternedName typeName, void* pointer);
    /// The primary native pointer, or null while unbound.
    void* primaryPointer() const noexcept { return primary_; }

    /// Host references held by arrays.
    std::size_t referenceCount() const noexcept { return references_; }

  private:
    friend struct detail::ObjectAccess;
    explicit Object(std::shared_ptr<detail::ClassRecord> record);
    ~Object();
    void retain() noexcept { ++references_; }
    void release() noexcept;

    std::shared_ptr<detail::ClassRecord> record_;
    std::vector<std::pair<InternedName, void*>> pointers_;
    void* primary_ = nullptr;
    std::size_t references_ = 0;
    bool dying_ = false;
};

}  // namespace olan
