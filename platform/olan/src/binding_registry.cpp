#include "olan/factory/binding_registry.hpp"

#include "array_impl.hpp"
#include "olan/errors.hpp"
#include "olan/object.hpp"
#include "state.hpp"

namespace olan::factory::basic {

namespace {

// The registered live object of a pointer; a dying one counts as gone.
Object* liveBinding(const void* pointer) {
    auto& bindings = olan::detail::state().bindings;
    auto it = bindings.find(pointer);
    if (it == bindings.end() || olan::detail::ObjectAccess::isDying(*it->second)) {
        return nullptr;
    }
    return it->second;
}

// An object under construction may be bound to `pointer`: it is of a handle class, not bound
// yet, and (when the binding is to be registered) no other live object holds the pointer.
void checkBindable(const Object& object, const void* pointer, bool registerBinding) {
    if (!object.classInfo().isHandleClass()) {
        raiseHostError(errors::NotAHandleClass, object.className().view());
    }
    if (object.primaryPointer() != nullptr) {
        raiseHostError(errors::AlreadyBound, object.className().view());
    }
    if (registerBinding) {
        Object* existing = liveBinding(pointer);
        if (existing != nullptr && existing != &object) {
            raiseHostError(errors::AlreadyBound, "native pointer of another object");
        }
    }
}

}  // namespace

Value BindingRegistry::announce(void* pointer, InternedName className, bool& isNewBinding) {
    using olan::detail::ObjectAccess;
    isNewBinding = false;
    if (pointer == nullptr) {
        return Value(olan::detail::createObjectArray(nullptr, className));
    }
    if (Object* existing = liveBinding(pointer)) {
        if (existing->getNativePointer(className) == nullptr) {
            existing->setNativePointer(className, pointer);
        }
        return Value(zvCreateObjectValue(*existing));
    }
    auto record = olan::detail::requireClassRecord(className.view());
    olan::detail::ensureDefined(*record);
    if (!record->info->isHandleClass()) {
        raiseHostError(errors::NotAHandleClass, className.view());
    }
    Value value(olan::detail::createObjectValue(record));
    Object& object = *omGetArrayElement(value.get(), 0);
    ObjectAccess::bindPrimary(object, className, pointer);
    olan::detail::state().bindings[pointer] = &object;
    isNewBinding = true;
    return value;
}

void BindingRegistry::announceForConstructor(void* pointer, InternedName className,
                                             const zvArray* objectUnderConstruction,
                                             bool registerBinding) {
    using olan::detail::ObjectAccess;
    Object* object = omGetArrayElement(objectUnderConstruction, 0);
    if (object == nullptr) {
        raiseHostError(errors::NotAnObject, "no object under construction");
    }
    if (pointer == nullptr) {
        return;
    }
    checkBindable(*object, pointer, registerBinding);
    // Both steps may fail for lack of memory; the second takes the first back, so that a failed
    // announcement leaves neither a bound object nor a registration naming it.
    ObjectAccess::bindPrimary(*object, className, pointer);
    if (registerBinding) {
        try {
            olan::detail::state().bindings[pointer] = object;
        } catch (...) {
            ObjectAccess::unbindPrimary(*object, className);
            throw;
        }
    }
}

bool BindingRegistry::remove(const void* pointer) {
    return olan::detail::state().bindings.erase(pointer) != 0;
}

Object* BindingRegistry::find(const void* pointer) {
    return liveBinding(pointer);
}

std::size_t BindingRegistry::size() {
    return olan::detail::state().bindings.size();
}

}  // namespace olan::factory::basic
