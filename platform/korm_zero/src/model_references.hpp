#pragma once

// ModelReferences: what a model remembers about resolving the proxies its elements hold, and
// the resolution itself (Model::Impl::resolveProxy and peekResolveProxy).

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "korm/zero/meta/meta_objects.hpp"
#include "korm/zero/model_impl.hpp"
#include "korm/zero/unresolved_references.hpp"

namespace korm::zero::detail {

/// Counts the changes of the model-file search path (ModelFiles::setSearchPath).
std::uint64_t searchPathVersion() noexcept;

/// Why a try to resolve a proxy id failed. Reads try often, so a failure within the open
/// models makes no message: describe() makes it when the diagnostics ask.
struct ResolutionFailure {
    ResolutionFailure() = default;
    ResolutionFailure(UnresolvedReason why, meta::Class found = {})
        : reason(why), actual(std::move(found)) {}

    UnresolvedReason reason = UnresolvedReason::NOT_TRIED;
    /// CLASS_MISMATCH: the class of the element found.
    meta::Class actual;
    /// The failed file search or file opening, with its message.
    std::shared_ptr<tarsk::core::except::Message const> message;
};

/// Held by a model (made on its first failed try or its first opened model):
/// * the models opened to resolve its references, kept open as long as it is, since elements
///   do not keep their model and a resolved reference would otherwise point into a model
///   that is gone;
/// * the last failure of each proxy id tried, forgotten when a later try succeeds, which is
///   how not yet resolved tells from unresolvable;
/// * per model name, the failed file search, not repeated until the search path or the
///   model's own file changes (or a diagnostics call asks for it), so that reading an
///   unresolvable reference again costs no file-system lookup.
/// Used by the model's own thread only, like the model.
class ModelReferences {
  public:
    /// The live element `id` stands for, seen from `model`, or null. Without `mayOpen` only
    /// open models are looked in and nothing is remembered; with it a model that is not open
    /// is asked of the OpenModels opener and then looked for as a model file, and a failure is
    /// remembered for the diagnostics.
    static ModelElement::Impl* resolve(Model::Impl const& model, ProxyId const& id, bool mayOpen);
    /// The failure remembered for `id`, or null when its last try succeeded or none was made.
    static ResolutionFailure const* findFailure(Model::Impl const& model, ProxyId const& id);
    /// The message that says why `id`, seen from `model`, failed with `failure`.
    static std::shared_ptr<tarsk::core::except::Message const> describe(
        Model::Impl const& model, ProxyId const& id, ResolutionFailure const& failure);
    /// Forgets every failed file search of `model`, so that the next try looks again.
    static void forgetFailedSearches(Model::Impl const& model) noexcept;

  private:
    struct FailedSearch {
        std::uint64_t searchPathVersion;
        std::string referringFile;
        ResolutionFailure failure;
    };

    static ModelReferences& of(Model::Impl const& model);
    static ResolutionFailure tryResolve(Model::Impl const& model, ProxyId const& id, bool mayOpen,
                                        ModelElement::Impl*& found);
    static ResolutionFailure findModel(Model::Impl const& model, std::u16string const& name,
                                       bool mayOpen, Model& found);
    static ResolutionFailure openModelFile(Model::Impl const& model, std::u16string const& name,
                                           Model& found);
    /// The referring model keeps what was opened for it.
    void keep(Model const& opened);
    void remember(ProxyId const& id, ResolutionFailure failure);

    std::vector<Model> m_opened;
    std::unordered_map<ProxyId, ResolutionFailure, ProxyIdHash> m_failures;
    std::unordered_map<std::u16string, FailedSearch> m_failedSearches;
};

}  // namespace korm::zero::detail
