#pragma once

// The native read path of the keyed collections for zolmar's Python mappings: keys, values and
// look-ups read through the framework's generic collection interfaces and the meta model, with
// no host call per pair.

#include <pybind11/pybind11.h>

namespace zolmar_host {

/// Adds keyed_slices, keyed_count, keyed_get and uuid_of to `module`.
void registerCollections(pybind11::module_& module);

}  // namespace zolmar_host
