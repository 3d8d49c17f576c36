#pragma once

// Binding framework objects to host objects, and reading them back.
//
// Native pointers: a host object of "korm.zero.ModelElement" or of any class derived from it
// has an element record as its primary native pointer, bound as a pointer to the record whose
// ModelElement::Impl part starts the record (the case for every element class, which derives
// from ModelElement::Impl alone). A model object's pointer is the support library's own model
// record; a collection view's pointer is the framework's ReferenceCollection.
//
// References: each binding of an element holds one element reference, each collection view
// one reference to the collection's owning element, each model object one model reference;
// the class's destroy-instance releases it when the host drops the object. The functions
// here that make bindings take that reference for a new binding only, so that announcing the
// same pointer again neither adds a reference nor a second host object.
//
// Like the host itself, these functions are used from the host's calling thread.

#include <string>
#include <string_view>

#include "korm/zero/collections/reference_collection.hpp"
#include "korm/zero/model.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/zi/export.hpp"
#include "olan/value.hpp"
#include "zolmar/zv_array.hpp"

namespace korm::zero::zi {

/// The host class names this library registers (package "korm.zero" and "korm.zero.meta").
inline constexpr char const* PackageName = "korm.zero";
inline constexpr char const* ModelElementClassName = "korm.zero.ModelElement";
inline constexpr char const* ModelClassName = "korm.zero.Model";
inline constexpr char const* MetaPackageName = "korm.zero.meta";
inline constexpr char const* MetaClassClassName = "korm.zero.meta.Class";
inline constexpr char const* SetViewClassName = "korm.zero.Set";
inline constexpr char const* SequenceViewClassName = "korm.zero.Sequence";
inline constexpr char const* MapViewClassName = "korm.zero.Map";
inline constexpr char const* MultimapViewClassName = "korm.zero.Multimap";

// ---- elements -------------------------------------------------------------------------------

/// The host class name for an element: the qualified name of the element's meta-class when a
/// host class of that name exists, else of its nearest superclass that has one (depth first,
/// in the order the superclasses were given), else "korm.zero.ModelElement". For null,
/// `declaredClassName`.
KORM_ZERO_ZI_EXPORT std::string hostClassNameFor(ModelElement::Impl const* element,
                                                 std::string_view declaredClassName);

/// The host value bound to `element`, named by hostClassNameFor(element, declaredClassName):
/// the live host object of the element if there is one, else a new one holding one new
/// element reference. Null gives the host's empty object array of `declaredClassName`.
KORM_ZERO_ZI_EXPORT olan::Value bindElement(ModelElement::Impl* element,
                                            std::string_view declaredClassName = {});

/// The host value bound to `element` under exactly the class name `className` (a handle class
/// derived from "korm.zero.ModelElement"): the live host object of the element if there is one,
/// else a new one of that class holding one new element reference. Null gives the host's empty
/// object array of `className`.
KORM_ZERO_ZI_EXPORT olan::Value bindElementAs(ModelElement::Impl* element,
                                              std::string_view className);

/// The element record bound to element 0 of `value` when it is an object of
/// "korm.zero.ModelElement" or a class derived from it; null otherwise (null, an empty array,
/// another class, an unbound object). No reference is taken.
KORM_ZERO_ZI_EXPORT ModelElement::Impl* elementOf(zvArray const* value) noexcept;

// ---- models ---------------------------------------------------------------------------------

/// The host model object of `model` ("korm.zero.Model"): the live one if there is one, else a
/// new one holding a model reference. An empty handle gives the empty object array.
KORM_ZERO_ZI_EXPORT olan::Value bindModel(Model const& model);

/// The model of a host model object (element 0 of `value`), or an empty handle when `value`
/// holds no model object or its model was closed through the host ("close"): a closed model is
/// no longer usable for creating elements.
KORM_ZERO_ZI_EXPORT Model modelOf(zvArray const* value);

// ---- collections ----------------------------------------------------------------------------

/// The name of the collection view class for `collection`, from its generic interface: an
/// ordered sequence gives "korm.zero.Sequence", else a map "korm.zero.Map", else a multimap
/// "korm.zero.Multimap"; anything else, no interface or no collection "korm.zero.Set".
KORM_ZERO_ZI_EXPORT char const* viewClassNameFor(ReferenceCollection const* collection) noexcept;

/// The host view of `collection`, a live view that follows later changes of the collection: the
/// live view object if there is one, else a new one of viewClassNameFor(collection) that holds
/// one reference to the collection's owning element (if it has one), so that the owner (and
/// with it the collection) stays alive while the host holds the view. Null gives the empty
/// object array of "korm.zero.Set".
KORM_ZERO_ZI_EXPORT olan::Value bindCollection(ReferenceCollection* collection);

}  // namespace korm::zero::zi
