#pragma once

// Where the framework looks for the file of a model that a reference names and that is not
// open: the file name a model name gives, and the process-wide search path.

#include <boost/optional.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "korm/zero/export.hpp"

namespace korm::zero {

/// Model files found by model name. A reference into a model that is not open is resolved
/// through the file of that model: first in the directory of the referring model's own file,
/// then in the directories of the search path, in order; the first file found is the one
/// opened (Model::open). Thread-safe.
class KORM_ZERO_EXPORT ModelFiles {
  public:
    /// The extension of every model file's name: the file of model "plant" is "plant.model".
    static constexpr std::string_view EXTENSION = ".model";

    /// The file name of the model named `modelName`: the name in UTF-8 followed by EXTENSION.
    /// A name that is not a plain file name (empty, "." or "..", or holding '/', '\\' or a NUL
    /// character) reports ModelNameNotAFileName: a model name never reaches another directory.
    static std::string fileNameFor(std::u16string const& modelName);

    /// Replaces the directories searched after the referring model's own directory. Models
    /// whose file was not found before are looked for again on their next use.
    static void setSearchPath(std::vector<std::string> directories);
    static std::vector<std::string> getSearchPath();

    /// The path of the file of model `modelName`: in the directory of `referringFile` when
    /// that is not empty and holds it, else in the first directory of the search path that
    /// holds it; none when no directory holds it. Reports ModelNameNotAFileName like
    /// fileNameFor.
    static boost::optional<std::string> findFile(std::u16string const& modelName,
                                                 std::string const& referringFile);
};

}  // namespace korm::zero
