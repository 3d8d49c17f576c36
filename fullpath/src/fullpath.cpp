#include "arvex/utilities/fullpath.hpp"

#include <algorithm>
#include <cstddef>

namespace arvex::utilities::fullpath {

namespace {

constexpr char16_t kSlash = u'/';

// Boost.Uuid's per-UUID hash written out with 64-bit arithmetic: each byte is combined into a
// seed of 0 with the classic combine step. Spelled out so that the value stays fixed whatever
// the installed Boost does with hash_combine.
std::uint64_t uuidHash(boost::uuids::uuid const& id) {
    std::uint64_t h = 0;
    for (std::uint8_t const b : id) {
        h ^= std::uint64_t{b} + 0x9e3779b9u + (h << 6) + (h >> 2);
    }
    return h;
}

// Length of the run of slashes that starts at `pos`.
std::size_t slashRun(std::u16string const& s, std::size_t pos) {
    std::size_t end = pos;
    while (end < s.size() && s[end] == kSlash) {
        ++end;
    }
    return end - pos;
}

}  // namespace

std::uint64_t getUUIDPathHash(std::vector<boost::uuids::uuid> path) {
    std::uint64_t hash = 0;
    for (auto const& id : path) {
        hash ^= uuidHash(id);
    }
    return hash;
}

bool isSourcePathDescendantOfTargetPath(std::vector<boost::uuids::uuid> source,
                                        std::vector<boost::uuids::uuid> target) {
    if (target.size() >= source.size()) {
        return false;
    }
    return std::equal(target.begin(), target.end(), source.begin());
}

// Both functions below pair slashes directly on the UTF-16 code units. A run of r slashes read
// in pairs from its left end holds r / 2 pairs, each standing for one slash; when r is odd the
// last slash is left unpaired. Nothing else is looked at, so code units that are not valid
// UTF-16 pass through untouched.

std::u16string getNameWithEscCharacters(std::u16string const& name) {
    std::u16string result;
    result.reserve(name.size());
    std::size_t pos = 0;
    while (pos < name.size()) {
        std::size_t const slash = name.find(kSlash, pos);
        if (slash == std::u16string::npos) {
            result.append(name, pos, std::u16string::npos);
            break;
        }
        result.append(name, pos, slash - pos);
        std::size_t const run = slashRun(name, slash);
        // Each pair becomes one slash and an unpaired slash stays: ceil(run / 2).
        result.append((run + 1) / 2, kSlash);
        pos = slash + run;
    }
    return result;
}

std::vector<std::u16string> getComponentNames(std::u16string const& namedPath) {
    std::vector<std::u16string> names;
    // Most names hold no escaped slash and are copied out of the path in one piece; a name is
    // assembled in `escaped` only once it holds one.
    std::u16string escaped;
    bool hasEscapes = false;
    std::size_t start = 0;  // first code unit of the current name not yet taken
    auto finishName = [&](std::size_t end) {
        if (hasEscapes) {
            escaped.append(namedPath, start, end - start);
            names.push_back(std::move(escaped));
            escaped.clear();
            hasEscapes = false;
        } else {
            names.emplace_back(namedPath, start, end - start);
        }
    };

    std::size_t pos = 0;
    while (true) {
        std::size_t const slash = namedPath.find(kSlash, pos);
        if (slash == std::u16string::npos) {
            finishName(namedPath.size());
            return names;
        }
        std::size_t const run = slashRun(namedPath, slash);
        std::size_t const pairs = run / 2;
        if (pairs > 0) {
            escaped.append(namedPath, start, slash - start);
            escaped.append(pairs, kSlash);
            hasEscapes = true;
            start = slash + 2 * pairs;
        }
        if (run % 2 != 0) {
            // The unpaired slash at the end of the run separates this name from the next.
            finishName(slash + 2 * pairs);
            start = slash + run;
        }
        pos = slash + run;
    }
}

}  // namespace arvex::utilities::fullpath
