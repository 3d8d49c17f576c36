#pragma once

// Values that carry an element handle, as the model-file reader makes them for single
// references: the payload is a heap copy of a plain handle, the form every element class
// reads (Value::getValue of its handle type).

#include "korm/zero/model_element.hpp"
#include "korm/zero/value.hpp"

namespace korm::zero::store {

/// A single value of `property` holding `element`, typed with the element's class.
Value makeElementValue(meta::Property const& property, ModelElement const& element);

/// The element a single reference value holds, or null for none.
ModelElement::Impl* heldElement(Value const& value) noexcept;

}  // namespace korm::zero::store
