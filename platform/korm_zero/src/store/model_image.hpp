#pragma once

// Between a model and its stored image: makeImage writes every live element and its property
// values generically through the meta model; loadImage rebuilds them in an empty model. See
// docs/model_files.md.

#include <boost/uuid/uuid.hpp>
#include <string>
#include <unordered_set>

#include "korm/zero/model.hpp"
#include "korm/zero/services/hashers.hpp"
#include "model_store.hpp"

namespace korm::zero::store {

using UuidSet = std::unordered_set<boost::uuids::uuid, services::hashers::KORM0Hasher>;

/// The image of `model`'s live elements. `path` names the file in messages: a value of a
/// primitive type without codec reports ModelFileCannotWrite. Begins `progress` with the
/// number of live elements and steps it once per element.
ModelImage makeImage(Model::Impl const& model, std::string const& path, ProgressCounter& progress);

/// What a save of `model` writes when the elements of `unsaved` changed since its file was
/// last written: their rows (or their removal, for those no longer live), and the positions of
/// their key-group mates. Begins `progress` with the size of `unsaved` and steps it once per
/// element of it.
ImageChanges makeChanges(Model::Impl const& model, UuidSet const& unsaved, std::string const& path,
                         ProgressCounter& progress);

/// Fills the empty `model` from `image` in one non-undoable transaction. Unknown packages and
/// classes, and rows that do not fit the meta model, report framework errors naming `path`;
/// the transaction then rolls back and the model stays empty. Steps `progress` once per
/// element made.
void loadImage(Model const& model, ModelImage const& image, std::string const& path,
               ProgressCounter& progress);

}  // namespace korm::zero::store
