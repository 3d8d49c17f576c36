#include "olan/object.hpp"

#include <algorithm>

#include "olan/class_info.hpp"
#include "olan/errors.hpp"
#include "state.hpp"

namespace olan {

Object::Object(std::shared_ptr<detail::ClassRecord> record) : record_(std::move(record)) {
    ++detail::state().liveObjects;
}

Object::~Object() {
    --detail::state().liveObjects;
}

InternedName Object::className() const noexcept {
    return record_->qualifiedName;
}

const COSClassInfo& Object::classInfo() const noexcept {
    return *record_->info;
}

bool Object::isa(std::string_view qualifiedClassName) const {
    return detail::classIsa(*record_, qualifiedClassName);
}

void* Object::getNativePointer(InternedName typeName) const noexcept {
    for (const auto& [name, pointer] : pointers_) {
        if (name == typeName) {
            return pointer;
        }
    }
    return nullptr;
}

void Object::setNativePointer(InternedName typeName, void* pointer) {
    auto it = std::find_if(pointers_.begin(), pointers_.end(),
                           [&](const auto& binding) { return binding.first == typeName; });
    if (it == pointers_.end()) {
        if (pointer) {
            pointers_.emplace_back(typeName, pointer);
        }
    } else if (pointer) {
        it->second = pointer;
    } else {
        pointers_.erase(it);
    }
}

void Object::release() noexcept {
    if (--references_ > 0) {
        return;
    }
    // The last host reference is gone: the class's destroy-instance sees the primary pointer
    // while its binding is still registered (so that BindingRegistry::remove finds it), then the
    // host forgets the binding if destroy-instance left it behind.
    dying_ = true;
    detail::State& s = detail::state();
    if (primary_) {
        try {
            record_->info->destroyInstance(primary_);
        } catch (...) {
            ++s.failedDestroys;
        }
        auto it = s.bindings.find(primary_);
        if (it != s.bindings.end() && it->second == this) {
            s.bindings.erase(it);
        }
    }
    delete this;
}

namespace detail {

Object* ObjectAccess::create(std::shared_ptr<ClassRecord> record) {
    return new Object(std::move(record));
}

void ObjectAccess::bindPrimary(Object& object, InternedName typeName, void* pointer) {
    object.setNativePointer(typeName, pointer);
    object.primary_ = pointer;
}

void ObjectAccess::unbindPrimary(Object& object, InternedName typeName) noexcept {
    // Removing a binding erases from the object's vector, which allocates nothing.
    auto& pointers = object.pointers_;
    std::erase_if(pointers, [&](auto const& binding) { return binding.first == typeName; });
    object.primary_ = nullptr;
}

}  // namespace detail

}  // namespace olan
