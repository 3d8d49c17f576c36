#pragma once

// KORM0WrapperInfo: the level of a host class description that binds host objects to model
// elements. A host object of such a class holds one reference to its element record (taken by
// whoever made the binding, see binding.hpp); when the host drops the object, the binding is
// removed and that reference released.

#include <type_traits>

#include "korm/zero/model_element.hpp"
#include "korm/zero/zi/export.hpp"
#include "olan/factory/binding_registry.hpp"
#include "olan/factory/class_info.hpp"

namespace korm::zero::zi {

namespace detail {

/// Releases the element reference a binding held. Null is ignored.
KORM_ZERO_ZI_EXPORT void releaseBindingReference(ModelElement::Impl const* record) noexcept;

/// The element record behind a native pointer of a class description for `Element`: the
/// pointer itself when `Element` is a record class (derived from ModelElement::Impl); for a
/// handle class (derived from ModelElement) the bound pointer is the handle's record
/// (`Element::Impl*`), which the host handed over as an `Element*` without adjustment.
template <class Element>
ModelElement::Impl* recordOf(Element* pointer) noexcept {
    if constexpr (std::is_base_of_v<ModelElement::Impl, Element>) {
        return pointer;
    } else {
        static_assert(std::is_base_of_v<ModelElement, Element>,
                      "a wrapper describes an element handle or an element record class");
        return static_cast<typename Element::Impl*>(static_cast<void*>(pointer));
    }
}

}  // namespace detail

/// The class-description level of element classes, instantiated for the model class (its
/// handle class or its record class). The host objects of the class are bound to the element
/// record.
///
/// Fixed answers: isAbstract() is true, so that a description level which does not say
/// otherwise (such as the host class "korm.zero.ModelElement" itself) cannot be constructed;
/// the concrete wrappers of model classes answer false. isSealed() is false: element classes
/// may always be extended by host classes.
template <class Element>
class KORM0WrapperInfo : public olan::factory::HandleClassInfo<Element, false> {
  public:
    using olan::factory::HandleClassInfo<Element, false>::HandleClassInfo;

    bool isAbstract() const override { return true; }
    bool isSealed() const override { return false; }

  protected:
    /// Removes the binding of `instance`; when one was removed, releases the element
    /// reference it held.
    void destroyNativeInstance(Element* instance) override {
        if (olan::factory::basic::BindingRegistry::remove(instance) && instance != nullptr) {
            detail::releaseBindingReference(detail::recordOf(instance));
        }
    }
};

}  // namespace korm::zero::zi
