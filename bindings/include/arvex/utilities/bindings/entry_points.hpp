#pragma once

// The library's exported entry points, called by the host that loads the library.
//
// ZRInitialize_arvex_utilities registers the scripting package "arvex.utilities" (see
// package.hpp). While the host's class system runs in its re-registering session mode
// (omGetOlanUsingUSM() true) every call registers the package again; otherwise the
// registration runs once per process behind a std::once_flag (a run that throws leaves the flag
// unset, so the next call tries again). The meta-package is not built here: the first request
// for a class's meta-class builds it.
//
// ZRTerminate_arvex_utilities does nothing: what was handed to the host belongs to the host,
// and the meta-package lives until the process ends.

#include "arvex/utilities/export.hpp"

extern "C" {
ARVEX_UTILITIES_EXPORT void ZRInitialize_arvex_utilities();
ARVEX_UTILITIES_EXPORT void ZRTerminate_arvex_utilities();
}
