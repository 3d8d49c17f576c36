#pragma once

// The framework's scripting support: the host classes of package "korm.zero" and the helpers
// that script bindings of element classes use.

#include "korm/zero/zi/binding.hpp"
#include "korm/zero/zi/empty_parent_package.hpp"
#include "korm/zero/zi/export.hpp"
#include "korm/zero/zi/struct_builder.hpp"
#include "korm/zero/zi/value_text.hpp"
#include "korm/zero/zi/wrapper_info.hpp"

namespace korm::zero::zi {

/// Registers the packages "korm.zero" (classes "ModelElement", "Model", "Set", "Sequence",
/// "Map", "Multimap") and "korm.zero.meta" (class "Class") with the host class system, and
/// teaches the host the identifiers of the framework's messages, so that a framework error
/// reaching the host carries its message id (for example "korm0:messages:InvalidValue").
///
/// Runs once per process (a thread-safe once flag; after a failure the next call tries
/// again), except while omGetOlanUsingUSM() answers true: the host then re-registers its
/// packages every session, and every call registers the packages again (replacing the earlier
/// definitions).
KORM_ZERO_ZI_EXPORT void initialize();

}  // namespace korm::zero::zi
