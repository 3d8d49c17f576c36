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

namespace {

/// The names of a named path as they are read off it. Most names hold no escaped slash and are
/// copied out of the path in one piece; a name is assembled in `escaped` only once it holds
/// one.
class NameCollector {
  public:
    explicit NameCollector(std::u16string const& path) : m_path(path) {}

    /// Takes the `pairs` escaped slashes of a run that starts at `slash`.
    void takeEscapes(std::size_t slash, std::size_t pairs) {
        m_escaped.append(m_path, m_start, slash - m_start);
        m_escaped.append(pairs, kSlash);
        m_hasEscapes = true;
        m_start = slash + 2 * pairs;
    }

    /// Ends the current name before `end`; the next one starts at `next`.
    void finishName(std::size_t end, std::size_t next) {
        if (m_hasEscapes) {
            m_escaped.append(m_path, m_start, end - m_start);
            m_names.push_back(std::move(m_escaped));
            m_escaped.clear();
            m_hasEscapes = false;
        } else {
            m_names.emplace_back(m_path, m_start, end - m_start);
        }
        m_start = next;
    }

    std::vector<std::u16string> take() { return std::move(m_names); }

  private:
    std::u16string const& m_path;
    std::vector<std::u16string> m_names;
    std::u16string m_escaped;
    bool m_hasEscapes = false;
    std::size_t m_start = 0;  // first code unit of the current name not yet taken
};

}  // namespace

std::vector<std::u16string> getComponentNames(std::u16string const& namedPath) {
    NameCollector names(namedPath);
    std::size_t pos = 0;
    while (true) {
        std::size_t const slash = namedPath.find(kSlash, pos);
        if (slash == std::u16string::npos) {
            names.finishName(namedPath.size(), namedPath.size());
            return names.take();
        }
        std::size_t const run = slashRun(namedPath, slash);
        std::size_t const pairs = run / 2;
        if (pairs > 0) {
            names.takeEscapes(slash, pairs);
        }
        if (run % 2 != 0) {
            // The unpaired slash at the end of the run separates this name from the next.
            names.finishName(slash + 2 * pairs, slash + run);
        }
        pos = slash + run;
    }
}

}  // namespace arvex::utilities::fullpath
