#pragma once

// Model functions of zolmar._host (host_model.cpp).

#include <pybind11/pybind11.h>

namespace zolmar {

/// Adds `listen` (a change listener calling Python, and its `Subscription`), `open_model` and
/// `save_model` (model files with a progress callback) to the module.
void defineModelFunctions(pybind11::module_& m);

}  // namespace zolmar
