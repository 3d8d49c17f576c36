#pragma once

// What the extension tells Python about host errors beyond their identifier and text.

#include <pybind11/pybind11.h>

#include <exception>

namespace zolmar {

/// Whether a host error was caused by text (or a value) that is no UUID: the bad lexical cast
/// of a method's UUID input, or the framework's InvalidValue refusing a value as UUID text (a
/// property setter, a constructor's or createInto's UUID, an init struct's field, a collection
/// view's key). Python raises both as one error.
bool isMalformedUuid(std::exception_ptr const& cause);

/// Adds `uuid_text_form`, `is_uuid_text` and `invalid_value_text` to the module.
void defineErrorHelpers(pybind11::module_& m);

}  // namespace zolmar
