#pragma once

// The native read path of the keyed collections for zolmar's Python mappings: keys, values and
// look-ups read through the framework's generic collection interfaces and the meta model, with
// no host call per pair.

#include <pybind11/pybind11.h>

#include <functional>

#include "zolmar/zv_array.hpp"

namespace zolmar_host {

/// What the extension's main source lends the collection functions.
struct HostHooks {
    /// Runs `body`, turning a host error, or any other native exception, into the Python error
    /// the package registered for it; Python errors pass unchanged.
    void (*guard)(std::function<void()> const& body);
    /// The host array a Python `Array` object owns.
    zvArray const* (*array)(pybind11::handle object);
};

/// Adds keyed_slices, keyed_count, keyed_get and uuid_of to `module`.
void registerCollections(pybind11::module_& module, HostHooks hooks);

}  // namespace zolmar_host
