#pragma once

// Path functions over the two ways of addressing an element of a component model:
//
//  - a named path, one UTF-16 text in which component names are joined by single slashes and a
//    slash that belongs to a name is written doubled ("a//b" is the one name "a/b");
//  - a UUID path, the UUIDs of the nested elements from the outermost container down (the empty
//    path is the root).
//
// The functions keep no state and may be called from any number of threads at once.

#include <cstdint>
#include <string>
#include <vector>

#include <boost/uuid/uuid.hpp>

#include "arvex/utilities/export.hpp"

namespace arvex::utilities::fullpath {

/// Order-independent hash of a UUID path: the XOR of Boost.Uuid's hash of each UUID (each of
/// the 16 bytes combined into a seed of 0). The empty path hashes to 0; a UUID that occurs
/// twice cancels itself.
ARVEX_UTILITIES_EXPORT std::uint64_t getUUIDPathHash(std::vector<boost::uuids::uuid> path);

/// True exactly when `target` is a proper prefix of `source`: every non-empty path descends
/// from the root (the empty path), and no path descends from itself.
ARVEX_UTILITIES_EXPORT bool isSourcePathDescendantOfTargetPath(
    std::vector<boost::uuids::uuid> source, std::vector<boost::uuids::uuid> target);

/// Un-escapes one name: every doubled slash becomes a single slash, pairing slashes from the
/// left ("///" becomes "//"). No other character is special.
ARVEX_UTILITIES_EXPORT std::u16string getNameWithEscCharacters(std::u16string const& name);

/// Splits a named path into its component names, un-escaped. Each run of slashes is read in
/// pairs from its left end: 2k slashes are k slashes inside a name; 2k+1 slashes are k slashes
/// ending the name before them, then a separator. The result holds one more name than the path
/// has separators, so it is never empty ("" gives one empty name). Code units that are not
/// valid UTF-16 are carried through unchanged.
ARVEX_UTILITIES_EXPORT std::vector<std::u16string> getComponentNames(
    std::u16string const& namedPath);

}  // namespace arvex::utilities::fullpath
