#pragma once

// A full text dump of a model, for telling whether a failed operation left it exactly as it
// was.

#include <string>

#include "korm/zero/model.hpp"

namespace faults {

/// Every live element in UUID order, each with its class, container, containment property
/// and index, and each of its own properties as reflection reads it (without resolving
/// proxies): a UUID, the element a single containment holds, or a collection's contents in
/// order (entries in key order, then its proxies by target). Then the model's live-element
/// count, transaction depth and undo and redo counts.
std::string dumpModel(korm::zero::Model const& model);

}  // namespace faults
