// Named-path splitting and unescaping against a literal model of their rules: one scan over the
// code units with a pair flag (a slash that opens a doubled slash, one that closes it, and a
// separator), and unescaping as the left-to-right replacement of non-overlapping "//" by "/".
// Code units that are not valid UTF-16 must pass through both untouched.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "arvex/utilities/full_path_api.hpp"
#include "arvex/utilities/fullpath.hpp"
#include "fuzz_support.hpp"

namespace {

using arvex_fuzz::require;

constexpr char16_t kSlash = u'/';

std::u16string unescapeModel(std::u16string const& name) {
    std::u16string result;
    for (std::size_t i = 0; i < name.size();) {
        bool const pair = name[i] == kSlash && i + 1 < name.size() && name[i + 1] == kSlash;
        result += name[i];
        i += pair ? 2 : 1;
    }
    return result;
}

std::vector<std::u16string> splitModel(std::u16string const& path) {
    std::vector<std::u16string> names;
    std::u16string current;
    bool pairFlag = false;
    for (std::size_t i = 0; i < path.size(); ++i) {
        char16_t const c = path[i];
        if (c != kSlash) {
            current += c;
            pairFlag = false;
        } else if (pairFlag) {
            current += kSlash;
            pairFlag = false;
        } else if (i + 1 < path.size() && path[i + 1] == kSlash) {
            current += kSlash;
            pairFlag = true;
        } else {
            names.push_back(unescapeModel(current));
            current.clear();
        }
    }
    names.push_back(unescapeModel(current));
    return names;
}

// Slashes most often, so that runs of every length come up; letters, a non-ASCII letter and
// both halves of a surrogate pair.
constexpr char16_t kAlphabet[] = {u'/', u'/', u'/', u'/', u'a', u'b', u'\u00e9', 0xD83D, 0xDE00};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::u16string const path = arvex_fuzz::decodeText(input, kAlphabet);

    std::vector<std::u16string> const names = arvex::utilities::fullpath::getComponentNames(path);
    require(names == splitModel(path), "getComponentNames differs from the model");
    require(arvex::utilities::FullPathAPI::getComponentNames(path) == names,
            "FullPathAPI::getComponentNames differs from fullpath::getComponentNames");
    require(arvex::utilities::fullpath::getNameWithEscCharacters(path) == unescapeModel(path),
            "getNameWithEscCharacters differs from the model");
    return 0;
}
