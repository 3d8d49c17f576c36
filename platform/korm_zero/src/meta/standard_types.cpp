// StandardTypes: the standard primitive types, looked up once by name.

#include "korm/zero/meta/standard_types.hpp"

#include <array>
#include <atomic>

#include "internal.hpp"
#include "korm/zero/meta/meta_registry.hpp"

namespace korm::zero {

namespace {

// Filled on first use. The meta model keeps the primitive types for the registry's life, so
// plain pointers suffice (the registry empties the entries when it goes away, at exit); two
// threads that race to fill an entry store the same pointer.
std::array<std::atomic<meta::Type::Impl const*>, 3> g_entries{};

constexpr char16_t const* ENTRY_NAMES[] = {u"UUID", u"Boolean", u"String"};

}  // namespace

meta::Type::Impl const* StandardTypes::get(Entry entry) {
    auto& slot = g_entries[static_cast<std::size_t>(entry)];
    meta::Type::Impl const* record = slot.load(std::memory_order_acquire);
    if (record == nullptr) {
        meta::Type const type =
            meta::internal::getPrimitiveTypeFromMetaRegistry(ENTRY_NAMES[entry]);
        record = type.getTypeImpl();
        slot.store(record, std::memory_order_release);
    }
    return record;
}

namespace meta::detail {

void resetStandardTypes() noexcept {
    for (auto& entry : g_entries) {
        entry.store(nullptr, std::memory_order_release);
    }
}

}  // namespace meta::detail

meta::Type StandardTypes::getType(Entry entry) {
    return meta::Type(const_cast<meta::Type::Impl*>(get(entry)));
}

bool StandardTypes::is(meta::Type const& type, Entry entry) {
    return !type.isEmpty() && type.getImpl() == get(entry);
}

}  // namespace korm::zero
