#pragma once

// Bindings between native pointers and host objects: while the host holds an object bound to a
// native pointer, announcing that pointer again gives the same object.

#include <cstddef>

#include "olan/export.hpp"
#include "olan/interned.hpp"
#include "olan/value.hpp"
#include "zolmar/zv_array.hpp"

namespace olan {
class Object;
}

namespace olan::factory::basic {

class OLAN_EXPORT BindingRegistry {
  public:
    /// The host value (a 1-by-1 object array) bound to `pointer`. If the pointer has a live
    /// object, that object is returned and `isNewBinding` is false (the object gains a binding
    /// under `className` if it lacked one). Otherwise a new object of the handle class
    /// `className` (UndefinedClass, NotAHandleClass) is made, bound to the pointer as its
    /// primary pointer under `className`, and `isNewBinding` is true: the caller then holds
    /// whatever the binding needs (for example one reference), released by the class's
    /// destroy-instance. A null pointer gives an empty (0-by-0) object array of `className` and
    /// `isNewBinding` false.
    static Value announce(void* pointer, InternedName className, bool& isNewBinding);

    /// Binds the object under construction (element 0 of `objectUnderConstruction`, which a
    /// constructor finds in output slot 0) to `pointer` under `className` as its primary pointer;
    /// with `registerBinding` the pointer is also entered in the registry, so that announce finds
    /// the object. Raises NotAnObject when there is no object, AlreadyBound when the object is
    /// bound already or the pointer belongs to another live object. A null pointer binds nothing.
    static void announceForConstructor(void* pointer, InternedName className,
                                       const zvArray* objectUnderConstruction,
                                       bool registerBinding);
    static void announceForConstructor(void* pointer, InternedName className,
                                       const Value& objectUnderConstruction, bool registerBinding) {
        announceForConstructor(pointer, className, objectUnderConstruction.get(), registerBinding);
    }

    /// Forgets the binding of `pointer`; true when there was one. Destroy-instance operations
    /// call this and then release what the binding held.
    static bool remove(const void* pointer);

    /// The live object bound to `pointer`, or null. Borrowed.
    static Object* find(const void* pointer);
    /// Number of registered bindings.
    static std::size_t size();
};

}  // namespace olan::factory::basic
