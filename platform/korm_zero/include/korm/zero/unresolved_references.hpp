#pragma once

// Diagnostics of references: every proxy a model's elements hold, with why it is not resolved.

#include <memory>
#include <vector>

#include "korm/zero/export.hpp"
#include "korm/zero/meta/handles.hpp"
#include "korm/zero/model.hpp"
#include "korm/zero/model_element.hpp"
#include "korm/zero/proxy.hpp"
#include "tarsk/core/except/message.hpp"

namespace korm::zero {

/// Why a reference is unresolved. NOT_TRIED means *not yet resolved*: no resolution that may
/// open models was tried for its proxy id. Every other reason means *unresolvable*: a try
/// failed for that reason.
enum class UnresolvedReason {
    NOT_TRIED,
    /// The named model is not open, the opener gave none and no model file of that name was
    /// found (or the name cannot name a file).
    MODEL_NOT_FOUND,
    /// A file of that name was found but cannot be opened, or holds a model of another name.
    MODEL_FILE_UNUSABLE,
    /// The model holds no live element of that UUID (or the id is not a UUID).
    ELEMENT_NOT_FOUND,
    /// The reference names a class that is not registered in the meta model.
    CLASS_NOT_REGISTERED,
    /// The element found does not fit the class the reference names, or the type of the
    /// property that holds it.
    CLASS_MISMATCH,
};

/// One proxy held by an element of the model.
struct KORM_ZERO_EXPORT UnresolvedReference {
    ModelElement owner;       ///< the element that holds the proxy
    meta::Property property;  ///< the property that holds it
    ModelElement proxy;
    ProxyId id;  ///< what the proxy stands for: element, class and model
    UnresolvedReason reason = UnresolvedReason::NOT_TRIED;
    /// Why, with its message id and complete text; null for NOT_TRIED.
    std::shared_ptr<tarsk::core::except::Message const> message;

    bool isUnresolvable() const noexcept { return reason != UnresolvedReason::NOT_TRIED; }
};

/// What findUnresolvedReferences does before it lists.
enum class ResolutionAttempt {
    /// Lists what earlier resolutions left: changes nothing, opens nothing.
    REPORT_ONLY,
    /// Asks every holder to resolve what it holds (as a read would), and tries each proxy that
    /// is still held once more, opening models as resolution does and looking again for model
    /// files that were not found before. No proxy is then listed as NOT_TRIED for a failure.
    RESOLVE_FIRST,
};

/// Every proxy held by a live element of `model` (single references and collection members),
/// ordered by owner UUID, then property index, with its reason. A proxy that resolution
/// would resolve but whose holder keeps it (a holder that resolves only on some reads) is
/// listed as NOT_TRIED. An empty model handle gives an empty list.
KORM_ZERO_EXPORT std::vector<UnresolvedReference> findUnresolvedReferences(
    Model const& model, ResolutionAttempt attempt);

}  // namespace korm::zero
