#pragma once

// Registration of named models in the open-model registry (used by Model::Impl).

#include <string>

#include "korm/zero/model.hpp"

namespace korm::zero::detail {

/// Registers `model` under `name`; reports UniquenessConstraint when the name is taken.
void registerOpenModel(std::u16string const& name, Model::Impl* model);
/// Removes the registration of `model` under `name`, if it is the registered one.
void unregisterOpenModel(std::u16string const& name, Model::Impl const* model) noexcept;

}  // namespace korm::zero::detail
