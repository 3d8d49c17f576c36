#pragma once

// Registration of named models in the open-model registry, and of models by the file they
// were opened from or saved to (used by Model and Model::Impl).

#include <string>

#include "korm/zero/model.hpp"

namespace korm::zero::detail {

/// Registers `model` under `name`; reports UniquenessConstraint when the name is taken.
void registerOpenModel(std::u16string const& name, Model::Impl* model);
/// Removes the registration of `model` under `name`, if it is the registered one.
void unregisterOpenModel(std::u16string const& name, Model::Impl const* model) noexcept;

/// The model open from the file of canonical path `path`, or an empty handle.
Model findModelFile(std::string const& path);
/// Records `model` as open from `path`, replacing any record of that path.
void rememberModelFile(std::string const& path, Model::Impl* model);
/// Removes the record of `path` if it is `model`'s.
void forgetModelFile(std::string const& path, Model::Impl const* model) noexcept;

}  // namespace korm::zero::detail
