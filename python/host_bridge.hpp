#pragma once

// What host_module.cpp lends the extension's other sources: its `Array` objects, its
// conversion of host values to Python values, and its translation of host errors.

#include <pybind11/pybind11.h>

#include <exception>
#include <functional>

#include "olan/value.hpp"
#include "zolmar/zv_array.hpp"

namespace zolmar {

/// The host array an `Array` object holds (TypeError for any other object).
zvArray const* hostArrayOf(pybind11::handle array);

/// The Python value of a host value, converted as a call's output is (a host object comes back
/// as the Python object it already has).
pybind11::object pythonValueOf(olan::Value value);

/// Runs `call`. A Python error raised inside it (or a pybind11 one, such as a TypeError) goes up
/// unchanged; any other exception is raised as the host error the host would raise for it,
/// converted as a host call's errors are.
void runAsHostCall(std::function<void()> const& call);

/// Rethrows `cause` when it is a Python error (one raised by a callback that the framework or
/// the host carried along); does nothing otherwise.
void rethrowPythonError(std::exception_ptr const& cause);

}  // namespace zolmar
