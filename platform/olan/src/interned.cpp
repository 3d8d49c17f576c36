#include "olan/interned.hpp"

#include <mutex>
#include <string>
#include <unordered_set>

namespace olan {

namespace {

struct Pool {
    std::mutex mutex;
    // Nodes of an unordered_set never move, so the stored strings keep their addresses.
    std::unordered_set<std::string> names;
};

Pool& pool() {
    // Never destroyed: names may be used during static destruction of other libraries.
    static Pool* instance = new Pool;
    return *instance;
}

// The empty name, which needs no pool and no allocation: default-constructed names (noexcept)
// and lookups of an empty name can never fail.
std::string const& emptyName() noexcept {
    static std::string const empty;
    return empty;
}

}  // namespace

InternedName internal::makeInterned(std::string_view name) {
    if (name.empty()) {
        return InternedName(&emptyName());
    }
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    return InternedName(&*p.names.emplace(name).first);
}

InternedName::InternedName() noexcept : text_(&emptyName()) {}

}  // namespace olan
